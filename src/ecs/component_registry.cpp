// The component registry: component names <-> classes, used by level files.
#include "common/registry.hpp"
#include "ecs/component_registry.py.hpp"

namespace bv {

namespace {

StartupStep registry(Startup::ComponentRegistry, [](PyObject*) { runInModule(embedded::ecs_component_registry_py); });

}  // namespace

}  // namespace bv
