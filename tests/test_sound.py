import math
import struct
import subprocess
import time
import wave

import pytest

import brovaline as b
from brovaline_tools.sdl import loaded_sdl
from conftest import run_script

mixer = loaded_sdl()


def write_wav(path, seconds, rate=44100):
    frames = int(seconds * rate)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<hh", v, v) for v in
                               (int(6000 * math.sin(i * 0.05)) for i in range(frames))))
    return str(path)


def write_ogg(path, seconds):
    source = write_wav(path.with_suffix(".wav"), seconds)
    subprocess.run(["oggenc", "-Q", source, "-o", str(path)], check=True)
    return str(path)


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    d = tmp_path_factory.mktemp("audio")
    (d / "text.wav").write_text("not a sound")
    return {
        "wav": write_wav(d / "beep.wav", 0.2),
        "long_wav": write_wav(d / "tone.wav", 0.5),
        "ogg": write_ogg(d / "short.ogg", 0.5),
        "long_ogg": write_ogg(d / "long.ogg", 3.0),
        "text": str(d / "text.wav"),
        "missing": str(d / "missing.ogg"),
    }


@pytest.fixture(autouse=True)
def quiet_mixer():
    yield
    mixer.Mix_HaltChannel(-1)
    mixer.Mix_HaltMusic()
    b.setSoundVolume(128)
    b.setMusicVolume(128)


def wait_until(condition, timeout=5.0):
    end = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.005)
    return True


def test_initial_volumes_after_import():
    result = run_script("import brovaline as b; print(b.getSoundVolume(), b.getMusicVolume())")
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["128", "128"]


@pytest.mark.parametrize("volume, stored", [(64, 64), (0, 0), (128, 128), (500, 128), (-3, 0)])
def test_volume_setters_keep_the_volume_in_effect(volume, stored):
    b.setSoundVolume(volume)
    b.setMusicVolume(volume)
    assert b.getSoundVolume() == stored and mixer.Mix_Volume(0, -1) == stored
    assert b.getMusicVolume() == stored


def test_play_reapplies_the_sound_volume_to_every_channel(files):
    b.setSoundVolume(64)
    mixer.Mix_Volume(-1, 10)
    b.Sound(files["wav"]).play()
    assert all(mixer.Mix_Volume(c, -1) == 64 for c in range(mixer.Mix_AllocateChannels(-1)))


@pytest.mark.parametrize("cls, key, message", [
    (b.Sound, "missing", "Unable to load sound file '%s'"),
    (b.Sound, "text", "Unable to load sound file '%s'"),
    (b.Music, "missing", "Unable to load music file '%s'"),
    (b.Music, "text", "Unable to load music file '%s'"),
])
def test_unloadable_files_raise_io_error(files, cls, key, message):
    with pytest.raises(IOError) as info:
        cls(files[key])
    assert str(info.value) == message % files[key]


@pytest.mark.parametrize("cls", [b.Sound, b.Music])
@pytest.mark.parametrize("path, error", [(3, TypeError), ("a\0b.wav", ValueError)])
def test_bad_paths_are_rejected(cls, path, error):
    with pytest.raises(error):
        cls(path)


def test_play_returns_a_handle_that_controls_its_channel(files):
    sound = b.Sound(files["wav"])
    assert isinstance(sound, b.Resource) and sound.filename == files["wav"]
    handle = sound.loop(0)
    assert isinstance(handle, b.SoundHandle) and handle.channel >= 0
    assert handle.isPlaying() == 1
    handle.pause()
    assert mixer.Mix_Paused(handle.channel) == 1
    handle.resume()
    assert mixer.Mix_Paused(handle.channel) == 0
    handle.stop()
    assert handle.isPlaying() == 0
    handle = sound.play()  # once: ends by itself
    assert handle.isPlaying() == 1
    assert wait_until(lambda: handle.isPlaying() == 0)


def test_loop_zero_plays_until_stopped_and_loop_n_repeats(files):
    sound = b.Sound(files["long_wav"])  # 0.5 s
    endless, thrice = sound.loop(0), sound.loop(3)
    assert endless.channel != thrice.channel
    time.sleep(0.8)
    assert thrice.isPlaying() == 1
    assert wait_until(lambda: thrice.isPlaying() == 0)
    assert endless.isPlaying() == 1
    endless.stop()
    assert endless.isPlaying() == 0


@pytest.mark.parametrize("channel, playing", [(-1, None), (-7, None), (10**6, 0)])
def test_handle_without_a_channel_does_nothing(files, channel, playing):
    sound = b.Sound(files["wav"])
    other = sound.loop(0)
    handle = b.SoundHandle(channel)
    assert handle.isPlaying() == playing
    handle.stop()
    handle.pause()
    handle.resume()
    assert other.isPlaying() == 1 and mixer.Mix_Paused(other.channel) == 0


def test_destroying_a_playing_sound_or_music_halts_only_its_own_output(files):
    sound, music = b.Sound(files["wav"]), b.Music(files["long_ogg"])
    handle = sound.loop(0)
    music.play()
    del sound
    assert handle.isPlaying() == 0 and mixer.Mix_PlayingMusic() == 1
    del music
    assert mixer.Mix_PlayingMusic() == 0


