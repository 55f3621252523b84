"""Running frames with a fixed time step: game time that does not depend on the machine's speed."""
DEFAULT_TIME_STEP = 1 / 60


def run_frames(engine, count, time_step=DEFAULT_TIME_STEP, after_frame=None):
    """Runs `count` frames of `time_step` seconds each (no sleeping) and returns the game time they
    covered. `after_frame(index)` runs after each frame; the engine's own time-step setting is restored
    afterwards. Stops early, returning the time run so far, when the engine stops (escape, quit request)."""
    if count < 0:
        raise ValueError(f"frame count must be 0 or more, got {count}")
    if not time_step > 0:
        raise ValueError(f"time step must be a positive number of seconds, got {time_step!r}")
    previous = engine.fixedTimeStep
    engine.fixedTimeStep = time_step
    frames = 0
    try:
        while frames < count and engine.isRunning():
            engine.update()
            frames += 1
            if after_frame is not None:
                after_frame(frames - 1)
    finally:
        engine.fixedTimeStep = previous
    return frames * time_step
