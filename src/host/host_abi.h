#pragma once
// Every call that crosses into the game, or that the game or the loader makes
// into us, uses the Microsoft x64 convention. On Windows that is the default;
// natively we ask g++ for it so the same registers carry the arguments.
#ifdef _WIN32
#define HOST_ABI
#else
#define HOST_ABI __attribute__((ms_abi))
#endif
