"""The error raised for unusable input: it names the file and the place inside it."""


class LevelInputError(Exception):
    """A level or map that cannot be used. `str()` reads "FILE: WHERE: WHAT" (WHERE may be empty)."""

    def __init__(self, path, message, where=None):
        self.path = str(path)
        self.where = where
        self.message = message
        super().__init__(f"{self.path}: {where}: {message}" if where else f"{self.path}: {message}")
