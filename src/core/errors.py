# The module's exception classes. Runs in the brovaline namespace at start-up (_sdlError is the
# native reader of SDL's last error, removed once used).
# (No docstring: it would become the brovaline module's own __doc__.)

class EngineException(Exception):
    """The base class of all of the engine's own exceptions."""

    def __init__(self, msg):
        self.msg = msg

    def __str__(self):
        return f'EngineException("{self.msg}")'


def _makeSdlException(sdlError):
    class EngineSdlException(EngineException):
        """Errors reported by SDL, on which window and input handling rest."""

        def __init__(self, msg):
            EngineException.__init__(self, msg)
            self.error = sdlError()

        def __str__(self):
            return f'EngineException<SDL Error>("{self.msg}", "{self.error}")'

    EngineSdlException.__qualname__ = "EngineSdlException"
    return EngineSdlException


EngineSdlException = _makeSdlException(_sdlError)
del _makeSdlException, _sdlError


class LevelFormatException(EngineException):
    """A level could not be loaded because of invalid file content or an invalid level format."""

    def __init__(self, filename, msg):
        EngineException.__init__(self, msg)
        self.filename = filename

    def __str__(self):
        return f"EngineException(Error while loading file '{self.filename}': \"{self.msg}\")"
