#pragma once
// One table of file operations, run through whichever CreateFileA, WriteFile,
// ReadFile, FlushFileBuffers, CloseHandle, MoveFileExA and DeleteFileA the
// program is linked with: the real ones in the Windows build, our layer
// natively. The printed report (each result with its last error, then every
// file left in the folder with its bytes) is compared with a recording made
// from the real functions.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "win/windows_api.h"

namespace files_probe {

enum class Op { Create, Write, Read, Flush, Close, Move, Delete, MakeFolder, MakeReadOnly };

struct FileOp {
    Op op;
    std::string path;               // Create, Move (from), Delete, MakeFolder
    std::string other = {};         // Move: to; Write: the bytes
    DWORD access = 0;               // Create
    DWORD disposition = 0;          // Create
    DWORD flags = 0;                // Move
    unsigned size = 0;              // Read: bytes asked for
    DWORD share = FILE_SHARE_READ;  // Create
};

struct FileCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;  // made before the case: name, bytes
    // Handles stack up: a Create that succeeds pushes its handle, Write, Read
    // and Flush use the top one, Close closes it and pops it.
    std::vector<FileOp> ops;
};

inline FileOp create(std::string path, DWORD access, DWORD disposition) {
    return {Op::Create, std::move(path), {}, access, disposition};
}
// Opened with `share` as the share mode, as another program would hold it.
inline FileOp createShared(std::string path, DWORD access, DWORD disposition, DWORD share) {
    FileOp op{Op::Create, std::move(path), {}, access, disposition};
    op.share = share;
    return op;
}
inline FileOp write(std::string bytes) { return {Op::Write, {}, std::move(bytes)}; }
inline FileOp read(unsigned size) { return {Op::Read, {}, {}, 0, 0, 0, size}; }
inline FileOp flush() { return {Op::Flush, {}}; }
inline FileOp close() { return {Op::Close, {}}; }
inline FileOp move(std::string from, std::string to, DWORD flags) {
    return {Op::Move, std::move(from), std::move(to), 0, 0, flags};
}
inline FileOp remove(std::string path) { return {Op::Delete, std::move(path)}; }
inline FileOp makeFolder(std::string path) { return {Op::MakeFolder, std::move(path)}; }
// The read-only attribute, set as the C runtime sets it (no write permission).
inline FileOp makeReadOnly(std::string path) { return {Op::MakeReadOnly, std::move(path)}; }

inline constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

