#include "host/engine_string.h"

namespace lumora {

EngineStringHandle::EngineStringHandle(const char* text) { HostStartup.engineStringCreate(&m_handle, text, 0); }

EngineStringHandle::~EngineStringHandle() {
    if (m_handle != nullptr) HostStartup.engineStringRelease(&m_handle);
}

}  // namespace lumora
