"""A scripted tour of the level for runs without a player: a camera path with actions on the way."""
import math

TURN_COST = 1 / 60   # a turn of 60 degrees takes as long as walking one cell

# (x, y, heading in degrees: 0 east, 90 south; time to stay there, in cells walked; action of the game
# run on arrival or None)
TOUR = [
    (2.5, 6.5, 0, 3, "toggle_flashlight"),      # the hall, an orb glowing ahead
    (3.0, 6.6, 104, 3, "pick_centre"),          # a barrel: it rolls away
    (6.0, 10.2, 20, 0, None),
    (10.5, 10.9, 0, 0, "toggle_flashlight"),    # out into the courtyard
    (12.8, 14.0, -40, 4, None),                 # sky, pillars, trees
    (16.5, 17.6, 90, 4, "pick_centre"),         # the idle sentinel gets zapped
    (16.5, 15.0, -90, 0, None),
    (16.5, 7.0, -90, 0, None),
    (16.5, 3.7, -90, 3, None),                  # into the crystal: a trigger that chimes
    (16.5, 3.7, 180, 2, None),                  # the wooden shrine
    (16.5, 9.5, 90, 0, None),
    (16.8, 14.3, 0, 0, None),
    (26.0, 14.5, 0, 0, None),
    (27.5, 14.5, -90, 4, None),                 # the metal gallery and its patrol
    (27.5, 14.5, 90, 0, None),
    (27.5, 27.5, 180, 0, None),
    (21.5, 27.5, 180, 2, "toggle_fog"),        # a thick haze over the garden
    (14.0, 26.5, 200, 1, "toggle_menu"),        # the garden, and the menu over it
    (13.8, 26.4, 210, 0, None),
]


def _angle_between(a, b):
    return (b - a + 180) % 360 - 180


class Autopilot:
    """Moves the camera along TOUR over `frames` frames and runs the actions of the waypoints reached."""

    def __init__(self, game, frames):
        self.game = game
        self.frames = max(1, frames)
        self.frame = 0
        self._next_action = 0
        # the tour as legs (start, end) on a 0..1 time line: a hold is a leg that stays in place
        legs = []
        for here, there in zip(TOUR, TOUR[1:]):
            if here[3] > 0:
                legs.append((here, here, here[3]))
            turn = abs(_angle_between(here[2], there[2]))
            legs.append((here, there, math.dist(here[:2], there[:2]) + turn * TURN_COST))
        total = sum(cost for _, _, cost in legs)
        self._legs, elapsed = [], 0.0
        for start, end, cost in legs:
            self._legs.append((elapsed / total, (elapsed + cost) / total, start, end))
            elapsed += cost
        self._arrivals = [0.0] + [end_t for _, end_t, start, end in self._legs if start is not end]

    def progress(self):
        return self.frame / (self.frames - 1) if self.frames > 1 else 1.0

    def pose(self, t):
        """Camera position and heading at the fraction t of the tour."""
        begin, end_t, (x0, y0, h0, *_), (x1, y1, h1, *_) = next(
            (leg for leg in self._legs if t <= leg[1]), self._legs[-1])
        u = min(1.0, max(0.0, (t - begin) / (end_t - begin))) if end_t > begin else 1.0
        ease = u * u * (3 - 2 * u)
        return x0 + (x1 - x0) * ease, y0 + (y1 - y0) * ease, h0 + _angle_between(h0, h1) * ease

    def step(self, time_step, frozen):
        t = self.progress()
        x, y, heading = self.pose(t)
        camera = self.game.world.camera
        camera.pos.x, camera.pos.y = x, y
        camera.dir.x, camera.dir.y = math.cos(math.radians(heading)), math.sin(math.radians(heading))
        while self._next_action < len(TOUR) and self._arrivals[self._next_action] <= t:
            action = TOUR[self._next_action][4]
            self._next_action += 1
            if action is not None:
                getattr(self.game, action)()
        self.frame += 1