def test_unloaded_resources_cannot_play():
    with pytest.raises(b.EngineException) as info:
        b.Sound.__new__(b.Sound).play()
    assert info.value.msg == "Unable to play the sound!"
    with pytest.raises(b.EngineException) as info:
        b.Music.__new__(b.Music).play()
    assert info.value.msg == "Unable to play music!"


def test_sound_without_a_free_channel(files):
    result = run_script("""
        import brovaline as b
        e = b.Engine()
        e.init("t", (8, 8), show=False, audioChannels=2)
        s = b.Sound(%r)
        s.loop(0); s.loop(0)
        for play in (s.play, lambda: s.loop(1)):
            try:
                play()
            except b.EngineException as ex:
                print(ex.msg)
    """ % files["wav"])
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines() == ["Unable to play the sound!"] * 2


def test_music_play_pause_resume_stop(files):
    music = b.Music(files["long_ogg"])
    music.play()
    assert mixer.Mix_PlayingMusic() == 1
    music.pause()
    assert mixer.Mix_PausedMusic() == 1
    music.resume()
    assert mixer.Mix_PausedMusic() == 0
    music.stop()
    assert mixer.Mix_PlayingMusic() == 0


def test_music_play_from_a_position(files):
    music = b.Music(files["long_ogg"])  # 3 s
    music.play(2.8)
    assert mixer.Mix_PlayingMusic() == 1
    assert wait_until(lambda: not mixer.Mix_PlayingMusic(), timeout=1.5)
    music.play()
    time.sleep(1.5)
    assert mixer.Mix_PlayingMusic() == 1


@pytest.mark.parametrize("start, endless", [
    (lambda m: m.loop(3), False), (lambda m: m.fadeInLoop(10, 3), False),
    (lambda m: m.loop(0), True), (lambda m: m.fadeInLoop(10, 0, 0.2), True),
])
def test_music_loop_plays_the_track_that_many_times_or_endlessly_for_zero(files, start, endless):
    music = b.Music(files["ogg"])  # 0.5 s
    start(music)
    time.sleep(1.3 if endless else 1.2)
    assert mixer.Mix_PlayingMusic() == 1
    if not endless:
        assert wait_until(lambda: not mixer.Mix_PlayingMusic())


def test_fade_in_plays_once_and_fade_out_halts(files):
    music = b.Music(files["ogg"])
    music.fadeIn(100)
    assert mixer.Mix_FadingMusic() == 2  # MIX_FADING_IN
    assert wait_until(lambda: not mixer.Mix_PlayingMusic(), timeout=3)
    music.loop(0)
    music.fadeOut(100)
    assert wait_until(lambda: not mixer.Mix_PlayingMusic(), timeout=3)


def test_fade_in_is_looked_up():
    calls = []

    class Recorded(b.Music):
        def fadeInLoop(self, milliseconds, times, pos=0.0):
            calls.append((milliseconds, times, pos))

    Recorded.__new__(Recorded).fadeIn(250)
    Recorded.__new__(Recorded).fadeIn(5, 1.5)
    assert calls == [(250, 1, 0.0), (5, 1, 1.5)]


def test_audio_objects_outlive_quit(files):
    result = run_script("""
        import brovaline as b
        e = b.Engine()
        e.init("t", (8, 8), show=False)
        s, m, m2 = b.Sound(%r), b.Music(%r), b.Music(%r)
        h = s.loop(0)
        m.loop(0)
        m.fadeOut(5000)
        e.quit()
        del s, m, m2
        print("done")
    """ % (files["wav"], files["ogg"], files["ogg"]), timeout=30)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "done"


@pytest.fixture
def stops(engine):
    """Events the engine delivers per frame, after draining the notifications of earlier tests."""
    received = []
    engine.subscribeEvent(b.MusicStoppedEvent, received.append)
    while True:
        engine.update()
        if not received:
            break
        received.clear()

    def frames(n):
        per_frame = []
        for _ in range(n):
            engine.update()
            per_frame.append(len(received))
            received.clear()
        return per_frame

    return frames


def test_each_stop_is_one_event_in_its_own_frame(files, stops):
    music = b.Music(files["long_ogg"])
    music.play()
    music.stop()
    music.play()
    music.stop()
    music.stop()  # nothing playing: no notification
    assert stops(3) == [1, 1, 0]


def test_end_of_track_and_fade_out_are_notified(files, stops):
    music = b.Music(files["ogg"])
    music.play()
    assert wait_until(lambda: not mixer.Mix_PlayingMusic())
    music.loop(0)
    music.fadeOut(50)
    assert wait_until(lambda: not mixer.Mix_PlayingMusic())
    assert stops(3) == [1, 1, 0]


def test_music_stopped_event_is_a_plain_event():
    event = b.MusicStoppedEvent()
    assert isinstance(event, b.Event) and event.isAlreadyHandled is False
    with pytest.raises(TypeError):
        b.MusicStoppedEvent(1)
