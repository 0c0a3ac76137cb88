// montemex: call the project's modules from the shell through the embedded host.
#include <algorithm>
#include <csignal>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "display.hpp"
#include "help_file.hpp"
#include "literal.hpp"
#include "montemex/host.hpp"
#include "options.hpp"

namespace {

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

// Help files: installed beside the tool (<prefix>/share/montemex/help), else the source tree's.
std::vector<std::string> helpPath(const std::string& exeDir)
{
    return {exeDir + "/../" + MONTEMEX_INSTALL_DATADIR + "/montemex/help", MONTEMEX_HELP_SOURCE_DIR};
}

// What the tool says of a function written as an m-file (unitrun and the like), which only
// Octave and MATLAB can run.
std::string mFileNote(const std::string& name)
{
    return "montemex: " + name + " is an m-file for Octave and MATLAB (help " + name +
           " there), not a function this tool can call (montemex --list shows those).";
}

// Whether `name` is one of the functions written as m-files, by its help file.
bool isMFileFunction(const std::string& name, const std::string& exeDir)
{
    std::string path = montemex::cli::findHelpFile(name, helpPath(exeDir));
    if (path.empty()) return false;
    std::ifstream file(path);
    return montemex::cli::isFunctionFile(file);
}

int showHelp(const std::vector<std::string>& words, const std::string& exeDir)
{
    if (words.empty()) {
        std::cout << montemex::cli::usageText();
        return 0;
    }
    std::string path = montemex::cli::findHelpFile(words[0], helpPath(exeDir));
    if (path.empty()) {
        std::cerr << "montemex: no help for '" << words[0] << "' (montemex --list shows the functions).\n";
        return 2;
    }
    std::ifstream file(path);
    if (montemex::cli::isFunctionFile(file)) {
        std::cerr << mFileNote(words[0]) << '\n';
        return 2;
    }
    file.seekg(0);
    std::cout << montemex::cli::helpText(file);
    return 0;
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

// Ctrl-C ends a long module call at its next interrupt check ("Interrupted.", exit status 1); a
// second Ctrl-C ends the tool at once.
extern "C" void onInterrupt(int)
{
    std::signal(SIGINT, SIG_DFL);
    montemex::Host::requestInterrupt();
}

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

int run(int argc, char** argv)
{
    using montemex::cli::Action;
    if (argc < 2) {
        std::cerr << montemex::cli::usageText();
        return 2;
    }
    montemex::cli::Options options;
    try {
        options = montemex::cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const montemex::cli::UsageError& e) {
        std::cerr << "montemex: " << e.what() << '\n';
        return 2;
    }
    std::string exeDir = executableDirectory(argv[0]);
    if (options.action == Action::Version) {
        std::cout << "montemex " << MONTEMEX_VERSION << '\n';
        return 0;
    }
    if (options.action == Action::Help) return showHelp(options.words, exeDir);

    montemex::Host host;
    std::vector<std::string> path = options.extraPath;
    for (std::string& dir : defaultModulePath(exeDir, options.legacy)) path.push_back(std::move(dir));
    host.setModulePath(path);
    if (options.seed >= 0) host.seed(static_cast<std::uint32_t>(options.seed));

    if (options.action == Action::List) {
        for (const std::string& name : host.listModules()) std::cout << name << '\n';
        return 0;
    }
    if (options.action == Action::Demo) return runDemo(host, options.style);
    std::string name = options.words[0];
    // A function with no legacy build is named as such, not as an unknown function.
    if (options.legacy && !listed(host.listModules(), name)) {
        host.setModulePath(defaultModulePath(exeDir, false));
        const bool current = listed(host.listModules(), name);
        host.setModulePath(path);
        if (current) {
            std::cerr << "montemex: " << name
                      << " has no legacy build (montemex --list --legacy shows those that have one).\n";
            return 1;
        }
    }
    if (!listed(host.listModules(), name) && isMFileFunction(name, exeDir)) {
        std::cerr << mFileNote(name) << '\n';
        return 1;
    }
    std::vector<std::string> literals(options.words.begin() + 1, options.words.end());
    return runCall(host, name, literals, options.nargout, options.style);
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, onInterrupt);
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        // Memory the host itself could not get outside a module call (a module's own requests
        // end its call with "Out of memory." instead).
        std::cerr << "montemex: Out of memory.\n";
        return 1;
    }
}
