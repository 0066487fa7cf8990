#include "host/bindings.h"

#include "win/windows_api.h"

namespace lumora {

std::uintptr_t HostImageBase = 0;
StartupBindings HostStartup{};

void bindHostImage() {
    HostImageBase = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    HostStartup.engineStringCreate = hostFunction<EngineStringCreateFn>(HostOffset::EngineString_Create);
    HostStartup.engineStringRelease = hostFunction<EngineStringReleaseFn>(HostOffset::EngineString_Release);
    HostStartup.lookupById = hostFunction<LookupByIdFn>(HostOffset::HostForms_LookupById);
    HostStartup.dynamicCast = hostFunction<DynamicCastFn>(HostOffset::HostRuntime_DynamicCast);
}

}  // namespace lumora
