"""The heads-up display drawn over the scene: frame rate, key hints, crosshair, messages."""
import brovaline as b

MESSAGE_SECONDS = 3.0
HINTS = "WASD walk   mouse look   click zap   TAB menu   F flashlight   ESC quit"


class Hud:
    """Widgets anchored to the edges of the UI renderer's root container."""

    def __init__(self, ui, assets):
        theme = ui.theme
        root = ui.widget
        self.fps = b.UIText("")
        stats = b.UIPanel()
        stats.addChild(self.fps)
        root.addChild(stats, 6, 6, b.ANCHOR_LEFT, b.ANCHOR_TOP)
        hints = b.UIText(HINTS, theme.getColor("muted"))
        root.addChild(hints, 8, 8, b.ANCHOR_RIGHT, b.ANCHOR_BOTTOM)
        self.view = b.UIText("")
        root.addChild(self.view, 8, 28, b.ANCHOR_RIGHT, b.ANCHOR_BOTTOM)
        self.crosshair = b.UIImage(b.Texture(str(assets / "crosshair.png")))
        root.addChild(self.crosshair, 0, 0, b.ANCHOR_CENTER, b.ANCHOR_CENTER)
        self.note = b.UIText("", theme.getColor("highlight"))
        root.addChild(self.note, 0, 40, b.ANCHOR_CENTER, b.ANCHOR_CENTER)
        self._note_left = 0.0

    def message(self, text):
        self.note.text = text
        self._note_left = MESSAGE_SECONDS

    def step(self, time_step, fps, looking_at):
        self.fps.text = f"{fps:5.0f} fps"
        self.view.text = "looking at the " + looking_at if looking_at else ""
        if self._note_left > 0:
            self._note_left -= time_step
            if self._note_left <= 0:
                self.note.text = ""
