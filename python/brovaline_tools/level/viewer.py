"""A window onto a level that the user walks through, reloaded in place whenever its file changes."""
import os
import sys
import tempfile
import time

import brovaline as b

from .engine_level import engine_level
from .errors import LevelInputError
from .model import is_map_path, level_paths, load_any
from .render_view import camera_start, facing_vector
from .walk_controls import WalkControls

WALKER_RADIUS = 0.25


def watched_files(path):
    """The files whose change means the level changed: the map, or both files of a level pair."""
    return [str(path)] if is_map_path(path) else list(level_paths(path))


def _stamp(paths):
    stamps = []
    for path in paths:
        try:
            st = os.stat(path)
            stamps.append((st.st_ino, st.st_mtime_ns, st.st_size))   # a save by renaming changes the inode
        except OSError:
            stamps.append(None)
    return stamps


class Viewer:
    """Opens the window, loads the level and puts a walker with the camera's vectors at the start."""

    def __init__(self, path, size=(800, 500), facing=0.0, show=True, max_fps=60.0):
        self.path, self.max_fps = str(path), max_fps
        self._files = watched_files(self.path)
        self._stamp = _stamp(self._files)
        data = load_any(self.path)
        self.level = self._load(data)
        self.engine = b.Engine()
        self.engine.init(f"brovaline-level view: {os.path.basename(self.path)}", tuple(size), show=show,
                         resizeable=True, captureMouse=show)
        self.renderer = b.RaycastingRenderer(b.Texture(*size), self.level)
        self.movement = b.MovementSystem(self.level)
        self.engine.ecs.addSystem(self.movement)
        self.engine.ecs.addSystem(self.renderer)
        self.camera = self.renderer.getCamera()
        self.camera.pos.set(b.Vector2(*camera_start(data)))
        self.camera.dir.set(b.Vector2(*facing_vector(facing)))
        velocity = b.VelocityComponent(friction=6.0)
        self.walker = b.Entity(-1, b.PositionComponent(self.camera.pos), b.RotationComponent(self.camera.dir),
                               velocity, b.CollisionComponent(WALKER_RADIUS, hasFlags=["viewer"]))
        self._show_entities()
        self.controls = WalkControls(self.engine, self.camera, velocity.velocity)
        self.engine.addTask(self._control)
        self.reloads = 0

    @staticmethod
    def _load(data):
        with tempfile.TemporaryDirectory(prefix="brovaline-view-") as directory:
            return engine_level(data, directory)

    def _show_entities(self):
        self.level.syncEntitiesToEcs(self.engine.ecs)
        self.engine.ecs.addEntity(self.walker)

    def _control(self, time_step, on_done):
        self.controls.step(time_step)
        return False

    def reload_if_changed(self):
        """Loads the level again when its files changed since the last look; the camera stays.
        A level that cannot be used is reported and the old one is kept. True when reloaded."""
        stamp = _stamp(self._files)
        if stamp == self._stamp:
            return False
        self._stamp = stamp
        try:
            level = self._load(load_any(self.path))
        except LevelInputError as e:
            print(f"brovaline-level view: not reloaded: {e}", file=sys.stderr)
            return False
        self.level = self.renderer._level = self.movement._level = level
        self._show_entities()
        self.reloads += 1
        print(f"brovaline-level view: reloaded {self.path}", file=sys.stderr)
        return True

    def step(self):
        """One frame: a look at the files, the controls, movement and drawing."""
        started = time.perf_counter()
        self.reload_if_changed()
        self.engine.update()
        if self.max_fps:
            time.sleep(max(0.0, 1.0 / self.max_fps - (time.perf_counter() - started)))

    def run(self, frames=None):
        """Frames until the window closes or escape is pressed, or `frames` frames have run."""
        count = 0
        while self.engine.isRunning() and (frames is None or count < frames):
            self.step()
            count += 1
        return count

    def close(self):
        self.engine.quit()
