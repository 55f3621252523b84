"""A scripted tour of the level for runs without a player: a camera path with actions on the way."""
import math

TURN_COST = 1 / 60   # a turn of 60 degrees takes as long as walking one cell

# (x, y, heading in degrees: 0 east, 90 south, action of the game run on arrival or None)
TOUR = [
    (2.5, 6.5, 0, "toggle_flashlight"),      # the hall, an orb glowing ahead
    (3.0, 6.6, 104, "pick_centre"),          # a barrel: it rolls away
    (6.0, 10.2, 20, None),
    (10.5, 10.9, 0, "toggle_flashlight"),    # out into the courtyard
    (12.8, 14.0, -40, None),                 # sky, pillars, trees
    (16.5, 17.6, 90, "pick_centre"),         # the idle sentinel gets zapped
    (16.5, 15.0, -90, None),
    (16.5, 7.0, -90, None),
    (16.5, 3.9, -90, None),                  # into the crystal: a trigger that chimes
    (16.5, 3.9, 180, None),                  # the wooden shrine
    (16.5, 9.5, 90, None),
    (16.8, 14.3, 0, None),
    (26.0, 14.5, 0, None),
    (27.5, 14.5, -90, None),                 # the metal gallery and its patrol
    (27.5, 14.5, 90, None),
    (27.5, 27.5, 180, None),
    (21.5, 27.5, 180, None),
    (14.0, 26.5, 200, "toggle_menu"),        # the garden, and the menu over it
]


def _angle_between(a, b):
    return (b - a + 180) % 360 - 180


class Autopilot:
    """Moves the camera along TOUR over `frames` frames and runs the actions of the waypoints passed."""

    def __init__(self, game, frames):
        self.game = game
        self.frames = max(1, frames)
        self.frame = 0
        self._next_action = 0
        costs = [math.dist(a[:2], b[:2]) + abs(_angle_between(a[2], b[2])) * TURN_COST
                 for a, b in zip(TOUR, TOUR[1:])]
        total = sum(costs)
        self._marks = [sum(costs[:i]) / total for i in range(len(TOUR))]

    def progress(self):
        return self.frame / (self.frames - 1) if self.frames > 1 else 1.0

    def pose(self, t):
        """Camera position and heading at the fraction t of the tour."""
        i = max(k for k in range(len(TOUR) - 1) if self._marks[k] <= t or k == 0)
        span = self._marks[i + 1] - self._marks[i]
        u = min(1.0, max(0.0, (t - self._marks[i]) / span)) if span > 0 else 1.0
        (x0, y0, h0, _), (x1, y1, h1, _) = TOUR[i], TOUR[i + 1]
        ease = u * u * (3 - 2 * u)
        return x0 + (x1 - x0) * ease, y0 + (y1 - y0) * ease, h0 + _angle_between(h0, h1) * ease

    def step(self, time_step, frozen):
        t = self.progress()
        x, y, heading = self.pose(t)
        camera = self.game.world.camera
        camera.pos.x, camera.pos.y = x, y
        camera.dir.x, camera.dir.y = math.cos(math.radians(heading)), math.sin(math.radians(heading))
        while self._next_action < len(TOUR) and self._marks[self._next_action] <= t:
            action = TOUR[self._next_action][3]
            self._next_action += 1
            if action is not None:
                getattr(self.game, action)()
        self.frame += 1
