// Draining SDL's event queue once per frame.
#include "common/klass.hpp"
#include "core/engine.hpp"

namespace bv {

void engineUpdateInput(EngineObject* self) {
    self->mouseDistX = self->mouseDistY = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                self->initialized = 0;
                break;
            case SDL_KEYDOWN:
                if (self->killWithEscapeKey && event.key.keysym.sym == SDLK_ESCAPE) self->initialized = 0;
                break;
            case SDL_MOUSEMOTION:
                self->mouseDistX = event.motion.xrel;
                self->mouseDistY = event.motion.yrel;
                break;
            default:
                break;
        }
    }
}

PyMethodDef engineInputMethods[] = {
    BV_METHODS_END,
};

}  // namespace bv
