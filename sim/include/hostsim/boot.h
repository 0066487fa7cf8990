#pragma once
// Brings the simulated game up: the image is made writable and executable,
// every function offset the simulator implements gets its stub, the pointer
// globals point at the UI object, the message queue, and the fixed data
// (message box title, compare instruction, call-site routines, all-forms
// lock) is written. Safe to call more than once; only the first call acts.
#include <cstdint>

namespace hostsim {

std::uint8_t* bootGame();

// Makes HostUi_Singleton hold null (the UI does not exist yet) or point at
// the UI object again.
void setUiObjectPresent(bool present);

}  // namespace hostsim
