// Showing host arrays the way the numerical environment shows them, or as CSV.
#pragma once

#include <ostream>
#include <string>

#include "matrix.h"

namespace montemex::cli {

enum class Style { Short, Long, Csv };

// Writes "name = value" (Short, Long) or the bare rows (Csv) for a 2-D array.
void display(std::ostream& out, const std::string& name, const mxArray* array, Style style);

}  // namespace montemex::cli
