#include "display.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "montemex/host.hpp"

namespace montemex::cli {

namespace {

std::string formatNumber(double v, const char* format)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// One format for the whole array, as the host picks one: integers when every finite value is a
// whole number of moderate size, fixed point for moderate magnitudes, else exponent form.
const char* chooseFormat(const std::vector<double>& values, Style style)
{
    if (style == Style::Csv) return "%.17g";
    bool integers = true;
    double largest = 0.0;
    double smallest = INFINITY;
    for (double v : values) {
        if (!std::isfinite(v)) continue;
        integers = integers && v == std::floor(v) && std::fabs(v) < 1e9;
        largest = std::max(largest, std::fabs(v));
        if (v != 0) smallest = std::min(smallest, std::fabs(v));
    }
    if (integers) return "%.0f";
    if (style == Style::Long) return "%.15g";
    if (largest < 1e5 && smallest >= 1e-3) return "%.4f";
    return "%.4e";
}

}  // namespace

void display(std::ostream& out, const std::string& name, const mxArray* array, Style style)
{
    std::vector<std::size_t> dims = dimensions(array);
    std::size_t rows = dims.empty() ? 0 : dims[0];
    std::size_t cols = 1;
    for (std::size_t k = 1; k < dims.size(); ++k) cols *= dims[k];
    std::vector<double> data = values(array);
    bool complexValued = mxIsComplex(array);

    if (style == Style::Csv) {
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < cols; ++c) {
                if (c > 0) out << ',';
                out << formatNumber(data[c * rows + r], "%.17g");
            }
            out << '\n';
        }
        return;
    }

    if (mxIsChar(array)) {
        std::string text;
        for (double v : data) text += static_cast<char>(v);
        out << name << " = " << text << '\n';
        return;
    }
    std::string shape;
    for (std::size_t k = 0; k < dims.size(); ++k) shape += (k > 0 ? "x" : "") + std::to_string(dims[k]);
    if (mxIsCell(array) || mxIsStruct(array) || mxIsSparse(array)) {
        out << name << " = <" << shape << " " << mxGetClassName(array) << (mxIsSparse(array) ? " sparse" : "") << ">\n";
        return;
    }
    if (data.empty()) {
        out << name << " = [](" << shape << ")\n";
        return;
    }
    std::string classNote = mxIsDouble(array) ? "" : std::string(" (") + mxGetClassName(array) + ")";
    if (complexValued) classNote += " (real part)";
    const char* format = chooseFormat(data, style);
    if (data.size() == 1) {
        out << name << " = " << formatNumber(data[0], format) << classNote << '\n';
        return;
    }
    std::vector<std::string> cells(data.size());
    std::size_t width = 0;
    for (std::size_t k = 0; k < data.size(); ++k) {
        cells[k] = formatNumber(data[k], format);
        width = std::max(width, cells[k].size());
    }
    out << name << " =" << classNote << "\n\n";
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < cols; ++c) {
            const std::string& cell = cells[c * rows + r];
            out << std::string(3 + width - cell.size(), ' ') << cell;
        }
        out << '\n';
    }
    out << '\n';
}

}  // namespace montemex::cli
