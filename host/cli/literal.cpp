#include "literal.hpp"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace montemex::cli {

namespace {

// Deepest nesting of calls and brackets read; the parser recurses once per level.
constexpr int kMaxNesting = 200;

// A parsed value before it becomes a host array.
struct Value {
    mxClassID classId = mxDOUBLE_CLASS;
    std::vector<std::size_t> dims{1, 1};
    std::vector<double> real;
    std::vector<double> imag;  // empty unless complex
    bool sparse = false;
    std::string text;  // char arrays
};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    Value parseAll()
    {
        Value value = parseValue(0);
        skipSpace();
        if (pos_ != text_.size()) fail("unexpected '" + text_.substr(pos_) + "'");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw LiteralError("cannot read '" + shortened(text_) + "' as a value: " + what);
    }

    // Long input is quoted by its start only, so a message stays one readable line.
    static std::string shortened(const std::string& text)
    {
        return text.size() <= 60 ? text : text.substr(0, 50) + "...";
    }

    // `depth` counts the calls and brackets around the value about to be opened.
    void enter(int depth) const
    {
        if (depth >= kMaxNesting) fail("nested more than " + std::to_string(kMaxNesting) + " levels deep");
    }

    void skipSpace()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    bool accept(char c)
    {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void expect(char c)
    {
        if (!accept(c)) fail(std::string("expected '") + c + "'");
    }

    std::string word()
    {
        skipSpace();
        std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    Value parseValue(int depth)
    {
        skipSpace();
        if (pos_ >= text_.size()) fail("nothing to read");
        char c = text_[pos_];
        if (c == '[') return parseMatrix(depth);
        if (c == '\'') return parseString();
        if (std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t start = pos_;
            std::string name = word();
            skipSpace();
            if (pos_ < text_.size() && text_[pos_] == '(') return parseCall(name, depth);
            pos_ = start;
        }
        Value value;
        value.real.push_back(parseNumber());
        return value;
    }

    double parseNumber()
    {
        skipSpace();
        double sign = 1.0;
        if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
            if (text_[pos_] == '-') sign = -1.0;
            ++pos_;
        }
        skipSpace();
        if (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) {
            std::string name = word();
            if (name == "NaN" || name == "nan") return std::numeric_limits<double>::quiet_NaN();
            if (name == "Inf" || name == "inf") return sign * std::numeric_limits<double>::infinity();
            if (name == "pi") return sign * 3.141592653589793;
            if (name == "true") return sign * 1.0;
            if (name == "false") return sign * 0.0;
            if (name == "eps") return sign * std::numeric_limits<double>::epsilon();
            fail("unknown name '" + name + "'");
        }
        const char* start = text_.c_str() + pos_;
        char* end = nullptr;
        double value = std::strtod(start, &end);
        // strtod would also read "nan" and hex forms; numbers here start with a digit or a point.
        if (end == start || !(std::isdigit(static_cast<unsigned char>(*start)) || *start == '.')) {
            fail("expected a number");
        }
        pos_ += static_cast<std::size_t>(end - start);
        return sign * value;
    }

    Value parseMatrix(int depth)
    {
        enter(depth);
        expect('[');
        std::vector<std::vector<double>> rows(1);
        while (true) {
            skipSpace();
            if (pos_ >= text_.size()) fail("missing ']'");
            char c = text_[pos_];
            if (c == ']') {
                ++pos_;
                break;
            }
            if (c == ';') {
                ++pos_;
                rows.emplace_back();
                continue;
            }
            if (c == ',') {
                ++pos_;
                continue;
            }
            rows.back().push_back(parseNumber());
        }
        while (!rows.empty() && rows.back().empty()) rows.pop_back();
        Value value;
        std::size_t cols = rows.empty() ? 0 : rows[0].size();
        for (const auto& row : rows) {
            if (row.size() != cols) fail("rows of different lengths");
        }
        value.dims = {rows.size(), cols};
        value.real.resize(rows.size() * cols);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < cols; ++c) value.real[c * rows.size() + r] = rows[r][c];
        }
        return value;
    }

    Value parseString()
    {
        expect('\'');
        Value value;
        value.classId = mxCHAR_CLASS;
        while (true) {
            if (pos_ >= text_.size()) fail("missing closing quote");
            char c = text_[pos_++];
            if (c == '\'') {
                if (pos_ < text_.size() && text_[pos_] == '\'') {
                    value.text += '\'';
                    ++pos_;
                    continue;
                }
                break;
            }
            value.text += c;
        }
        value.dims = {value.text.empty() ? 0u : 1u, value.text.size()};
        return value;
    }

    std::vector<Value> parseArguments(int depth)
    {
        enter(depth);
        expect('(');
        std::vector<Value> args;
        if (accept(')')) return args;
        do {
            args.push_back(parseValue(depth + 1));
        } while (accept(','));
        expect(')');
        return args;
    }

    static std::vector<std::size_t> dimsFrom(const std::vector<Value>& args, const std::string& name)
    {
        std::vector<std::size_t> dims;
        for (const Value& arg : args) {
            for (double d : arg.real) {
                if (!(d >= 0) || d != std::floor(d) || d > 1e6) {
                    throw LiteralError(name + ": sizes must be small non-negative integers");
                }
                dims.push_back(static_cast<std::size_t>(d));
            }
        }
        if (dims.empty()) dims = {1, 1};
        if (dims.size() == 1) dims.push_back(dims[0]);
        return dims;
    }

    Value parseCall(const std::string& name, int depth)
    {
        std::vector<Value> args = parseArguments(depth);
        if (name == "zeros" || name == "ones" || name == "nan" || name == "NaN" || name == "cell" || name == "struct") {
            Value value;
            if (name == "struct") {
                if (!args.empty()) fail("struct() takes no arguments here");
                value.classId = mxSTRUCT_CLASS;
                return value;
            }
            value.dims = dimsFrom(args, name);
            const std::size_t largest = 10000000;
            std::size_t count = 1;
            for (std::size_t d : value.dims) {
                if (d > 0 && count > largest / d) fail("array too large");
                count *= d;
            }
            double fill = name == "ones" ? 1.0 : (name == "zeros" || name == "cell") ? 0.0 : std::nan("");
            value.real.assign(count, fill);
            if (name == "cell") value.classId = mxCELL_CLASS;
            return value;
        }
        if (name == "complex") {
            if (args.empty() || args.size() > 2) fail("complex takes one or two arguments");
            Value value = args[0];
            value.imag.assign(value.real.size(), 0.0);
            if (args.size() == 2) {
                if (args[1].real.size() == value.real.size()) {
                    value.imag = args[1].real;
                } else if (args[1].real.size() == 1) {
                    value.imag.assign(value.real.size(), args[1].real[0]);
                } else {
                    fail("complex parts of different sizes");
                }
            }
            return value;
        }
        if (args.size() != 1) fail(name + " takes one argument");
        Value value = args[0];
        if (value.classId != mxDOUBLE_CLASS) fail(name + " needs a numeric argument");
        if (name == "double") return value;
        if (name == "sparse") {
            value.sparse = true;
            return value;
        }
        static const struct {
            const char* name;
            mxClassID classId;
        } classes[] = {{"single", mxSINGLE_CLASS},  {"int8", mxINT8_CLASS},     {"uint8", mxUINT8_CLASS},
                       {"int16", mxINT16_CLASS},    {"uint16", mxUINT16_CLASS}, {"int32", mxINT32_CLASS},
                       {"uint32", mxUINT32_CLASS},  {"int64", mxINT64_CLASS},   {"uint64", mxUINT64_CLASS},
                       {"logical", mxLOGICAL_CLASS}};
        for (const auto& entry : classes) {
            if (name == entry.name) {
                if (entry.classId == mxLOGICAL_CLASS) {
                    for (double v : value.real) {
                        if (std::isnan(v)) fail("NaN cannot be converted to logical");
                    }
                }
                value.classId = entry.classId;
                return value;
            }
        }
        fail("unknown function '" + name + "'");
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

// Integer conversion as the host does it: round half away from zero, saturate, NaN to 0.
template <typename T>
T toInteger(double v)
{
    if (std::isnan(v)) return 0;
    double r = std::round(v);
    if (r <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(r);
}

template <typename T>
void store(void* data, std::size_t index, T value)
{
    std::memcpy(static_cast<char*>(data) + index * sizeof(T), &value, sizeof(T));
}

void storeElement(mxClassID classId, void* data, std::size_t k, double v)
{
    switch (classId) {
    case mxDOUBLE_CLASS: store<double>(data, k, v); break;
    case mxSINGLE_CLASS: store<float>(data, k, static_cast<float>(v)); break;
    case mxINT8_CLASS: store<std::int8_t>(data, k, toInteger<std::int8_t>(v)); break;
    case mxUINT8_CLASS: store<std::uint8_t>(data, k, toInteger<std::uint8_t>(v)); break;
    case mxINT16_CLASS: store<std::int16_t>(data, k, toInteger<std::int16_t>(v)); break;
    case mxUINT16_CLASS: store<std::uint16_t>(data, k, toInteger<std::uint16_t>(v)); break;
    case mxINT32_CLASS: store<std::int32_t>(data, k, toInteger<std::int32_t>(v)); break;
    case mxUINT32_CLASS: store<std::uint32_t>(data, k, toInteger<std::uint32_t>(v)); break;
    case mxINT64_CLASS: store<std::int64_t>(data, k, toInteger<std::int64_t>(v)); break;
    case mxUINT64_CLASS: store<std::uint64_t>(data, k, toInteger<std::uint64_t>(v)); break;
    case mxLOGICAL_CLASS: store<std::uint8_t>(data, k, v != 0 ? 1 : 0); break;
    default: break;
    }
}

Array materialise(const Value& value)
{
    std::vector<mwSize> dims;
    for (std::size_t d : value.dims) dims.push_back(static_cast<mwSize>(d));
    if (value.classId == mxCHAR_CLASS) return Array(mxCreateString(value.text.c_str()));
    if (value.classId == mxSTRUCT_CLASS) return Array(mxCreateStructMatrix(1, 1, 0, nullptr));
    if (value.classId == mxCELL_CLASS) return Array(mxCreateCellMatrix(dims[0], dims[1]));
    if (value.sparse) {
        std::size_t rows = value.dims[0];
        std::size_t cols = value.dims.size() > 1 ? value.dims[1] : 1;
        std::size_t nonzeros = 0;
        for (double v : value.real) nonzeros += v != 0;
        Array array(mxCreateSparse(static_cast<mwSize>(rows), static_cast<mwSize>(cols), static_cast<mwSize>(nonzeros),
                                   mxREAL));
        double* pr = mxGetPr(array.get());
        mwIndex* ir = mxGetIr(array.get());
        mwIndex* jc = mxGetJc(array.get());
        std::size_t next = 0;
        for (std::size_t c = 0; c < cols; ++c) {
            jc[c] = static_cast<mwIndex>(next);
            for (std::size_t r = 0; r < rows; ++r) {
                double v = value.real[c * rows + r];
                if (v != 0) {
                    pr[next] = v;
                    ir[next] = static_cast<mwIndex>(r);
                    ++next;
                }
            }
        }
        jc[cols] = static_cast<mwIndex>(next);
        return array;
    }
    mxComplexity complexity = value.imag.empty() ? mxREAL : mxCOMPLEX;
    Array array(mxCreateNumericArray(static_cast<mwSize>(dims.size()), dims.data(), value.classId, complexity));
    void* real = mxGetData(array.get());
    for (std::size_t k = 0; k < value.real.size(); ++k) storeElement(value.classId, real, k, value.real[k]);
    if (!value.imag.empty()) {
        void* imag = mxGetImagData(array.get());
        for (std::size_t k = 0; k < value.imag.size(); ++k) storeElement(value.classId, imag, k, value.imag[k]);
    }
    return array;
}

}  // namespace

Array parseLiteral(const std::string& text)
{
    Parser parser(text);
    return materialise(parser.parseAll());
}

}  // namespace montemex::cli
