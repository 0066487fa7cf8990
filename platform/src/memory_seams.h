#pragma once
// The seams in front of the memory functions, shared with the controls.
#include "function_seam.h"

namespace win32layer::detail {

FunctionSeam<SIZE_T(LPCVOID, MEMORY_BASIC_INFORMATION*)>& virtualQuerySeam();
FunctionSeam<LPVOID(LPVOID, SIZE_T, DWORD, DWORD)>& virtualAllocSeam();
FunctionSeam<BOOL(LPVOID, SIZE_T, DWORD, PDWORD)>& virtualProtectSeam();
FunctionSeam<BOOL(LPVOID, SIZE_T, DWORD)>& virtualFreeSeam();

}  // namespace win32layer::detail
