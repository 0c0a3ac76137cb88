// C++ interface of the embedded host, for the command-line tool and the tests.
//
// The host is one per process, like the numerical environment it stands in for: every Host object
// is a handle to the same arrays, random generators and loaded modules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "matrix.h"

namespace montemex {

struct ArrayDeleter {
    void operator()(mxArray* array) const { mxDestroyArray(array); }
};
// An array owned by host code (not by a module call).
using Array = std::unique_ptr<mxArray, ArrayDeleter>;

// What one module call did at the host boundary.
struct CallStats {
    std::size_t hostCalls = 0;          // mexCallMATLAB calls
    std::size_t uniformsDrawn = 0;      // numbers returned by "rand"
    std::size_t normalsDrawn = 0;       // numbers returned by "randn"
    std::size_t arraysCreated = 0;      // host arrays created during the call
    std::size_t arraysReclaimed = 0;    // temporaries the module left for the host to destroy
    std::size_t blocksReclaimed = 0;    // mxMalloc blocks the module left for the host to free
    std::size_t peakLiveArrays = 0;     // most temporaries alive at one time
    std::size_t peakLiveBytes = 0;      // most bytes held in temporaries and blocks at one time
    std::vector<std::string> misuse;    // interface misuse: wrong-type reads, double frees, ...
    std::vector<std::string> warnings;  // "identifier: message" of each warning raised
    std::size_t interruptChecks = 0;    // statements evaluated to let an interrupt end the call
};

struct CallResult {
    bool ok = false;
    std::string identifier;  // of the error, when !ok
    std::string message;     // of the error, when !ok
    std::vector<Array> outputs;
    CallStats stats;
    std::vector<std::string> log;  // host calls in order, when logging is on
};

// "rand" and "randn" either draw from independent generators (as GNU Octave does) or share one
// stream (as MATLAB does).
enum class StreamMode { Separate, Shared };

// Complete state of the host's random generators, comparable for equality.
struct RandomState {
    std::mt19937 uniformEngine;
    std::mt19937 normalEngine;
    std::uint64_t uniformsDrawn = 0;
    std::uint64_t normalsDrawn = 0;
    bool operator==(const RandomState& other) const;
    bool operator!=(const RandomState& other) const { return !(*this == other); }
};

// A function that stands in for one of the host's own ("rand", "randn", "sort") the way a user's
// m-file of that name shadows it: it receives the call's output slots and arguments and may put
// anything into the slots, or nothing.
using HostFunction = std::function<void(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[])>;

// What the host does with a module's warning, by identifier, as warning("on" | "off" | "error", id)
// sets it in a host: print and record it (On, the default), ignore it (Off), or end the call with
// an error of the warning's identifier and message (Error).
enum class WarningMode { On, Off, Error };

class Host {
public:
    // Directories searched in order for "<name><suffix>", first match wins. The suffixes are the
    // module file endings of this build of the host: ".mexa64" on Linux, ".mexw64" on 64-bit
    // Windows, ".mexw32" then ".dll" (the legacy files) on 32-bit Windows.
    void setModulePath(std::vector<std::string> directories);
    const std::vector<std::string>& modulePath() const;
    static std::vector<std::string> moduleSuffixes();
    std::vector<std::string> listModules() const;

    // Calls a module as the host would for "[out1, ...] = name(args...)" with nlhs outputs.
    CallResult call(const std::string& name, int nlhs, const std::vector<const mxArray*>& args);
    // Forgets a loaded module, so its next call loads it afresh (module state starts over).
    void unload(const std::string& name);
    void unloadAll();

    // Random generators.
    void seed(std::uint32_t seed);
    void setStreamMode(StreamMode mode);
    RandomState randomState() const;
    void setRandomState(const RandomState& state);
    // Numbers "rand" / "randn" return before anything else; running out of them is an error.
    void scriptUniforms(std::vector<double> values);
    void scriptNormals(std::vector<double> values);
    void clearScripts();

    // Host arrays alive now (those held by host code; a call reclaims its own temporaries).
    std::size_t liveArrayCount() const;

    // Largest element count the host will create in one array ("Out of memory." beyond). By
    // default the memory rule's limit in doubles: 90% of physical memory, or the bytes given by
    // the environment variable MONTEMEX_MEMORY_LIMIT (which the modules honour too).
    void setMaxElements(std::size_t count);
    // Sets MONTEMEX_MEMORY_LIMIT for the modules (and the host's own limit to match); 0 unsets it.
    void setMemoryLimit(double bytes);
    // Sets MONTEMEX_MEMORY_LIMIT to `text`, whatever it holds ("" unsets it on Windows), and the
    // host's own limit by the rule the modules follow: the bytes when the text is a positive
    // finite number (4e9, 4000000000, 2.5e9), else the default.
    void setMemoryLimitVariable(const std::string& text);

    // Makes the next interrupt check of a module call end the call ("Interrupted."), as Ctrl-C
    // does in a host. Safe to call from a signal handler.
    static void requestInterrupt();
    void setLogging(bool on);

    void setWarningMode(const std::string& identifier, WarningMode mode);
    void clearWarningModes();

    // Shadowing of the host's functions, as users shadow them with m-files of the same name.
    void shadowFunction(const std::string& name, HostFunction function);
    void clearShadows();

    // Direct calls of the host's own functions ("rand", "randn", "sort"), as a module would make.
    CallResult callBuiltin(const std::string& name, int nlhs, const std::vector<const mxArray*>& args);
};

// Array helpers for host code.
Array makeMatrix(std::size_t rows, std::size_t cols, const std::vector<double>& columnMajor);
Array makeScalar(double value);
Array makeRow(const std::vector<double>& values);
std::vector<double> values(const mxArray* array);  // real part as doubles, any numeric class
std::vector<std::size_t> dimensions(const mxArray* array);

}  // namespace montemex
