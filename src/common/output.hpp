// Printing to the host's standard output (sys.stdout, so redirections and captures see it).
#pragma once
#include "py.hpp"

#include <string_view>

namespace bv {

// print(text): one line on sys.stdout.
void printLine(PyObject* text);
void printLine(std::string_view utf8);

}  // namespace bv
