// montemex: call the project's modules from the shell through the embedded host.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "display.hpp"
#include "literal.hpp"
#include "montemex/host.hpp"

namespace {

const char* const kUsage = R"(usage: montemex NAME [ARG ...] [options]
       montemex --list | --demo | --help

Calls the module NAME on the embedded host with the given arguments and prints its result.
Arguments are MATLAB literals: 3  -0.5  NaN  Inf  [1 2; 3 4]  []  'text'  int32([1 2])
single(3)  logical([1 0])  sparse([1 0])  complex(1, 2)  zeros(2, 3, 4)  cell(1, 2)  struct()
(quote brackets and spaces for the shell: montemex waitdraw 2 '[1 2; 3 4]').

options:
  --seed N      seed the host's random generators first (default seed 5489)
  --nargout K   number of outputs to request (default 1; 0 calls it as a statement)
  --csv         print the result as comma-separated rows, full precision
  --long        print 15 significant digits
  --legacy      call the legacy builds of the modules
  --path DIR    look for modules in DIR (may be repeated; searched first)
  --list        list the functions found
  --demo        call every function once with typical arguments (--csv, --long apply)
  --help        show this text

A module error prints "NAME: message" on standard error and exits with status 1.
)";

// Directory holding this executable, to find the modules built or installed next to it.
std::string executableDirectory(const char* argv0)
{
    std::string path;
#ifndef _WIN32
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) path.assign(buffer, static_cast<std::size_t>(length));
#endif
    if (path.empty()) path = argv0;
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> defaultModulePath(const std::string& exeDir, bool legacy)
{
    const std::string build = legacy ? "legacy" : "current";
    // The build tree first, then an installed tree (<prefix>/bin next to <prefix>/<libdir>).
    return {exeDir + "/../embedded/" + build, exeDir + "/../" + MONTEMEX_INSTALL_LIBDIR + "/montemex/" + build};
}

struct DemoCall {
    const char* name;
    std::vector<const char*> args;
    const char* what;
};

const std::vector<DemoCall>& demoCalls()
{
    static const std::vector<DemoCall> calls = {
        {"shapedraw", {"3", "8", "2", "4"}, "gamma variates, mean 3, 8 degrees of freedom"},
        {"recipshapedraw", {"2", "10", "3", "1"}, "scaled inverse chi-square variates"},
        {"shapedrawone", {"3", "8"}, "one gamma variate"},
        {"recipshapedrawone", {"2", "10"}, "one scaled inverse chi-square variate"},
        {"studentdraw", {"[1 2 5]"}, "Student t variates with 1, 2 and 5 degrees of freedom"},
        {"waitdraw", {"2", "3", "4"}, "exponential variates with mean 2"},
        {"simplexdraw", {"3", "4"}, "four points uniform on the 3-simplex, one per column"},
        {"classdraw", {"[0.2 0.3 0.5]", "2", "5"}, "category indices"},
        {"scalehyperdraw", {"1", "1", "1", "1", "1"}, "a conditional scale draw"},
        {"plainpick", {"[0.1 0.2 0.3 0.4]"}, "multinomial resampling"},
        {"remainderpick", {"[0.1 0.2 0.3 0.4]"}, "residual resampling"},
        {"layeredpick", {"[0.1 0.2 0.3 0.4]"}, "stratified resampling"},
        {"fixedpick", {"[0.1 0.2 0.3 0.4]"}, "deterministic resampling"},
        {"weightavgdraw", {"[1 10; 2 20; 3 30; 4 40]", "3"}, "Bayesian-bootstrap column means"},
        {"weightquantdraw", {"[1; 2; 3; 4; 5]", "[5 50 95]", "3"}, "Bayesian-bootstrap percentiles"},
        {"psivalue", {"[0.5 1 2 10]"}, "digamma"},
        {"squashfn", {"[-20 -0.5 0 0.5 20]"}, "clipped hyperbolic tangent"},
    };
    return calls;
}

