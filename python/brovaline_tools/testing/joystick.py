"""Gamepads without hardware: SDL's virtual joysticks, announced to the engine like a plugged-in device."""
import weakref

from .sdl_events import sdl_error, sdl_function, sdl_version

_JOYSTICK_TYPE_UNKNOWN = 0   # SDL names it "Virtual Joystick"
VIRTUAL_JOYSTICKS_SINCE = (2, 0, 14)
_attached = weakref.WeakSet()


class VirtualJoystick:
    """A virtual device with `axes` axes, `buttons` buttons and `hats` hats. The engine announces it in
    its next frame (`JoystickAddedEvent`, `engine.joysticks`); values set here reach the engine's
    `Joystick` in the frame after they are set."""

    def __init__(self, axes=2, buttons=4, hats=0):
        if sdl_version() < VIRTUAL_JOYSTICKS_SINCE:
            raise RuntimeError("virtual joysticks need SDL %d.%d.%d or newer; the engine runs on %d.%d.%d"
                               % (VIRTUAL_JOYSTICKS_SINCE + sdl_version()))
        # a hidden test window never has the focus; without this SDL drops the device's input
        sdl_function("SDL_SetHint")(b"SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", b"1")
        self.axes, self.buttons, self.hats = axes, buttons, hats
        index = sdl_function("SDL_JoystickAttachVirtual")(_JOYSTICK_TYPE_UNKNOWN, axes, buttons, hats)
        if index < 0:
            raise RuntimeError("SDL_JoystickAttachVirtual failed: " + sdl_error())
        self.instance_id = sdl_function("SDL_JoystickGetDeviceInstanceID")(index)
        self._handle = sdl_function("SDL_JoystickOpen")(index)
        if not self._handle:
            sdl_function("SDL_JoystickDetachVirtual")(index)
            raise RuntimeError("SDL_JoystickOpen failed on the virtual joystick: " + sdl_error())
        _attached.add(self)

    def _check(self, kind, number, count):
        if self._handle is None:
            raise RuntimeError("the virtual joystick was detached")
        if not 0 <= number < count:
            raise IndexError(f"{kind} {number} does not exist: the virtual joystick has {count} {kind}s")

    def set_axis(self, axis, value):
        """Moves an axis to `value` from -1.0 to 1.0 (the engine's `getAxis` reads it back as value)."""
        self._check("axis", axis, self.axes)
        if not -1.0 <= value <= 1.0:
            raise ValueError(f"axis value {value!r} is outside -1.0 .. 1.0")
        raw = max(-32768, min(32767, round(value * 32768)))
        sdl_function("SDL_JoystickSetVirtualAxis")(self._handle, axis, raw)

    def press(self, button):
        self._check("button", button, self.buttons)
        sdl_function("SDL_JoystickSetVirtualButton")(self._handle, button, 1)

    def release(self, button):
        self._check("button", button, self.buttons)
        sdl_function("SDL_JoystickSetVirtualButton")(self._handle, button, 0)

    def set_hat(self, hat, value):
        """Sets a hat to an SDL_HAT_* value (0 centred, 1 up, 2 right, 4 down, 8 left, or sums)."""
        self._check("hat", hat, self.hats)
        sdl_function("SDL_JoystickSetVirtualHat")(self._handle, hat, value)

    def detach(self):
        """Unplugs the device: the engine prints "Joystick removed" in its next frame."""
        if self._handle is None:
            return
        for index in range(sdl_function("SDL_NumJoysticks")()):
            if sdl_function("SDL_JoystickGetDeviceInstanceID")(index) == self.instance_id:
                sdl_function("SDL_JoystickDetachVirtual")(index)
                break
        sdl_function("SDL_JoystickClose")(self._handle)
        self._handle = None
        _attached.discard(self)


def detach_all_joysticks():
    """Detaches every virtual joystick still attached; returns how many there were."""
    joysticks = list(_attached)
    for joystick in joysticks:
        joystick.detach()
    return len(joysticks)
