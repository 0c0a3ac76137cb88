// The tool's command line: what to do and how.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "display.hpp"

namespace montemex::cli {

enum class Action { Call, List, Demo, Help, Version };

struct Options {
    Action action = Action::Call;
    // Call: the function name and its argument literals. Help: the function name, if any.
    std::vector<std::string> words;
    std::vector<std::string> extraPath;
    bool legacy = false;
    long long seed = -1;  // -1: not given
    int nargout = 1;
    Style style = Style::Short;
};

// A command line the tool cannot run; the message is one sentence.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Throws UsageError.
Options parseOptions(const std::vector<std::string>& args);

// True for an argument starting with '-' that is a negative number rather than an option:
// '-' followed by a digit, a '.', or exactly one of the named values (-Inf, -NaN, -pi, ...).
bool isNegativeLiteral(const std::string& arg);

const char* usageText();

}  // namespace montemex::cli
