#pragma once
// Owns one engine-string handle: created from a text, released exactly once,
// on every path out of the owning scope.
#include "host/bindings.h"

namespace lumora {

class EngineStringHandle {
public:
    explicit EngineStringHandle(const char* text);
    ~EngineStringHandle();
    EngineStringHandle(const EngineStringHandle&) = delete;
    EngineStringHandle& operator=(const EngineStringHandle&) = delete;

    // The handle's value (what the game compares and passes by value).
    EngineString value() const { return m_handle; }
    // The handle's address (what the game takes as "handle pointer").
    EngineString* address() { return &m_handle; }
    const EngineString* address() const { return &m_handle; }

private:
    EngineString m_handle = nullptr;
};

}  // namespace lumora
