// The help text of a function, read from its help file <name>.m as the numerical environment
// reads it.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace montemex::cli {

// Path of <name>.m in the first of `directories` that has it; empty when none has it or `name`
// is not a function name (so it never reaches outside the directories).
std::string findHelpFile(const std::string& name, const std::vector<std::string>& directories);

// The first block of comment lines (blank lines before it are skipped, and a function line
// before it in a function file), each without its indentation and comment characters ('%' or
// '#'); the block ends at the first other line, a blank line included.
std::string helpText(std::istream& file);

// Whether the file is a function written as an m-file (its first line that is not blank starts
// with "function"): such a function runs in Octave or MATLAB, and this tool cannot call it.
bool isFunctionFile(std::istream& file);

}  // namespace montemex::cli
