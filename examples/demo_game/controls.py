"""Keyboard, mouse and gamepad control of the player: walk, strafe, turn and look."""
import brovaline as b

WALK_SPEED = 2.6       # cells per second
RUN_FACTOR = 1.8
TURN_SPEED = 110.0     # degrees per second with the arrow keys or a full stick
MOUSE_TURN = 0.15      # degrees per pixel of mouse motion
MOUSE_PITCH = 0.6      # horizon pixels per pixel of mouse motion
PITCH_LIMIT = 120
DEAD_ZONE = 0.2        # stick deflection that is ignored
STRAFE_AXIS, WALK_AXIS, TURN_AXIS = 0, 1, 3   # left stick x and y, right stick x on common pads


def _stick(joystick, axis):
    if joystick is None or axis >= joystick.axes:
        return 0.0
    value = joystick.getAxis(axis)
    return value if abs(value) > DEAD_ZONE else 0.0


class Controls:
    """Turns the keys held, the mouse motion of the frame and the newest gamepad's sticks into the
    player's velocity and view."""

    def __init__(self, engine, world):
        self.engine = engine
        self.camera = world.camera
        self.velocity = world.player.getComponent(b.VelocityComponent).velocity

    def _axis(self, positive, negative):
        pressed = self.engine.isKeyPressed
        return (1 if any(pressed(k) for k in positive) else 0) - (1 if any(pressed(k) for k in negative) else 0)

    def step(self, time_step, frozen):
        if frozen:
            self.velocity.x = self.velocity.y = 0.0
            return
        joysticks = self.engine.joysticks
        pad = joysticks[-1] if joysticks else None
        mouse_x, mouse_y = self.engine.getMouseDist()
        turn = (self._axis([b.KEY_RIGHT], [b.KEY_LEFT]) + _stick(pad, TURN_AXIS)) * TURN_SPEED * time_step
        direction = self.camera.dir
        direction.rotate(turn + mouse_x * MOUSE_TURN)
        direction.normalize()
        self.camera.pitch = max(-PITCH_LIMIT, min(PITCH_LIMIT, int(self.camera.pitch - mouse_y * MOUSE_PITCH)))
        forward = self._axis([b.KEY_W, b.KEY_UP], [b.KEY_S, b.KEY_DOWN]) - _stick(pad, WALK_AXIS)
        strafe = self._axis([b.KEY_D], [b.KEY_A]) + _stick(pad, STRAFE_AXIS)
        right = b.Vector2(-direction.y, direction.x)
        move = direction * forward + right * strafe
        if move.length > 1:
            move.normalize()
        speed = WALK_SPEED * (RUN_FACTOR if self.engine.isKeyPressed(b.KEY_LSHIFT) else 1.0)
        self.velocity.set(move * speed)
