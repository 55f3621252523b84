# Engine.addTaskAfter, a plain Python method: its timer target is a closure run on the timer
# thread. Runs in the brovaline namespace at start-up, after Engine and Timer exist.
# (No docstring: it would become the brovaline module's own __doc__.)

def addTaskAfter(self, delaySeconds, task, onDone=None):
    """Adds the task once delaySeconds have passed (at once when delaySeconds <= 0)."""
    if delaySeconds <= 0:
        self.addTask(task, onDone)
        return

    def timerTarget():
        # Leaving the timer list first makes firing and cancelling at the end of run exclusive:
        # a timer that run has already dropped adds nothing.
        try:
            self._timers.remove(timer)
        except ValueError:
            return
        self.addTask(task, onDone)

    timer = Timer(delaySeconds, timerTarget)
    timer.daemon = True  # a pending delay must not keep the interpreter from exiting
    self._timers.append(timer)
    timer.start()

Engine.addTaskAfter = addTaskAfter
addTaskAfter.__qualname__ = "Engine.addTaskAfter"
del addTaskAfter
