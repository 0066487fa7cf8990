#pragma once
// The process's memory mappings as the kernel lists them in /proc/self/maps.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win32layer::detail {

struct ProcessMapping {
    std::uintptr_t begin;
    std::uintptr_t end;
    bool readable;
    bool writable;
    bool executable;
    std::string path;  // empty for anonymous memory
};

// Sorted by address. Empty when the list cannot be read.
std::vector<ProcessMapping> readProcessMappings();

// Parses one line of the maps file; nullopt for a malformed line.
std::optional<ProcessMapping> parseMappingLine(const std::string& line);

}  // namespace win32layer::detail
