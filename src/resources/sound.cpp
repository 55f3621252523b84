// Sound and its play handles: loading samples, playing them on free channels, channel control.
#include "resources/sound.hpp"

#include "common/args.hpp"
#include "common/cstring.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"

namespace bv {

PyTypeObject* SoundType;
PyTypeObject* SoundHandleType;
int soundVolume = MIX_MAX_VOLUME;

void SoundObject::destroy() {
    if (chunk) Mix_FreeChunk(chunk);  // halts the channels still playing it
    chunk = nullptr;
}

namespace {

SoundObject* asSound(PyObject* o) { return reinterpret_cast<SoundObject*>(o); }
SoundHandleObject* asHandle(PyObject* o) { return reinterpret_cast<SoundHandleObject*>(o); }

int Sound_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Sound", 1, "filepath");
        const char* path = toCString(a[0], "filepath");
        SoundObject* s = asSound(self);
        setRef(s->filename, a[0]);
        s->destroy();
        s->chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1);
        if (!s->chunk) {
            PyErr_Format(PyExc_IOError, "Unable to load sound file '%s'", path);
            throwPy();
        }
        return 0;
    });
}

PyObject* newHandle(int channel) {
    if (channel < 0) throwEngineException("Unable to play the sound!");
    return check(PyObject_CallFunction(reinterpret_cast<PyObject*>(SoundHandleType), "i", channel));
}

PyObject* Sound_play(PyObject* self, PyObject*) {
    return guard([&] {
        int channel = Mix_PlayChannelTimed(-1, asSound(self)->chunk, 0, -1);
        Mix_Volume(-1, soundVolume);
        return newHandle(channel);
    });
}

PyObject* Sound_loop(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("loop", 1, "times");
        int32_t times = toInt32(a[0]);
        // times plays in all (0: endlessly); the mixer counts repeats after the first play.
        int loops = times > 0 ? times - 1 : -1;
        return newHandle(Mix_PlayChannelTimed(-1, asSound(self)->chunk, loops, -1));
    });
}

PyMethodDef soundMethods[] = {
    BV_METHOD_NOARGS("play", Sound_play, "Plays the sound once on a free channel; returns its SoundHandle."),
    BV_METHOD("loop", Sound_loop, "Plays the sound `times` times (0: endlessly); returns its SoundHandle."),
    BV_METHODS_END,
};

ClassRegistration soundReg("Sound", [] {
    ClassSpec spec = specFor<SoundObject>("Sound", ResourceType);
    spec.doc = "A sound effect loaded from a WAV file.";
    spec.methods = soundMethods;
    spec.init = Sound_init;
    return SoundType = createType(spec);
});

int SoundHandle_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("SoundHandle", 1, "channel");
        asHandle(self)->channel = toInt32(a[0]);
        return 0;
    });
}

// The handle's channel, or -1 when it has none among the allocated channels.
int channelOf(PyObject* self) {
    int channel = asHandle(self)->channel;
    return channel >= 0 && channel < Mix_AllocateChannels(-1) ? channel : -1;
}

PyObject* SoundHandle_stop(PyObject* self, PyObject*) {
    if (int channel = channelOf(self); channel >= 0) Mix_HaltChannel(channel);
    return none();
}

PyObject* SoundHandle_pause(PyObject* self, PyObject*) {
    if (int channel = channelOf(self); channel >= 0) Mix_Pause(channel);
    return none();
}

PyObject* SoundHandle_resume(PyObject* self, PyObject*) {
    if (int channel = channelOf(self); channel >= 0) Mix_Resume(channel);
    return none();
}

PyObject* SoundHandle_isPlaying(PyObject* self, PyObject*) {
    if (asHandle(self)->channel < 0) return none();
    int channel = channelOf(self);
    return PyLong_FromLong(channel >= 0 ? Mix_Playing(channel) : 0);
}

PyMethodDef handleMethods[] = {
    BV_METHOD_NOARGS("stop", SoundHandle_stop, "Halts the channel."),
    BV_METHOD_NOARGS("pause", SoundHandle_pause, "Pauses the channel."),
    BV_METHOD_NOARGS("resume", SoundHandle_resume, "Resumes the paused channel."),
    BV_METHOD_NOARGS("isPlaying", SoundHandle_isPlaying, "1 while the channel plays, 0 after; None without a channel."),
    BV_METHODS_END,
};

PyGetSetDef handleProps[] = {
    ro<&SoundHandleObject::channel>("channel"),
    rw<&SoundHandleObject::channel>("_channel"),
    propsEnd(),
};

ClassRegistration handleReg("SoundHandle", [] {
    ClassSpec spec = specFor<SoundHandleObject>("SoundHandle");
    spec.doc = "The mixer channel of one play of a Sound.";
    spec.methods = handleMethods;
    spec.getset = handleProps;
    spec.init = SoundHandle_init;
    return SoundHandleType = createType(spec);
});

}  // namespace

}  // namespace bv
