// Errors raised by the modules. Every error carries the identifier "montemex:<function>:<reason>";
// the messages shared by all modules are raised by the checks below.
#pragma once

namespace montemex {

// Ends the module call through the host's error call; never returns.
[[noreturn]] void raiseError(const char* function, const char* reason, const char* message);

// A warning with the identifier "montemex:<function>:<reason>", which users can turn off by it.
void warn(const char* function, const char* reason, const char* message);

// "Too many output arguments." when more than one output is requested.
void checkOutputCount(const char* function, int nlhs);

// "Wrong number of input arguments." unless `countIsValid`.
void checkInputCount(const char* function, bool countIsValid);

}  // namespace montemex
