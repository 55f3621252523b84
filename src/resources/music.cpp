// Music: loading, playing, pausing and stopping the streamed track.
#include "resources/music.hpp"

#include "common/args.hpp"
#include "common/cstring.hpp"
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"

namespace bv {

PyTypeObject* MusicType;

void MusicObject::destroy() {
    // Freeing the playing track waits for its fade-out, which never ends once SDL's audio is shut
    // down (Engine.quit): the track is then left to the process's exit.
    if (music && SDL_WasInit(SDL_INIT_AUDIO)) Mix_FreeMusic(music);
    music = nullptr;
}

namespace {

MusicObject* asMusic(PyObject* o) { return reinterpret_cast<MusicObject*>(o); }

// The mixer's loop count for `times` plays in all (0: endlessly). The music stream counts plays,
// not repeats, and reads 0 as once.
int musicLoops(int32_t times) { return times > 0 ? times : -1; }

int Music_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Music", 1, "filepath");
        const char* path = toCString(a[0], "filepath");
        MusicObject* m = asMusic(self);
        setRef(m->filename, a[0]);
        m->destroy();
        m->music = Mix_LoadMUS(path);
        if (!m->music) {
            PyErr_Format(PyExc_IOError, "Unable to load music file '%s'", path);
            throwPy();
        }
        return 0;
    });
}

void playMusic(PyObject* self, int loops) {
    if (Mix_PlayMusic(asMusic(self)->music, loops) < 0) throwEngineException("Unable to play music!");
}

PyObject* Music_play(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("play", 0, "pos");
        bool seek = a[0] && a[0] != Py_None;
        double pos = seek ? toDouble(a[0]) : 0.0;
        playMusic(self, musicLoops(1));
        if (seek) Mix_SetMusicPosition(pos);
        return none();
    });
}

PyObject* Music_loop(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("loop", 1, "times");
        playMusic(self, musicLoops(toInt32(a[0])));
        return none();
    });
}

PyObject* Music_stop(PyObject*, PyObject*) {
    Mix_HaltMusic();
    return none();
}

PyObject* Music_pause(PyObject*, PyObject*) {
    Mix_PauseMusic();
    return none();
}

PyObject* Music_resume(PyObject*, PyObject*) {
    Mix_ResumeMusic();
    return none();
}

PyObject* Music_fadeOut(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fadeOut", 1, "milliseconds");
        Mix_FadeOutMusic(toInt32(a[0]));
        return none();
    });
}

PyObject* Music_fadeIn(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fadeIn", 1, "milliseconds", "pos");
        Ref once = Ref::checked(PyLong_FromLong(1));
        Ref pos = a[1] ? Ref::borrow(a[1]) : Ref::checked(PyFloat_FromDouble(0.0));
        static PyObject* fadeInLoop = intern("fadeInLoop");
        return callMethod(fadeInLoop, self, a[0], once.get(), pos.get()).release();
    });
}

PyObject* Music_fadeInLoop(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fadeInLoop", 2, "milliseconds", "times", "pos");
        int32_t ms = toInt32(a[0]);
        int loops = musicLoops(toInt32(a[1]));
        double pos = a[2] ? toDouble(a[2]) : 0.0;
        Mix_FadeInMusicPos(asMusic(self)->music, loops, ms, pos);
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD("play", Music_play, "Plays the track once, from `pos` seconds when given."),
    BV_METHOD("loop", Music_loop, "Plays the track `times` times (0: endlessly)."),
    BV_METHOD_NOARGS("stop", Music_stop, "Halts the music stream."),
    BV_METHOD_NOARGS("pause", Music_pause, "Pauses the music stream."),
    BV_METHOD_NOARGS("resume", Music_resume, "Resumes the paused music stream."),
    BV_METHOD("fadeOut", Music_fadeOut, "Fades the music stream out over the given milliseconds, then halts it."),
    BV_METHOD("fadeIn", Music_fadeIn, "Plays the track once, fading in over the given milliseconds."),
    BV_METHOD("fadeInLoop", Music_fadeInLoop, "Plays the track `times` times (0: endlessly), fading in."),
    BV_METHODS_END,
};

ClassRegistration reg("Music", [] {
    ClassSpec spec = specFor<MusicObject>("Music", ResourceType);
    spec.doc = "A music track (OGG) streamed on the mixer's music stream.";
    spec.methods = methods;
    spec.init = Music_init;
    return MusicType = createType(spec);
});

}  // namespace

}  // namespace bv
