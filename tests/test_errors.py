import pytest

import brovaline as b


def test_printed_forms_insert_messages_verbatim():
    assert str(b.EngineException('say "hi"\nthere')) == 'EngineException("say "hi"\nthere")'
    sdl = b.EngineSdlException("boom")
    assert str(sdl) == 'EngineException<SDL Error>("boom", "%s")' % sdl.error
    lvl = b.LevelFormatException("maps/a.map", "bad")
    assert (lvl.filename, lvl.msg) == ("maps/a.map", "bad")
    assert str(lvl) == "EngineException(Error while loading file 'maps/a.map': \"bad\")"


def test_hierarchy_and_attributes():
    for cls in (b.EngineSdlException, b.LevelFormatException):
        assert issubclass(cls, b.EngineException)
    assert issubclass(b.EngineException, Exception)
    with pytest.raises(b.EngineException):
        raise b.LevelFormatException("f", "m")
    assert b.EngineException("m").msg == "m"
    assert isinstance(b.EngineSdlException("m").error, str)
    assert b.EngineSdlException.__name__ == "EngineSdlException"
    assert b.EngineSdlException.__module__ == "brovaline"


@pytest.mark.parametrize("cls,args", [
    (b.EngineException, ()), (b.EngineException, ("a", "b")),
    (b.EngineSdlException, ()), (b.LevelFormatException, ("only one",)),
])
def test_wrong_argument_counts(cls, args):
    with pytest.raises(TypeError):
        cls(*args)
