// Coloured terminal printing: TerminalColor context objects and clearTerminal().
#include "common/registry.hpp"
#include "terminal/terminal.py.hpp"

namespace bv {

namespace {

StartupStep terminal(Startup::TerminalColours, [](PyObject*) { runInModule(embedded::terminal_terminal_py); });

}  // namespace

}  // namespace bv
