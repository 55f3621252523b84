"""Walking through a level with the keyboard and mouse: W/S or the up/down arrows walk, A/D
strafe, the left/right arrows and the mouse turn (the mouse also looks up and down), shift runs."""
import brovaline as b

WALK_SPEED = 2.6       # cells per second
RUN_FACTOR = 1.8
TURN_SPEED = 110.0     # degrees per second with the arrow keys
MOUSE_TURN = 0.15      # degrees per pixel of mouse motion
MOUSE_PITCH = 0.6      # horizon pixels per pixel of mouse motion
PITCH_LIMIT = 120


class WalkControls:
    """Sets the walker's velocity and turns the camera from the keys held and the mouse motion."""

    def __init__(self, engine, camera, velocity):
        self.engine, self.camera, self.velocity = engine, camera, velocity

    def _axis(self, positive, negative):
        pressed = self.engine.isKeyPressed
        return (1 if any(pressed(k) for k in positive) else 0) - (1 if any(pressed(k) for k in negative) else 0)

    def step(self, time_step):
        mouse_x, mouse_y = self.engine.getMouseDist()
        direction = self.camera.dir
        direction.rotate(self._axis([b.KEY_RIGHT], [b.KEY_LEFT]) * TURN_SPEED * time_step + mouse_x * MOUSE_TURN)
        direction.normalize()
        self.camera.pitch = max(-PITCH_LIMIT, min(PITCH_LIMIT, int(self.camera.pitch - mouse_y * MOUSE_PITCH)))
        forward = self._axis([b.KEY_W, b.KEY_UP], [b.KEY_S, b.KEY_DOWN])
        strafe = self._axis([b.KEY_D], [b.KEY_A])
        move = direction * forward + b.Vector2(-direction.y, direction.x) * strafe
        if move.length > 1:
            move.normalize()
        speed = WALK_SPEED * (RUN_FACTOR if self.engine.isKeyPressed(b.KEY_LSHIFT) else 1.0)
        self.velocity.set(move * speed)
