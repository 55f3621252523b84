import time

import pytest

import brovaline as b
from brovaline_tools.testing import close_window
from conftest import run_script


@pytest.fixture(autouse=True)
def no_timers_left(clean_engine_state):
    """Timers these tests leave on purpose are cancelled before the leak check."""
    yield
    for timer in list(b.Engine._timers):
        timer.cancel()
    b.Engine._timers.clear()
    b.Engine._tasks.clear()


def recorder(result=False):
    calls = []

    def task(timeStep, onDone):
        calls.append((timeStep, onDone))
        return result(len(calls)) if callable(result) else result

    return task, calls


def test_pending_task_runs_every_frame_with_the_current_time_step(engine):
    task, calls = recorder(False)
    marker = object()
    engine.addTask(task, marker)
    steps = []
    for _ in range(3):
        time.sleep(0.003)
        engine.update()
        steps.append(engine.getTimeStep())
    assert [c[0] for c in calls] == steps
    assert all(type(c[0]) is float and c[1] is marker for c in calls)
    assert len(b.Engine._tasks) == 1


def test_finished_task_runs_once_and_on_done_is_left_to_the_task(engine):
    done = []
    task, calls = recorder(True)
    engine.addTask(task, lambda: done.append(1))
    engine.addTask(lambda step, onDone: onDone() or True, lambda: done.append(2))
    for _ in range(3):
        engine.update()
    assert len(calls) == 1 and done == [2]
    assert b.Engine._tasks == []


def test_task_added_by_a_task_runs_in_the_same_frame(engine):
    inner, inner_calls = recorder(True)
    engine.addTask(lambda step, onDone: engine.addTask(inner) or True)
    engine.update()
    assert len(inner_calls) == 1 and b.Engine._tasks == []


def test_tasks_run_in_the_order_they_were_added(engine):
    order = []
    for name in "abc":
        engine.addTask(lambda step, onDone, name=name: order.append(name))
    engine.update()
    assert order == ["a", "b", "c"]


@pytest.mark.parametrize("args", [(), (1, 2, 3)])
def test_add_task_takes_one_or_two_arguments(engine, args):
    with pytest.raises(TypeError):
        engine.addTask(*args)


def test_failing_task_propagates_and_finished_tasks_are_still_removed(engine):
    finished, calls = recorder(True)
    fail = [True]

    def failing(step, onDone):
        if fail[0]:
            raise KeyError("task failed")
        return True

    engine.addTask(finished)
    engine.addTask(failing)
    with pytest.raises(KeyError):
        engine.update()
    assert len(b.Engine._tasks) == 1  # the finished task left despite the failure after it
    fail[0] = False
    engine.update()
    assert len(calls) == 1 and b.Engine._tasks == []


def test_same_pair_added_twice_is_removed_once_per_true_result(engine):
    task, calls = recorder(lambda n: n == 1)
    engine.addTask(task)
    engine.addTask(task)
    engine.update()
    assert len(calls) == 2 and len(b.Engine._tasks) == 1


def test_task_that_empties_the_task_list_does_not_break_the_frame(engine):
    engine.addTask(lambda step, onDone: b.Engine._tasks.clear() or True)
    engine.update()
    assert b.Engine._tasks == []


def test_engines_share_one_task_list(engine):
    task, calls = recorder(True)
    b.Engine().addTask(task)
    engine.update()
    assert len(calls) == 1


@pytest.mark.parametrize("delay", [0, -1, 0.0])
def test_add_task_after_without_delay_adds_at_once(engine, delay):
    task, _ = recorder()
    engine.addTaskAfter(delay, task)
    assert b.Engine._tasks == [(task, None)] and b.Engine._timers == []


def test_delayed_task_joins_the_end_of_the_list_after_its_delay(engine):
    delayed, calls = recorder(False)
    first, _ = recorder(False)
    engine.addTaskAfter(0.05, delayed, "done")
    engine.addTask(first)
    assert len(b.Engine._timers) == 1
    engine.update()
    assert calls == []
    b.Engine._timers[0].join(5)
    assert b.Engine._timers == []
    assert b.Engine._tasks == [(first, None), (delayed, "done")]
    engine.update()
    assert len(calls) == 1 and calls[0][1] == "done"


def test_run_cancels_timers_that_have_not_fired(engine):
    delayed, calls = recorder(True)
    engine.addTaskAfter(30, delayed)
    timer = b.Engine._timers[0]
    engine.addTask(lambda step, onDone: close_window(engine) or True)
    engine.run(1000)
    assert not engine.isRunning()
    assert b.Engine._timers == []
    timer.join(5)
    assert not timer.is_alive() and calls == []


def test_timer_cancelled_by_run_adds_nothing_even_if_its_delay_passes(engine):
    engine.addTaskAfter(0.05, lambda step, onDone: True)
    timer = b.Engine._timers[0]
    b.Engine._timers.clear()  # what the end of run does when it wins the race against the timer
    timer.join(5)
    assert b.Engine._tasks == []


def test_run_stopped_by_quit_from_a_task():
    result = run_script("""
        import brovaline as b
        e = b.Engine()
        e.init("t", (32, 32), show=False)
        ran = []
        e.addTaskAfter(60, lambda step, onDone: ran.append(1))
        timer = b.Engine._timers[0]
        frames = []
        def stopper(step, onDone):
            frames.append(step)
            if len(frames) == 3:
                e.quit()
                return True
        e.addTask(stopper)
        e.run(200)
        timer.join(5)
        print(len(frames), b.Engine._timers, timer.is_alive(), ran, e.isRunning())
    """, timeout=30)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["3", "[]", "False", "[]", "False"]


def test_pending_delay_does_not_keep_the_interpreter_alive():
    start = time.monotonic()
    result = run_script("""
        import brovaline as b
        b.Engine().addTaskAfter(120, lambda step, onDone: True)
        print("exiting")
    """, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "exiting"
    assert time.monotonic() - start < 30
