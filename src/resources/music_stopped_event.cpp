// MusicStoppedEvent: fired by the frame loop once for every stop of the music stream.
#include "common/args.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "input/events.hpp"

namespace bv {

namespace {

int MusicStoppedEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("MusicStoppedEvent", 0);
        (void)a;
        Ref noArgs = Ref::checked(PyTuple_New(0));
        return EventType->tp_init(self, noArgs, nullptr);
    });
}

ClassRegistration reg("MusicStoppedEvent", [] {
    ClassSpec spec = specFor<EventObject>("MusicStoppedEvent", EventType);
    spec.doc = "The music stream stopped: its track ended, was stopped or faded out.";
    spec.init = MusicStoppedEvent_init;
    return createType(spec);
});

}  // namespace

}  // namespace bv
