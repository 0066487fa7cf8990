#include "file_holder.h"

#include "win32_layer.h"

namespace demo {

void* holdFileWithoutSharing(const std::string& path) {
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

void releaseHeldFile(void* handle) { CloseHandle(handle); }

}  // namespace demo
