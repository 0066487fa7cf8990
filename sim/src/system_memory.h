#pragma once
// The memory functions of the system the game runs on: the real Windows API
// in the Windows game, our Win32 layer natively. Private to the sim sources.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "win32_layer.h"
#endif
