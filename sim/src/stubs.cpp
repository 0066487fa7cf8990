#include <cstring>

#include "hostsim/image.h"

namespace hostsim {

void placeStub(std::uintptr_t offset, const void* implementation) {
    std::uint8_t* stub = at(offset);
    const std::uint8_t jumpThroughNextQword[6] = {
        0xFF, 0x25,             // jmp qword ptr [rip+disp32]
        0x00, 0x00, 0x00, 0x00  // disp32 = 0: the target is the 8 bytes below
    };
    std::memcpy(stub, jumpThroughNextQword, sizeof jumpThroughNextQword);
    const auto target = reinterpret_cast<std::uint64_t>(implementation);
    std::memcpy(stub + 6, &target, sizeof target);  // absolute address, little-endian
}

}  // namespace hostsim
