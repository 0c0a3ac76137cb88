#include "loader.hpp"

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#endif

#include "mex.h"
#include "module_file.hpp"

namespace montemex::host {

#ifdef _WIN32

// The names users get: 32-bit current builds are <name>.mexw32, legacy builds <name>.dll.
std::vector<std::string> moduleFileSuffixes()
{
#ifdef _WIN64
    return {".mexw64"};
#else
    return {".mexw32", ".dll"};
#endif
}

// A module built for another host is not detected here: GetProcAddress sees a module's exports
// only, and the host functions it takes are its imports.
LoadedModule loadModuleFile(const std::string& path, std::string& error)
{
    LoadedModule module;
    error = damagedModuleFile(path);
    if (!error.empty()) return module;
    HMODULE handle = LoadLibraryA(path.c_str());
    if (handle == nullptr) {
        error = "cannot load " + path;
        return module;
    }
    FARPROC entry = GetProcAddress(handle, "mexFunction");
    if (entry == nullptr) {
        FreeLibrary(handle);
        error = path + " has no mexFunction";
        return module;
    }
    module.handle = handle;
    module.entry = reinterpret_cast<MexEntry>(reinterpret_cast<void*>(entry));
    return module;
}

void unloadModuleFile(LoadedModule& module)
{
    if (module.handle != nullptr) FreeLibrary(static_cast<HMODULE>(module.handle));
    module = LoadedModule{};
}

bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> filesWithSuffix(const std::string& directory, const std::string& suffix)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*" + suffix).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        // The pattern also matches short (8.3) names, so "*.dll" can find "x.dllx": check the end.
        std::string name = found.cFileName;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(name.substr(0, name.size() - suffix.size()));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

#else

std::vector<std::string> moduleFileSuffixes()
{
    return {".mexa64"};
}

namespace {

// File name of the loaded object holding `address`.
std::string objectName(const void* address)
{
    Dl_info info;
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "an unknown library";
    std::string name = info.dli_fname;
    std::size_t slash = name.find_last_of('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Why the module at `handle` cannot run on this host, or "" when it can.
//
// A module built for another host (GNU Octave's liboctinterp defines the same functions) loads
// fine but would run against that host's functions: every host function the module sees must be
// this host's own, and it must see at least one.
std::string foreignInterface(void* handle, void* entry, const std::string& path)
{
    struct HostFunction {
        const char* name;
        void* own;
    };
    const HostFunction functions[] = {
        {"mxGetPr", reinterpret_cast<void*>(&mxGetPr)},
        {"mxGetData", reinterpret_cast<void*>(&mxGetData)},
        {"mxCreateDoubleMatrix", reinterpret_cast<void*>(&mxCreateDoubleMatrix)},
        {"mxCreateDoubleMatrix_700", reinterpret_cast<void*>(&mxCreateDoubleMatrix_700)},
        {"mxCreateNumericArray", reinterpret_cast<void*>(&mxCreateNumericArray)},
        {"mxDestroyArray", reinterpret_cast<void*>(&mxDestroyArray)},
        {"mexErrMsgIdAndTxt", reinterpret_cast<void*>(&mexErrMsgIdAndTxt)},
        {"mexErrMsgTxt", reinterpret_cast<void*>(&mexErrMsgTxt)},
        {"mexCallMATLAB", reinterpret_cast<void*>(&mexCallMATLAB)},
    };
    const std::string refused = "'" + path + "' was not built for this host: ";
    bool seen = false;
    for (const HostFunction& function : functions) {
        // Looked up from the module: the module itself first, then the libraries it links.
        void* found = dlsym(handle, function.name);
        if (found == nullptr) continue;
        if (found != function.own) {
            std::string owner = objectName(found);
            if (owner == objectName(entry)) return refused + "it defines the host interface itself.";
            return refused + "it takes the host interface from " + owner + ".";
        }
        seen = true;
    }
    return seen ? "" : refused + "it does not link this host's libmx and libmex.";
}

}  // namespace

LoadedModule loadModuleFile(const std::string& path, std::string& error)
{
    LoadedModule module;
    error = damagedModuleFile(path);
    if (!error.empty()) return module;
    // RTLD_LOCAL keeps the entry points of different modules (and of different builds of one
    // module) apart.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : ("cannot load " + path);
        return module;
    }
    void* entry = dlsym(handle, "mexFunction");
    if (entry == nullptr) {
        dlclose(handle);
        error = path + " has no mexFunction";
        return module;
    }
    error = foreignInterface(handle, entry, path);
    if (!error.empty()) {
        dlclose(handle);
        return module;
    }
    module.handle = handle;
    module.entry = reinterpret_cast<MexEntry>(entry);
    return module;
}

void unloadModuleFile(LoadedModule& module)
{
    if (module.handle != nullptr) dlclose(module.handle);
    module = LoadedModule{};
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> filesWithSuffix(const std::string& directory, const std::string& suffix)
{
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(name.substr(0, name.size() - suffix.size()));
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

#endif

}  // namespace montemex::host
