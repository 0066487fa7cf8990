#pragma once
// The game is an MSVC x64 program: everything it exports to, or calls in, the
// plugin uses the Microsoft x64 convention. Natively we ask g++ for it.
#ifdef _WIN32
#define SIM_ABI
#else
#define SIM_ABI __attribute__((ms_abi))
#endif
