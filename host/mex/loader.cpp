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

LoadedModule loadModuleFile(const std::string& path, std::string& error)
{
    LoadedModule module;
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

std::vector<std::string> moduleFileSuffixes() { return {".mexa64"}; }

LoadedModule loadModuleFile(const std::string& path, std::string& error)
{
    LoadedModule module;
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
