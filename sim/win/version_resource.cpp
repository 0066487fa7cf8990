#include "version_resource.h"

#include <windows.h>

#include <cstdio>

#include "hostsim/transcript.h"

namespace hostsim {
namespace {

std::string dotted(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) + "." +
           std::to_string(LOWORD(low));
}

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace

VersionResourceReport readVersionResource(const char* path) {
    VersionResourceReport report;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) {
        report.lines.push_back("loader: version resource missing (" + std::to_string(GetLastError()) + ")");
        return report;
    }
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data())) {
        report.lines.push_back("loader: version resource unreadable (" + std::to_string(GetLastError()) + ")");
        return report;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        report.lines.push_back("loader: version resource has no fixed part");
        return report;
    }
    report.found = true;
    report.lines.push_back("loader: version file " + dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) +
                           " product " + dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + " os " +
                           hex(fixed->dwFileOS) + " type " + std::to_string(fixed->dwFileType) + " flags " +
                           hex(fixed->dwFileFlags) + " mask " + hex(fixed->dwFileFlagsMask));

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) &&
        translations != nullptr && length >= sizeof(Translation)) {
        char text[64];
        std::snprintf(text, sizeof text, "loader: version translation %04X %u", translations->language,
                      translations->codePage);
        report.lines.push_back(text);
    } else {
        report.lines.push_back("loader: version translation missing");
    }

    for (const char* key :
         {"FileVersion", "ProductVersion", "FileDescription", "InternalName", "OriginalFilename", "ProductName"}) {
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + key;
        char* value = nullptr;
        if (VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) && value != nullptr)
            report.lines.push_back(std::string("loader: version string ") + key + " " + quoted(value));
        else report.lines.push_back(std::string("loader: version string ") + key + " missing");
    }
    return report;
}

}  // namespace hostsim
