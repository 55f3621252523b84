"""Wires the engine, world, sound, interface and behaviours together and runs the frame loop."""
import time

import brovaline as b

from .audio import Audio
from .autopilot import Autopilot
from .behaviours import Behaviours
from .controls import Controls
from .hud import Hud
from .menu import Menu
from .picking import Picking
from .world import World

TITLE = "brovaline demo"
SIZE = (640, 400)
MAX_FPS = 60
MIN_FOV, MAX_FOV, FOV_STEP = 40, 100, 5


class Game:
    """The whole game. Without `frames` a player controls it; with `frames` the autopilot tours the
    level in that many frames. `show` opens a visible window."""

    def __init__(self, assets, show=True, frames=None):
        self.interactive = frames is None
        self.show = show
        self.quit_requested = False
        self.frame = 0
        self.engine = b.Engine()
        # a resizable window stretches the picture; clicks are scaled back to target pixels
        self.engine.init(TITLE, SIZE, show=show, resizeable=True, icon=str(assets / "icon.png"),
                         captureMouse=self.interactive)
        self.target = b.Texture(*SIZE)
        self.world = World(self.engine, assets, self.target)
        self.ui = b.UIRenderer(self.target, False, b.UITheme(str(assets / "ui" / "theme.json")))
        self.engine.ecs.addSystem(self.ui)          # last: draws over the scene into the same target
        self.audio = Audio(assets)
        self.hud = Hud(self.ui, assets)
        self.menu = Menu(self.engine, self.ui, self.audio, self.world, self._menu_toggled, self.request_quit)
        self.picking = Picking(self.engine, self.world, self.audio, self.hud)
        self.behaviours = Behaviours(self.engine, self.world, self.audio, self.hud)
        self.driver = Controls(self.engine, self.world) if self.interactive else Autopilot(self, frames)
        self.engine.subscribeEvent(b.KeyEvent, self._on_key)
        self.engine.subscribeEvent(b.MouseClickEvent, self._on_click)
        self.engine.subscribeEvent(b.MouseWheelEvent, self._on_wheel)
        self.engine.subscribeEvent(b.MusicStoppedEvent, lambda evt: self.hud.message("The music fades away."))
        self.engine.subscribeEvent(b.FullscreenEvent, lambda evt: self.hud.message(
            "Fullscreen " + ("on." if evt.newValue else "off.")))
        self.engine.subscribeEvent(b.JoystickAddedEvent, lambda evt: self.hud.message(
            f"Gamepad connected: {evt.joystick.name}."))
        self.engine.addTask(self._frame)
        self.audio.start_music()
        self.hud.message("Welcome! Press TAB for the menu.")

    # --- per frame -------------------------------------------------------------------------------
    def _frame(self, time_step, on_done):
        """Runs as an engine task every frame, after input and before the systems."""
        self.frame += 1
        self.driver.step(time_step, self.menu.is_open)
        self.behaviours.step(time_step)
        self.audio.outdoors(self.world.is_outdoors())
        self.hud.step(time_step, self.engine.getFps(), self._looking_at())
        return False

    def _looking_at(self):
        """The HUD's line about the view: the surface under the crosshair and the nearest body ahead."""
        if self.frame < 2:
            return ""   # picking reads the previous frame: there is none yet
        width, height = SIZE
        words = "looking at the " + self.world.describe_view(width // 2, height // 2)
        ahead = self.world.body_ahead()
        if ahead is not None:
            entity, distance = ahead
            words += f"; {self.world.kind(entity) or 'something'} {distance:.1f} cells ahead"
        return words

    def run(self, frames=None, after_frame=None):
        """Updates until the window closes, escape or Quit, or `frames` frames have run."""
        count = 0
        while self.engine.isRunning() and not self.quit_requested and (frames is None or count < frames):
            started = time.perf_counter()
            self.engine.update()
            if after_frame is not None:
                after_frame(count)
            count += 1
            time.sleep(max(1e-9, 1.0 / MAX_FPS - (time.perf_counter() - started)))
        self.engine.quit()
        return count

    def save_screenshot(self, path):
        """The picture in the window when there is one, else the render target behind it."""
        if self.show:
            self.engine.saveScreenshot(str(path))
        else:
            self.target.saveFile(str(path))

    # --- actions (keys, menu and the autopilot call these) -----------------------------------
    def toggle_menu(self):
        self.menu.toggle()

    def toggle_flashlight(self):
        on = self.world.toggle_flashlight()
        self.menu.refresh()
        self.hud.message("Flashlight " + ("on." if on else "off."))

    def toggle_fog(self):
        self.hud.message("Thick fog." if self.world.toggle_fog() else "Light fog.")

    def toggle_music(self):
        self.audio.toggle_music()
        self.menu.refresh()

    def pick_centre(self):
        width, height = SIZE
        return self.picking.pick(width // 2, height // 2)

    def request_quit(self):
        self.quit_requested = True

    def _menu_toggled(self, is_open):
        if self.interactive:
            self.engine.captureMouse(not is_open)

    # --- input events ----------------------------------------------------------------------------
    def _on_key(self, event):
        actions = {b.KEY_TAB: self.toggle_menu, b.KEY_F: self.toggle_flashlight, b.KEY_G: self.toggle_fog,
                   b.KEY_M: self.toggle_music, b.KEY_F11: self.engine.toggleFullscreen,
                   b.KEY_F12: self._window_screenshot}
        action = actions.get(event.key)
        if action is not None:
            action()

    def _on_click(self, event):
        if event.button == b.MOUSE_LEFT and not self.menu.is_open:
            self.pick_centre()

    def _on_wheel(self, event):
        if not self.menu.is_open:   # over the menu the wheel scrolls the help text
            camera = self.world.camera
            camera.fov = max(MIN_FOV, min(MAX_FOV, camera.fov - event.y * FOV_STEP))
            self.hud.message(f"Field of view {camera.fov} degrees.")

    def _window_screenshot(self):
        name = time.strftime("brovaline-%Y%m%d-%H%M%S.png")
        self.engine.saveScreenshot(name)
        self.hud.message("Saved " + name)
