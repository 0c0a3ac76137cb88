// Checking a module file against its own headers before the system loader maps it.
//
// A file cut short (a copy or download that stopped) still has headers that describe all of it.
// The system loader maps its segments as the headers say, and touching a page past the end of
// the file ends the process with SIGBUS. So every part the headers place in the file must lie
// inside it first: for ELF files the program and section header tables and every segment and
// section with file contents, for PE files the headers, every section's raw data and the COFF
// symbol and string tables.
#pragma once

#include <string>

namespace montemex::host {

// Why the file at `path` cannot be a whole module, or "" when its headers fit inside it (or it is
// in a format this check does not know, which the system loader then judges). For instance
// "'D/waitdraw.mexa64' is truncated: its headers need 14520 bytes, the file has 3000."
std::string damagedModuleFile(const std::string& path);

}  // namespace montemex::host
