"""Sound effects and the background music with its fades and volumes."""
import brovaline as b

EFFECTS = ("chime", "zap", "click", "thud", "wind")
FADE_IN_MS = 2500
FADE_OUT_MS = 1500


class Audio:
    def __init__(self, assets):
        self.effects = {name: b.Sound(str(assets / "sounds" / f"{name}.wav")) for name in EFFECTS}
        self.music = b.Music(str(assets / "music" / "theme.ogg"))
        self.music_on = False
        self.wind = None   # the handle of the endless wind loop, heard under the open sky
        self._outdoors = None

    def outdoors(self, is_outdoors):
        """Starts the wind on the first call, then pauses it indoors and resumes it outdoors."""
        if self.wind is None:
            self.wind = self.effects["wind"].loop(0)
        if is_outdoors != self._outdoors:
            self._outdoors = is_outdoors
            if is_outdoors:
                self.wind.resume()
            else:
                self.wind.pause()

    def play(self, name):
        try:
            self.effects[name].play()
        except b.EngineException:
            pass  # every mixer channel is busy: the effect is skipped

    def start_music(self):
        self.music.fadeInLoop(FADE_IN_MS, 0)   # 0: loop for ever
        self.music_on = True

    def toggle_music(self):
        if self.music_on:
            self.music.fadeOut(FADE_OUT_MS)
            self.music_on = False
        else:
            self.start_music()
        return self.music_on
