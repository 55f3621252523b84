"""A scripted tour of the level for runs without a player: a camera path and a few actions on it."""
import math

# (x, y, heading in degrees: 0 east, 90 south)
PATH = [
    (2.5, 6.5, 0), (5.0, 9.5, 160), (7.0, 10.8, 20), (10.5, 10.6, -10), (13.0, 15.0, -35),
    (16.5, 16.2, 90), (16.6, 9.0, -90), (16.5, 3.9, -90), (16.5, 9.5, 60), (22.0, 14.5, 0),
    (27.5, 14.5, 80), (27.5, 25.5, 120), (22.5, 27.5, 180), (13.5, 26.0, 200), (8.0, 25.5, 150),
]
# (position along the tour 0..1, action): actions are methods of the game
ACTIONS = [(0.05, "toggle_flashlight"), (0.16, "pick_centre"), (0.36, "pick_centre"), (0.42, "toggle_flashlight"),
           (0.9, "toggle_menu")]


def _lerp_angle(a, b, t):
    diff = (b - a + 180) % 360 - 180
    return a + diff * t


class Autopilot:
    """Moves the camera along PATH over `frames` frames and triggers ACTIONS on the way."""

    def __init__(self, game, frames):
        self.game = game
        self.frames = max(1, frames)
        self.frame = 0
        self._pending = list(ACTIONS)
        legs = [math.dist(PATH[i][:2], PATH[i + 1][:2]) for i in range(len(PATH) - 1)]
        total = sum(legs)
        self._marks = [sum(legs[:i]) / total for i in range(len(PATH))]

    def progress(self):
        return self.frame / (self.frames - 1) if self.frames > 1 else 1.0

    def pose(self, t):
        """Camera position and heading at the fraction t of the tour."""
        for i in range(len(PATH) - 1):
            if t <= self._marks[i + 1] or i == len(PATH) - 2:
                span = self._marks[i + 1] - self._marks[i]
                u = min(1.0, max(0.0, (t - self._marks[i]) / span))
                (x0, y0, h0), (x1, y1, h1) = PATH[i], PATH[i + 1]
                ease = u * u * (3 - 2 * u)
                return x0 + (x1 - x0) * u, y0 + (y1 - y0) * u, _lerp_angle(h0, h1, ease)
        return PATH[-1]

    def step(self, time_step, frozen):
        t = self.progress()
        x, y, heading = self.pose(t)
        camera = self.game.world.camera
        camera.pos.x, camera.pos.y = x, y
        camera.dir.x, camera.dir.y = math.cos(math.radians(heading)), math.sin(math.radians(heading))
        while self._pending and self._pending[0][0] <= t:
            getattr(self.game, self._pending.pop(0)[1])()
        self.frame += 1
