# Coloured terminal printing: TerminalColor context objects and clearTerminal(). Runs in the
# brovaline namespace at start-up, after _sys exists.
# (No docstring: it would become the brovaline module's own __doc__.)

globals()["__PRINT_COLOR_RESET"] = "\x1b[0m"


class TerminalColor:
    """Switches the terminal's text colour for the duration of a with block."""

    def __init__(self, color):
        self.__color = color

    def __enter__(self):
        _sys.stdout.write(self.__color)
        _sys.stdout.flush()

    def __exit__(self, type, value, traceback):
        _sys.stdout.write(globals()["__PRINT_COLOR_RESET"])
        _sys.stdout.flush()


TERMINAL_RED = TerminalColor("\x1b[31m")
TERMINAL_GREEN = TerminalColor("\x1b[32m")
TERMINAL_YELLOW = TerminalColor("\x1b[33m")
TERMINAL_BLUE = TerminalColor("\x1b[34m")
TERMINAL_MAGENTA = TerminalColor("\x1b[35m")
TERMINAL_CYAN = TerminalColor("\x1b[36m")
TERMINAL_WHITE = TerminalColor("\x1b[37m")
TERMINAL_RED_BG = TerminalColor("\x1b[41m")
TERMINAL_GREEN_BG = TerminalColor("\x1b[42m")
TERMINAL_YELLOW_BG = TerminalColor("\x1b[43m")
TERMINAL_BLUE_BG = TerminalColor("\x1b[44m")
TERMINAL_MAGENTA_BG = TerminalColor("\x1b[45m")
TERMINAL_CYAN_BG = TerminalColor("\x1b[46m")
TERMINAL_WHITE_BG = TerminalColor("\x1b[47m")


def clearTerminal():
    """Clears the terminal (the cursor is not moved home)."""
    print("\x1b[2J")
