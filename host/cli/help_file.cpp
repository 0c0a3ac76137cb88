#include "help_file.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace montemex::cli {

std::string findHelpFile(const std::string& name, const std::vector<std::string>& directories)
{
    bool functionName = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) &&
                        std::all_of(name.begin(), name.end(),
                                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
    if (!functionName) return "";
    for (const std::string& dir : directories) {
        std::string path = dir + "/" + name + ".m";
        if (std::ifstream(path).good()) return path;
    }
    return "";
}

std::string helpText(std::istream& file)
{
    std::string text;
    std::string line;
    bool functionLineSeen = false;
    while (std::getline(file, line)) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos && text.empty()) continue;  // blank lines before the block
        // A function written as an m-file has its help after the function line.
        if (!functionLineSeen && text.empty() && line.compare(start, 9, "function ") == 0) {
            functionLineSeen = true;
            continue;
        }
        if (start == std::string::npos || (line[start] != '%' && line[start] != '#')) break;
        start = line.find_first_not_of("%#", start);
        text += (start == std::string::npos ? "" : line.substr(start)) + '\n';
    }
    return text;
}

bool isFunctionFile(std::istream& file)
{
    std::string line;
    while (std::getline(file, line)) {
        std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos) continue;
        if (line.compare(start, 8, "function") != 0) return false;
        return start + 8 == line.size() || line[start + 8] == ' ' || line[start + 8] == '[';
    }
    return false;
}

}  // namespace montemex::cli