// Calls one function and prints its result; returns the process exit status.
int runCall(montemex::Host& host, const std::string& name, const std::vector<std::string>& literals, int nargout,
            montemex::cli::Style style)
{
    std::vector<montemex::Array> args;
    try {
        for (const std::string& literal : literals) args.push_back(montemex::cli::parseLiteral(literal));
    } catch (const std::exception& e) {
        std::cerr << "montemex: " << e.what() << '\n';
        return 2;
    }
    std::vector<const mxArray*> argv;
    for (const auto& arg : args) argv.push_back(arg.get());
    montemex::CallResult result = host.call(name, nargout, argv);
    if (!result.ok) {
        std::cerr << name << ": " << result.message << '\n';
        return 1;
    }
    for (std::size_t k = 0; k < result.outputs.size(); ++k) {
        if (!result.outputs[k]) continue;
        std::string label = nargout <= 1 ? "ans" : "out" + std::to_string(k + 1);
        montemex::cli::display(std::cout, label, result.outputs[k].get(), style);
    }
    return 0;
}

int runDemo(montemex::Host& host, montemex::cli::Style style)
{
    host.seed(7);
    int shown = 0;
    std::vector<std::string> available = host.listModules();
    for (const DemoCall& call : demoCalls()) {
        bool present = false;
        for (const std::string& name : available) present = present || name == call.name;
        if (!present) continue;
        std::string text = std::string(call.name) + "(";
        std::vector<std::string> literals;
        for (std::size_t k = 0; k < call.args.size(); ++k) {
            text += (k > 0 ? ", " : "") + std::string(call.args[k]);
            literals.emplace_back(call.args[k]);
        }
        std::cout << ">> " << text << ")    % " << call.what << '\n';
        if (runCall(host, call.name, literals, 1, style) != 0) return 1;
        ++shown;
    }
    std::cout << shown << " of " << demoCalls().size() << " functions shown (seed 7).\n";
    return shown > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> positional;
    std::vector<std::string> extraPath;
    bool legacy = false;
    bool list = false;
    bool demo = false;
    long long seed = -1;
    int nargout = 1;
    montemex::cli::Style style = montemex::cli::Style::Short;

    for (int k = 1; k < argc; ++k) {
        std::string arg = argv[k];
        auto value = [&](const char* option) -> std::string {
            if (k + 1 >= argc) {
                std::cerr << "montemex: " << option << " needs a value\n";
                std::exit(2);
            }
            return argv[++k];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--demo") {
            demo = true;
        } else if (arg == "--csv") {
            style = montemex::cli::Style::Csv;
        } else if (arg == "--long") {
            style = montemex::cli::Style::Long;
        } else if (arg == "--legacy") {
            legacy = true;
        } else if (arg == "--path") {
            extraPath.push_back(value("--path"));
        } else if (arg == "--seed" || arg == "--nargout") {
            std::string text = value(arg.c_str());
            char* end = nullptr;
            // long long: a long has 32 bits on Windows.
            long long number = std::strtoll(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || number < 0 || (arg == "--nargout" && number > 16) ||
                number > 4294967295LL) {
                std::cerr << "montemex: " << arg << " needs a non-negative integer\n";
                return 2;
            }
            if (arg == "--seed") {
                seed = number;
            } else {
                nargout = static_cast<int>(number);
            }
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::cerr << "montemex: unknown option " << arg << " (see montemex --help)\n";
            return 2;
        } else {
            positional.push_back(arg);
        }
    }

    montemex::Host host;
    std::vector<std::string> path = extraPath;
    for (std::string& dir : defaultModulePath(executableDirectory(argv[0]), legacy)) path.push_back(std::move(dir));
    host.setModulePath(path);
    if (seed >= 0) host.seed(static_cast<std::uint32_t>(seed));

    if (list) {
        for (const std::string& name : host.listModules()) std::cout << name << '\n';
        return 0;
    }
    if (demo) return runDemo(host, style);
    if (positional.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::string name = positional[0];
    positional.erase(positional.begin());
    return runCall(host, name, positional, nargout, style);
}
