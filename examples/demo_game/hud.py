"""The heads-up display drawn over the scene: frame rate, key hints, crosshair, messages."""
import brovaline as b

MESSAGE_SECONDS = 2.5
HINTS = "WASD walk   mouse look   click zap   wheel zoom   TAB menu   F light   G fog   ESC quit"


class Hud:
    """Panels and texts anchored to the edges and the centre of the UI renderer's root container."""

    def __init__(self, ui, assets):
        theme = ui.theme
        root = ui.widget
        self.fps = b.UIText("")
        root.addChild(self._panel(self.fps), 6, 6, b.ANCHOR_LEFT, b.ANCHOR_TOP)
        self.view = b.UIText("")
        hints = b.UIText(HINTS, theme.getColor("muted"))
        root.addChild(self._panel(self.view, hints), 6, 6, b.ANCHOR_RIGHT, b.ANCHOR_BOTTOM)
        crosshair = b.UIImage(b.Texture(str(assets / "crosshair.png")))
        root.addChild(crosshair, 0, 0, b.ANCHOR_CENTER, b.ANCHOR_CENTER)
        self.note = b.UIText("", theme.getColor("highlight"))
        self.note_panel = self._panel(self.note)
        self.note_panel.isVisible = False
        root.addChild(self.note_panel, 0, 70, b.ANCHOR_CENTER, b.ANCHOR_CENTER)
        self._note_left = 0.0

    @staticmethod
    def _panel(*texts):
        panel = b.UIPanel()
        panel.setPadding(5, 10)
        for text in texts:
            panel.addChild(text)
        return panel

    def message(self, text):
        self.note.text = text
        self.note_panel.isVisible = True
        self._note_left = MESSAGE_SECONDS

    def step(self, time_step, fps, looking_at):
        self.fps.text = f"{fps:4.0f} fps"
        self.view.text = looking_at
        if self._note_left > 0:
            self._note_left -= time_step
            self.note_panel.isVisible = self._note_left > 0
