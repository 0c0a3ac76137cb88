// Loading module files and finding their entry points.
#pragma once

#include <string>
#include <vector>

#include "matrix.h"

namespace montemex::host {

using MexEntry = void (*)(int, mxArray**, int, const mxArray**);

struct LoadedModule {
    void* handle = nullptr;
    MexEntry entry = nullptr;
};

// Loads the module file at `path`; on failure returns an empty module and sets `error`. A file
// shorter than its headers say fails before the system loader sees it (module_file.hpp). On Linux
// a module built for another host (one not taking mx*/mex* from this host's libraries) fails.
LoadedModule loadModuleFile(const std::string& path, std::string& error);
void unloadModuleFile(LoadedModule& module);
bool fileExists(const std::string& path);
std::vector<std::string> filesWithSuffix(const std::string& directory, const std::string& suffix);
// File name endings of modules, in the order they are tried within one directory.
std::vector<std::string> moduleFileSuffixes();

}  // namespace montemex::host
