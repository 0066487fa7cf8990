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

enum class Op { Create, Write, Read, Flush, Close, Move, Delete, MakeFolder };

struct FileOp {
    Op op;
    std::string path;        // Create, Move (from), Delete, MakeFolder
    std::string other = {};  // Move: to; Write: the bytes
    DWORD access = 0;        // Create
    DWORD disposition = 0;   // Create
    DWORD flags = 0;         // Move
    unsigned size = 0;       // Read: bytes asked for
};

struct FileCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;  // made before the case: name, bytes
    std::vector<FileOp> ops;                                 // one handle at a time: Create sets it, Close ends it
};

inline FileOp create(std::string path, DWORD access, DWORD disposition) {
    return {Op::Create, std::move(path), {}, access, disposition};
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

// What the folder holds after a case, names in order, files with their bytes.
inline std::string folderListing(const std::filesystem::path& folder) {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory()) lines.push_back("  folder " + name + "\n");
        else
            lines.push_back("  file " + name + " \"" + escapeBytes(readWholeFile(entry.path()).value_or("?")) + "\"\n");
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
        HANDLE handle = INVALID_HANDLE_VALUE;
        for (const FileOp& op : fileCase.ops) {
            SetLastError(0x4711);
            switch (op.op) {
                case Op::Create: {
                    handle = CreateFileA(op.path.c_str(), op.access, FILE_SHARE_READ, nullptr, op.disposition,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
                    const DWORD error = GetLastError();
                    report << "  create " << escapeBytes(op.path) << " access " << std::hex << op.access << std::dec
                           << " disposition " << op.disposition << " -> "
                           << (handle == INVALID_HANDLE_VALUE ? "invalid" : "handle") << ", error " << error << "\n";
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
                    report << "  close -> " << outcome(CloseHandle(handle)) << "\n";
                    handle = INVALID_HANDLE_VALUE;
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
            }
        }
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        std::filesystem::current_path(workDir);
        report << folderListing(folder);
    }
    return report.str();
}

}  // namespace files_probe
