#pragma once
// The one place product code gets the Windows API from: the real headers when
// cross-building the DLL, our own small layer when building natively on Linux.
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
