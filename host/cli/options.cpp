#include "options.hpp"

#include <algorithm>
#include <cctype>

namespace montemex::cli {

namespace {

const char* const kUsage = R"(usage: montemex NAME [ARG ...] [options]   call the function NAME and print its result
       montemex help [NAME]                 show this text, or the help of NAME
       montemex --list | --demo | --version

Calls the module NAME on the embedded host with the given arguments and prints its result.
Arguments are MATLAB literals: 3  -0.5  NaN  Inf  [1 2; 3 4]  []  'text'  int32([1 2])
single(3)  logical([1 0])  sparse([1 0])  complex(1, 2)  zeros(2, 3, 4)  cell(1, 2)  struct()
(quote brackets and spaces for the shell). An argument starting with '-' is a negative number
when a digit, a '.' or one of Inf, inf, NaN, nan, pi, eps follows the '-' (-0.5, -.5, -1e3,
-Inf); any other argument starting with '-' is an option.

options:
  --seed N      seed the host's random generators first (default seed 5489)
  --nargout K   number of outputs to request, 0 to 16 (default 1; 0 calls it as a statement)
  --csv         print the result as comma-separated rows, full precision
  --long        print 15 significant digits (not with --csv)
  --legacy      call the legacy builds of the modules
  --path DIR    look for modules in DIR (may be repeated; searched first)
  --list        list the functions found (--legacy, --path apply)
  --demo        call every function once with seed 7 (--csv, --long, --legacy, --path apply)
  --help, -h    show this text; with NAME, the help of NAME
  --version     show the version
N and K are plain digits: no sign, no spaces. Options may come before or after NAME. An unknown
option, an option given twice (except --path) or one that does not apply is an error.

examples:
  montemex waitdraw 2 3 4 --seed 7             # a 3-by-4 matrix, mean 2
  montemex waitdraw '[1 2; 3 4]' --long        # one variate per mean
  montemex classdraw '[0.2 0.8]' 1 5 --csv     # five category indices as one CSV row
  montemex psivalue -0.5                       # digamma of -0.5
  montemex weightquantdraw '[3; 1; 4; 1; 5]' 50 4   # four Bayesian-bootstrap medians
  montemex help waitdraw

exit status: 0 success; 1 the call failed (the module raised an error, printed as
"NAME: message" on standard error, or could not be found or loaded); 2 a usage or literal error.
)";

// The options each action takes.
bool applies(const std::string& option, Action action)
{
    static const std::vector<std::string> call = {"--seed", "--nargout", "--csv", "--long", "--legacy", "--path"};
    static const std::vector<std::string> demo = {"--csv", "--long", "--legacy", "--path"};
    static const std::vector<std::string> list = {"--legacy", "--path"};
    const std::vector<std::string>* allowed = nullptr;
    switch (action) {
    case Action::Call: allowed = &call; break;
    case Action::Demo: allowed = &demo; break;
    case Action::List: allowed = &list; break;
    default: return false;
    }
    return std::find(allowed->begin(), allowed->end(), option) != allowed->end();
}

// A whole number from 0 to `largest` in plain digits; anything else is a usage error.
long long wholeNumber(const std::string& option, const std::string& text, long long largest)
{
    bool digits = !text.empty() && text.size() <= 10 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
    long long number = digits ? std::stoll(text) : -1;
    if (number < 0 || number > largest) {
        throw UsageError(option + " needs a non-negative integer (plain digits, at most " + std::to_string(largest) +
                         ").");
    }
    return number;
}

std::string actionName(Action action)
{
    switch (action) {
    case Action::List: return "--list";
    case Action::Demo: return "--demo";
    case Action::Version: return "--version";
    case Action::Help: return "help";
    default: return "a call";
    }
}

}  // namespace

bool isNegativeLiteral(const std::string& arg)
{
    if (arg.size() < 2 || arg[0] != '-') return false;
    if (std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.') return true;
    static const char* const names[] = {"Inf", "inf", "NaN", "nan", "pi", "eps"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* name) { return arg.compare(1, std::string::npos, name) == 0; });
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options options;
    std::vector<std::string> given;  // options taking part in the action, in order
    std::vector<Action> modes;       // --list, --demo, --version, --help
    auto once = [&](const std::string& option) {
        if (option != "--path" && std::find(given.begin(), given.end(), option) != given.end()) {
            throw UsageError(option + " is given twice.");
        }
        given.push_back(option);
    };
    auto mode = [&](const std::string& option, Action action) {
        if (std::find(modes.begin(), modes.end(), action) != modes.end()) throw UsageError(option + " is given twice.");
        modes.push_back(action);
    };

    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        auto value = [&]() -> std::string {
            if (k + 1 >= args.size()) throw UsageError(arg + " needs a value.");
            return args[++k];
        };
        if (arg.empty() || arg[0] != '-' || isNegativeLiteral(arg)) {
            options.words.push_back(arg);
        } else if (arg == "--help" || arg == "-h") {
            mode(arg, Action::Help);
        } else if (arg == "--list") {
            mode(arg, Action::List);
        } else if (arg == "--demo") {
            mode(arg, Action::Demo);
        } else if (arg == "--version") {
            mode(arg, Action::Version);
        } else if (arg == "--csv" || arg == "--long") {
            once(arg);
            options.style = arg == "--csv" ? Style::Csv : Style::Long;
        } else if (arg == "--legacy") {
            once(arg);
            options.legacy = true;
        } else if (arg == "--path") {
            once(arg);
            options.extraPath.push_back(value());
        } else if (arg == "--seed") {
            once(arg);
            options.seed = wholeNumber(arg, value(), 4294967295LL);
        } else if (arg == "--nargout") {
            once(arg);
            options.nargout = static_cast<int>(wholeNumber(arg, value(), 16));
        } else {
            throw UsageError("unknown option " + arg + " (see montemex --help).");
        }
    }

    // "help NAME" is "--help NAME".
    if (!options.words.empty() && options.words[0] == "help") {
        mode("help", Action::Help);
        options.words.erase(options.words.begin());
    }
    if (modes.size() > 1) {
        throw UsageError(actionName(modes[0]) + " and " + actionName(modes[1]) + " cannot be combined.");
    }
    if (!modes.empty()) options.action = modes[0];

    if (options.action == Action::Call && options.words.empty()) {
        throw UsageError("no function name given (see montemex --help).");
    }
    if (options.action == Action::Call && options.words[0].empty()) {
        throw UsageError("the function name is empty (montemex --list shows the functions).");
    }
    if (options.action == Action::Help && options.words.size() > 1) {
        throw UsageError("help takes at most one function name.");
    }
    if ((options.action == Action::List || options.action == Action::Demo || options.action == Action::Version) &&
        !options.words.empty()) {
        throw UsageError(actionName(options.action) + " takes no function name or arguments.");
    }
    bool csv = std::find(given.begin(), given.end(), "--csv") != given.end();
    bool longDigits = std::find(given.begin(), given.end(), "--long") != given.end();
    if (csv && longDigits) throw UsageError("--csv and --long cannot be combined.");
    for (const std::string& option : given) {
        if (!applies(option, options.action)) {
            throw UsageError(option + " does not apply to " + actionName(options.action) + ".");
        }
    }
    return options;
}

const char* usageText()
{
    return kUsage;
}

}  // namespace montemex::cli
