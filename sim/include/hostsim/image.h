#pragma once
// The simulated game executable's image: memory at the game's image base that
// covers every fixed offset the plugin binds to.
#include <cstddef>
#include <cstdint>

namespace hostsim {

// Size of the image the game's offsets live in.
inline constexpr std::size_t kImageSize = 0x6B00000;

// Makes the image writable and executable and returns its base. Natively the
// memory comes from the Win32 layer (it is what GetModuleHandleA(nullptr)
// answers); under Windows it is this executable's own image.
std::uint8_t* prepareImage();
std::uint8_t* imageBase();

// Address of an offset in the image.
inline std::uint8_t* at(std::uintptr_t offset) { return imageBase() + offset; }
template <typename T>
T* dataAt(std::uintptr_t offset) {
    return reinterpret_cast<T*>(at(offset));
}

// Writes "FF 25 00000000 <abs64>" at the offset: jmp qword ptr [rip+0] to the
// simulator's implementation of that game function.
void placeStub(std::uintptr_t offset, const void* implementation);

}  // namespace hostsim
