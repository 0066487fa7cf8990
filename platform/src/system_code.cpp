#include "system_code.h"

#include "win32_controls.h"

namespace win32layer {
namespace {
thread_local int systemCodeDepth = 0;
}  // namespace

detail::SystemCodeScope::SystemCodeScope() noexcept { ++systemCodeDepth; }
detail::SystemCodeScope::~SystemCodeScope() { --systemCodeDepth; }

bool insideSystemCode() noexcept { return systemCodeDepth > 0; }

}  // namespace win32layer
