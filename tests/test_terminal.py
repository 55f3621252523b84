import pytest

import brovaline as b

ESC = "\x1b"


def test_color_block_writes_sequences_without_line_breaks(capsys):
    with b.TERMINAL_GREEN_BG:
        pass
    assert capsys.readouterr().out == ESC + "[42m" + ESC + "[0m"


def test_exception_in_block_resets_and_propagates(capsys):
    with pytest.raises(KeyError):
        with b.TERMINAL_RED:
            raise KeyError("x")
    assert capsys.readouterr().out == ESC + "[31m" + ESC + "[0m"


def test_constants_and_clear(capsys):
    names = ["RED", "GREEN", "YELLOW", "BLUE", "MAGENTA", "CYAN", "WHITE"]
    for i, name in enumerate(names):
        assert getattr(b, "TERMINAL_" + name)._TerminalColor__color == ESC + "[%dm" % (31 + i)
        assert getattr(b, "TERMINAL_" + name + "_BG")._TerminalColor__color == ESC + "[%dm" % (41 + i)
    assert getattr(b, "__PRINT_COLOR_RESET") == ESC + "[0m"
    b.clearTerminal()
    assert capsys.readouterr().out == ESC + "[2J\n"