inline std::vector<FileCase> fileCases() {
    return {
        {"new file written, flushed, closed",
         {},
         {create(".\\new.txt", GENERIC_WRITE, CREATE_ALWAYS), write("first line\r\n"), write(""), flush(), close()}},
        {"create always over a file empties it",
         {{"old.txt", "old bytes"}},
         {create(".\\old.txt", GENERIC_WRITE, CREATE_ALWAYS), write("new"), close()}},
        {"create new over a file fails", {{"old.txt", "old"}}, {create(".\\old.txt", GENERIC_WRITE, CREATE_NEW)}},
        {"open missing file", {}, {create(".\\missing.txt", GENERIC_READ, OPEN_EXISTING)}},
        {"open in missing folder", {}, {create(".\\nofolder\\missing.txt", GENERIC_READ, OPEN_EXISTING)}},
        {"create in missing folder", {}, {create(".\\nofolder\\new.txt", GENERIC_WRITE, CREATE_ALWAYS)}},
        {"open a folder", {}, {makeFolder("dir"), create(".\\dir", GENERIC_READ, OPEN_EXISTING)}},
        {"read in pieces to the end",
         {{"data.txt", "0123456789"}},
         {create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), read(4), read(4), read(4), read(4), close()}},
        {"read an empty file",
         {{"empty.txt", ""}},
         {create(".\\empty.txt", GENERIC_READ, OPEN_EXISTING), read(16), close()}},
        {"write through a read handle",
         {{"data.txt", "abc"}},
         {create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), write("x"), close()}},
        {"read through a write handle",
         {},
         {create(".\\data.txt", GENERIC_WRITE, CREATE_ALWAYS), write("abc"), read(3), close()}},
        {"flush a read handle",
         {{"data.txt", "abc"}},
         {create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), flush(), close()}},
        {"move over a file, replacing",
         {{"list.tmp", "new list"}, {"list.txt", "old list"}},
         {move(".\\list.tmp", ".\\list.txt", kReplace)}},
        {"move onto a missing name", {{"list.tmp", "new list"}}, {move(".\\list.tmp", ".\\list.txt", kReplace)}},
        {"move over a file without replacing",
         {{"list.tmp", "new"}, {"list.txt", "old"}},
         {move(".\\list.tmp", ".\\list.txt", MOVEFILE_WRITE_THROUGH)}},
        {"move a missing file", {{"list.txt", "old"}}, {move(".\\list.tmp", ".\\list.txt", kReplace)}},
        {"move over a folder",
         {{"list.tmp", "new"}},
         {makeFolder("list.txt"), move(".\\list.tmp", ".\\list.txt", kReplace)}},
        {"move into a missing folder", {{"list.tmp", "new"}}, {move(".\\list.tmp", ".\\nofolder\\list.txt", kReplace)}},
        {"delete a file, a missing file, a folder",
         {{"gone.txt", "x"}},
         {remove(".\\gone.txt"), remove(".\\gone.txt"), makeFolder("dir"), remove(".\\dir")}},
        {"the whole replacement",
         {{"list.txt", "old list\r\n"}},
         {create(".\\list.tmp", GENERIC_WRITE, CREATE_ALWAYS), write("new list\r\n"), flush(), close(),
          move(".\\list.tmp", ".\\list.txt", kReplace), create(".\\list.txt", GENERIC_READ, OPEN_EXISTING), read(64),
          close()}},
        // Another program holding a file: what its share mode lets others do.
        {"second open of a file held without sharing",
         {{"data.txt", "abc"}},
         {createShared(".\\data.txt", GENERIC_READ, OPEN_EXISTING, 0),
          create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), close(),
          create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), read(8), close()}},
        {"two readers that share reading",
         {{"data.txt", "abc"}},
         {create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), create(".\\data.txt", GENERIC_READ, OPEN_EXISTING),
          read(8), close(), close()}},
        {"writer while a reader shares only reading",
         {{"data.txt", "abc"}},
         {create(".\\data.txt", GENERIC_READ, OPEN_EXISTING), create(".\\data.txt", GENERIC_WRITE, CREATE_ALWAYS),
          create(".\\data.txt", GENERIC_WRITE, OPEN_EXISTING), close()}},
        {"reader that does not share writing while a writer holds the file",
         {{"data.txt", "abc"}},
         {createShared(".\\data.txt", GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE),
          create(".\\data.txt", GENERIC_READ, OPEN_EXISTING),
          createShared(".\\data.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE), close(),
          close()}},
        {"move over a held file, a held file moved, a held file deleted",
         {{"list.tmp", "new"}, {"list.txt", "old"}},
         {create(".\\list.txt", GENERIC_READ, OPEN_EXISTING), move(".\\list.tmp", ".\\list.txt", kReplace),
          remove(".\\list.txt"), move(".\\list.txt", ".\\moved.txt", kReplace), close(),
          move(".\\list.tmp", ".\\list.txt", kReplace)}},
        {"held sharing deletion: moved over and deleted",
         {{"list.tmp", "new"}, {"list.txt", "old"}, {"gone.txt", "x"}},
         {createShared(".\\list.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_DELETE),
          move(".\\list.tmp", ".\\list.txt", kReplace), close(),
          createShared(".\\gone.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_DELETE),
          remove(".\\gone.txt"), close()}},
        // The read-only attribute: reading only. (A move that replaces a
        // read-only file is left out: Windows refuses it, Wine's rename lets
        // it through; our layer refuses it, as players meet it.)
        {"read-only file opened for writing",
         {{"ro.txt", "kept"}},
         {makeReadOnly("ro.txt"), create(".\\ro.txt", GENERIC_WRITE, OPEN_EXISTING), write("x"), close()}},
        {"read-only file created always",
         {{"ro.txt", "kept"}},
         {makeReadOnly("ro.txt"), create(".\\ro.txt", GENERIC_WRITE, CREATE_ALWAYS), close()}},
        {"read-only file deleted", {{"ro.txt", "kept"}}, {makeReadOnly("ro.txt"), remove(".\\ro.txt")}},
        {"read-only file read",
         {{"ro.txt", "kept"}},
         {makeReadOnly("ro.txt"), create(".\\ro.txt", GENERIC_READ, OPEN_EXISTING), read(16), close()}},
        {"read-only file moved to a new name",
         {{"ro.txt", "kept"}},
         {makeReadOnly("ro.txt"), move(".\\ro.txt", ".\\renamed.txt", kReplace)}},
    };
}

inline std::string escapeBytes(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        }
    }
    return out;
}

