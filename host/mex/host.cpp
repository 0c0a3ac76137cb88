// The embedded host's C++ interface: module calls, random generators, configuration.
#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <map>

#include "../mx/host_state.hpp"
#include "builtins.hpp"
#include "loader.hpp"
#include "montemex/host.hpp"
#include "random.hpp"

namespace montemex {

using namespace host;

namespace {

struct ModuleEntry {
    std::string name;
    LoadedModule module;
};

struct ModuleTable {
    std::vector<std::string> path;
    std::map<std::string, ModuleEntry> loaded;  // by file path, so builds of one name stay apart
};

ModuleTable& modules()
{
    static ModuleTable table;
    return table;
}

bool isFunctionName(const std::string& name)
{
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// Calls the entry point. An error raised inside jumps back here; nothing in this frame needs
// destroying, so the jump is safe.
bool invokeEntry(MexEntry entry, int nlhs, mxArray** plhs, int nrhs, const mxArray** prhs)
{
    std::jmp_buf jump;
    state().errorJump = &jump;
    if (setjmp(jump) != 0) {
        state().errorJump = nullptr;
        return false;
    }
    entry(nlhs, plhs, nrhs, prhs);
    state().errorJump = nullptr;
    return true;
}

void beginCall(const std::string& name)
{
    HostState& s = state();
    s.inCall = true;
    s.currentModule = name;
    s.stats = CallStats{};
    s.log.clear();
    setError("", "");
    s.liveBytes = 0;
    s.liveTemporaryArrays = 0;
}

// Reclaims what the call left behind and ends it. Needs no memory.
void closeCall()
{
    HostState& s = state();
    reclaimCallMemory();
    s.inCall = false;
}

// Hands the outputs to the caller, reclaims everything else and closes the call.
void finishCall(bool ok, int nlhs, std::vector<mxArray*>& plhs, const std::vector<const mxArray*>& args,
                CallResult& result)
{
    HostState& s = state();
    result.ok = ok;
    result.outputs.reserve(plhs.size());
    if (ok) {
        for (std::size_t k = 0; k < plhs.size(); ++k) {
            mxArray* out = plhs[k];
            if (out == nullptr) {
                if (static_cast<int>(k) < nlhs) {
                    result.ok = false;
                    result.identifier = "MATLAB:unassignedOutputs";
                    result.message =
                        "One or more output arguments not assigned during call to '" + s.currentModule + "'.";
                }
                result.outputs.emplace_back(nullptr);
                continue;
            }
            auto it = s.arrays.find(out);
            if (it == s.arrays.end() || it->second != Owner::Temporary) {
                bool isInput = std::find(args.begin(), args.end(), out) != args.end();
                s.stats.misuse.push_back(isInput ? "an input array returned as an output"
                                                 : "an output that is not a live array");
                mxArray* copy = isInput ? mxDuplicateArray(out) : nullptr;
                if (copy != nullptr) s.arrays[copy] = Owner::Caller;
                result.outputs.emplace_back(copy);
                continue;
            }
            it->second = Owner::Caller;
            result.outputs.emplace_back(out);
        }
    } else {
        result.identifier = s.errorId;
        result.message = s.errorMessage;
    }
    closeCall();
    s.currentModule.clear();
    result.stats = s.stats;
    result.log = std::move(s.log);
    s.log.clear();
    // A call that left a requested output unassigned returns nothing: the outputs it did assign
    // are destroyed here, once the call is closed (inside it they would count as module misuse).
    if (!result.ok) result.outputs.clear();
}

// finishCall, which closes the call even when memory runs out on the way (std::bad_alloc): the
// exception then goes to the caller, who gets no outputs.
void endCall(bool ok, int nlhs, std::vector<mxArray*>& plhs, const std::vector<const mxArray*>& args,
             CallResult& result)
{
    try {
        finishCall(ok, nlhs, plhs, args, result);
    } catch (...) {
        closeCall();
        throw;
    }
}

}  // namespace

void Host::setModulePath(std::vector<std::string> directories)
{
    modules().path = std::move(directories);
}

const std::vector<std::string>& Host::modulePath() const
{
    return modules().path;
}

std::vector<std::string> Host::moduleSuffixes()
{
    return moduleFileSuffixes();
}

std::vector<std::string> Host::listModules() const
{
    std::vector<std::string> names;
    for (const std::string& dir : modules().path) {
        for (const std::string& suffix : moduleFileSuffixes()) {
            for (std::string& name : filesWithSuffix(dir, suffix)) {
                if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
            }
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

CallResult Host::call(const std::string& name, int nlhs, const std::vector<const mxArray*>& args)
{
    CallResult result;
    ModuleTable& table = modules();
    std::string path;
    if (isFunctionName(name)) {
        const std::vector<std::string> suffixes = moduleFileSuffixes();
        for (std::size_t d = 0; d < table.path.size() && path.empty(); ++d) {
            for (const std::string& suffix : suffixes) {
                std::string candidate = table.path[d] + "/" + name + suffix;
                if (fileExists(candidate)) {
                    path = candidate;
                    break;
                }
            }
        }
    }
    if (path.empty()) {
        result.identifier = "MATLAB:UndefinedFunction";
        result.message = "Undefined function '" + name + "'.";
        return result;
    }
    auto found = table.loaded.find(path);
    if (found == table.loaded.end()) {
        std::string error;
        LoadedModule module = loadModuleFile(path, error);
        if (module.entry == nullptr) {
            result.identifier = "montemex:host:loadFailed";
            result.message = "Cannot load '" + name + "': " + error;
            return result;
        }
        found = table.loaded.emplace(path, ModuleEntry{name, module}).first;
    }

    std::vector<mxArray*> plhs(static_cast<std::size_t>(std::max(nlhs, 1)), nullptr);
    std::vector<const mxArray*> prhs(args);
    beginCall(name);
    bool ok = invokeEntry(found->second.module.entry, nlhs, plhs.data(), static_cast<int>(prhs.size()), prhs.data());
    endCall(ok, nlhs, plhs, args, result);
    return result;
}

void Host::unload(const std::string& name)
{
    ModuleTable& table = modules();
    for (auto it = table.loaded.begin(); it != table.loaded.end();) {
        if (it->second.name == name) {
            unloadModuleFile(it->second.module);
            it = table.loaded.erase(it);
        } else {
            ++it;
        }
    }
}

void Host::unloadAll()
{
    for (auto& entry : modules().loaded) unloadModuleFile(entry.second.module);
    modules().loaded.clear();
}

CallResult Host::callBuiltin(const std::string& name, int nlhs, const std::vector<const mxArray*>& args)
{
    CallResult result;
    std::vector<mxArray*> plhs(static_cast<std::size_t>(std::max(nlhs, 1)), nullptr);
    std::vector<mxArray*> prhs;
    for (const mxArray* arg : args) prhs.push_back(const_cast<mxArray*>(arg));
    beginCall(name);
    BuiltinError error;
    bool ok = runBuiltin(name, nlhs, plhs.data(), static_cast<int>(prhs.size()), prhs.data(), error);
    if (!ok) setError(error.identifier, error.message);
    endCall(ok, nlhs, plhs, args, result);
    return result;
}

// The members that pass a setting on, one line each.
// clang-format off
void Host::setWarningMode(const std::string& identifier, WarningMode mode) { state().warningModes[identifier] = mode; }
void Host::clearWarningModes() { state().warningModes.clear(); }
void Host::shadowFunction(const std::string& name, HostFunction function) { shadows()[name] = std::move(function); }
void Host::clearShadows() { shadows().clear(); }
void Host::seed(std::uint32_t value) { generators().seed(value); }
void Host::setStreamMode(StreamMode mode) { generators().setMode(mode); }
RandomState Host::randomState() const { return generators().snapshot(); }
void Host::setRandomState(const RandomState& random) { generators().restore(random); }
void Host::scriptUniforms(std::vector<double> values) { generators().scriptUniforms(values); }
void Host::scriptNormals(std::vector<double> values) { generators().scriptNormals(values); }
void Host::clearScripts() { generators().clearScripts(); }
void Host::setMaxElements(std::size_t count) { state().maxElements = count; }
void Host::requestInterrupt() { requestInterruptFlag(); }
// clang-format on

void Host::setMemoryLimit(double bytes)
{
    if (bytes > 0.0) {
        setMemoryLimitVariable(std::to_string(bytes));
        return;
    }
#ifdef _WIN32
    _putenv_s("MONTEMEX_MEMORY_LIMIT", "");
#else
    unsetenv("MONTEMEX_MEMORY_LIMIT");
#endif
    state().maxElements = defaultMaxElements();
}

void Host::setMemoryLimitVariable(const std::string& text)
{
#ifdef _WIN32
    _putenv_s("MONTEMEX_MEMORY_LIMIT", text.c_str());
#else
    setenv("MONTEMEX_MEMORY_LIMIT", text.c_str(), 1);
#endif
    state().maxElements = defaultMaxElements();
}
std::size_t Host::liveArrayCount() const
{
    return state().arrays.size();
}
void Host::setLogging(bool on)
{
    state().logging = on;
}

Array makeMatrix(std::size_t rows, std::size_t cols, const std::vector<double>& columnMajor)
{
    Array array(mxCreateDoubleMatrix_700(static_cast<mwSize>(rows), static_cast<mwSize>(cols), mxREAL));
    std::size_t count = std::min(rows * cols, columnMajor.size());
    if (count > 0) std::memcpy(mxGetPr(array.get()), columnMajor.data(), count * sizeof(double));
    return array;
}

Array makeScalar(double value)
{
    return Array(mxCreateDoubleScalar(value));
}

Array makeRow(const std::vector<double>& values)
{
    return makeMatrix(1, values.size(), values);
}

std::vector<double> values(const mxArray* array)
{
    std::vector<double> result;
    if (array == nullptr) return result;
    std::size_t count = array->isSparse ? 0 : mxGetNumberOfElements(array);
    if (array->classId == mxCELL_CLASS || array->classId == mxSTRUCT_CLASS) count = 0;
    for (std::size_t k = 0; k < count; ++k) result.push_back(realElement(array, k));
    return result;
}

std::vector<std::size_t> dimensions(const mxArray* array)
{
    std::vector<std::size_t> result;
    if (array == nullptr) return result;
    for (mwSize d : array->dims) result.push_back(static_cast<std::size_t>(d));
    return result;
}

}  // namespace montemex
