#include "host/bindings.h"

namespace lumora {

namespace {
// Binds the game's image base and the start-up bindings while the library is
// being loaded, before the loader calls the load entry.
struct StartupBinding {
    StartupBinding() { bindHostImage(); }
} g_startupBinding;
}  // namespace

}  // namespace lumora