inline std::string outcome(BOOL ok) {
    return ok ? "ok" : "failed, error " + std::to_string(static_cast<unsigned>(GetLastError()));
}

inline std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline constexpr auto kWritePermissions =
    std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write;

// What the folder holds after a case, names in order, files with their bytes
// (and whether they are read-only).
inline std::string folderListing(const std::filesystem::path& folder) {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory()) lines.push_back("  folder " + name + "\n");
        else {
            const bool readOnly =
                (entry.status().permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
            lines.push_back("  file " + name + " \"" + escapeBytes(readWholeFile(entry.path()).value_or("?")) + "\"" +
                            (readOnly ? " read-only" : "") + "\n");
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string listing;
    for (const auto& line : lines) listing += line;
    return listing;
}

// Runs every case in a folder of its own inside `workDir` (which must be the
// current directory) and returns the report.
inline std::string runFileCases(const std::filesystem::path& workDir) {
    std::ostringstream report;
    int number = 0;
    for (const FileCase& fileCase : fileCases()) {
        const std::filesystem::path folder = workDir / ("case" + std::to_string(++number));
        std::filesystem::create_directory(folder);
        std::filesystem::current_path(folder);
        for (const auto& [name, bytes] : fileCase.files) std::ofstream(folder / name, std::ios::binary) << bytes;
        report << "case " << fileCase.name << "\n";
        std::vector<HANDLE> handles;
        for (const FileOp& op : fileCase.ops) {
            const HANDLE handle = handles.empty() ? INVALID_HANDLE_VALUE : handles.back();
            SetLastError(0x4711);
            switch (op.op) {
                case Op::Create: {
                    const HANDLE opened = CreateFileA(op.path.c_str(), op.access, op.share, nullptr, op.disposition,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr);
                    const DWORD error = GetLastError();
                    report << "  create " << escapeBytes(op.path) << " access " << std::hex << op.access << std::dec
                           << " disposition " << op.disposition;
                    if (op.share != FILE_SHARE_READ) report << " share " << op.share;
                    report << " -> " << (opened == INVALID_HANDLE_VALUE ? "invalid" : "handle") << ", error " << error
                           << "\n";
                    if (opened != INVALID_HANDLE_VALUE) handles.push_back(opened);
                    break;
                }
                case Op::Write: {
                    DWORD written = 12345;
                    const BOOL ok =
                        WriteFile(handle, op.other.data(), static_cast<DWORD>(op.other.size()), &written, nullptr);
                    report << "  write " << op.other.size() << " bytes -> " << outcome(ok) << ", written " << written
                           << "\n";
                    break;
                }
                case Op::Read: {
                    std::string buffer(op.size, '\0');
                    DWORD got = 12345;
                    const BOOL ok = ReadFile(handle, buffer.data(), op.size, &got, nullptr);
                    report << "  read " << op.size << " bytes -> " << outcome(ok) << ", read " << got;
                    if (ok) report << " \"" << escapeBytes(buffer.substr(0, got)) << "\"";
                    report << "\n";
                    break;
                }
                case Op::Flush: report << "  flush -> " << outcome(FlushFileBuffers(handle)) << "\n"; break;
                case Op::Close:
                    // Not called without a handle: the invalid value is also
                    // the current process's pseudo-handle, which closes "fine".
                    if (handles.empty()) {
                        report << "  close -> no handle\n";
                        break;
                    }
                    report << "  close -> " << outcome(CloseHandle(handle)) << "\n";
                    handles.pop_back();
                    break;
                case Op::Move:
                    report << "  move " << escapeBytes(op.path) << " to " << escapeBytes(op.other) << " flags "
                           << op.flags << " -> " << outcome(MoveFileExA(op.path.c_str(), op.other.c_str(), op.flags))
                           << "\n";
                    break;
                case Op::Delete:
                    report << "  delete " << escapeBytes(op.path) << " -> " << outcome(DeleteFileA(op.path.c_str()))
                           << "\n";
                    break;
                case Op::MakeFolder: std::filesystem::create_directory(folder / op.path); break;
                case Op::MakeReadOnly:
                    std::filesystem::permissions(folder / op.path, kWritePermissions,
                                                 std::filesystem::perm_options::remove);
                    break;
            }
        }
        for (const HANDLE handle : handles) CloseHandle(handle);
        std::filesystem::current_path(workDir);
        report << folderListing(folder);
        // Writable again, so that the folder can be removed on every system.
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            std::filesystem::permissions(entry.path(), kWritePermissions, std::filesystem::perm_options::add);
    }
    return report.str();
}

}  // namespace files_probe
