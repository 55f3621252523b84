# AbstractSystem.update's walk over its members when _updateEntity is Python code: from Python, each
# call to it is a plain Python call, which the interpreter runs without entering itself anew (a
# call from native code would, once per entity). Runs in the brovaline namespace at start-up; the
# system code keeps the function and removes the name.
# (No docstring: it would become the brovaline module's own __doc__.)

def _updateEach(system, members, timeStep):
    for entity in members:
        system._updateEntity(entity, timeStep)
