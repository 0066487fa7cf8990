// The file functions for the native build: a handle is a POSIX descriptor
// with the access it was opened for. Errors are the codes Windows gives for
// the same cases (a missing file or folder, a folder where a file is asked
// for, a file that exists where a new one must be created). As on Windows,
// a file is shared only as its open handles allow (another program holding
// it fails an open, a move or a delete), and a file without its owner's
// write permission is read-only, whoever runs the process.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "system_code.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

constexpr std::size_t kFileFunctionCount = 7;

struct FileFunctionSeams {
    std::array<std::atomic<DWORD>, kFileFunctionCount> failures{};
    std::array<std::atomic<std::size_t>, kFileFunctionCount> calls{};
    std::mutex pathsMutex;
    bool recordingPaths = false;
    std::vector<std::string> openedPaths;
};

// Never destroyed: a test's static objects may still close files at exit.
FileFunctionSeams& seams() {
    static auto* instance = new FileFunctionSeams;
    return *instance;
}

std::size_t indexOf(FileFunction function) { return static_cast<std::size_t>(function); }

// Counts the call; true (with the last error set) when a test made it fail.
bool injectedFailure(FileFunction function) {
    FileFunctionSeams& s = seams();
    s.calls[indexOf(function)].fetch_add(1);
    if (const DWORD error = s.failures[indexOf(function)].load()) {
        SetLastError(error);
        return true;
    }
    return false;
}

void noteOpenedFilePath(const char* path) {
    FileFunctionSeams& s = seams();
    std::lock_guard lock(s.pathsMutex);
    if (s.recordingPaths) s.openedPaths.emplace_back(path == nullptr ? "" : path);
}

struct OpenFile {
    int descriptor;
    bool canRead;
    bool canWrite;
    DWORD shareMode;
    dev_t device;
    ino_t inode;
};

// Every handle open in the process, for the sharing checks. Opens, closes,
// moves and deletes take the lock across their check and their change.
struct OpenFiles {
    std::mutex mutex;
    std::vector<const OpenFile*> handles;
};

OpenFiles& openFiles() {
    static auto* instance = new OpenFiles;
    return *instance;
}

bool sameFile(const OpenFile& open, const struct stat& info) {
    return open.device == info.st_dev && open.inode == info.st_ino;
}

// A new open conflicts with a handle when either asks for an access the
// other's share mode does not grant.
bool sharingAllows(const struct stat& info, bool canRead, bool canWrite, DWORD shareMode) {
    for (const OpenFile* open : openFiles().handles) {
        if (!sameFile(*open, info)) continue;
        if ((canRead && !(open->shareMode & FILE_SHARE_READ)) || (canWrite && !(open->shareMode & FILE_SHARE_WRITE)) ||
            (open->canRead && !(shareMode & FILE_SHARE_READ)) || (open->canWrite && !(shareMode & FILE_SHARE_WRITE)))
            return false;
    }
    return true;
}

bool isOpen(const struct stat& info) {
    return std::any_of(openFiles().handles.begin(), openFiles().handles.end(),
                       [&info](const OpenFile* open) { return sameFile(*open, info); });
}

// A move or a delete needs every handle on the file to share deletion.
bool deletionShared(const struct stat& info) {
    return std::none_of(openFiles().handles.begin(), openFiles().handles.end(), [&info](const OpenFile* open) {
        return sameFile(*open, info) && !(open->shareMode & FILE_SHARE_DELETE);
    });
}

// The read-only attribute is the owner's missing write permission.
bool isReadOnly(const struct stat& info) { return !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0; }

std::string toNativePath(const char* path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Windows tells a missing file in an existing folder (2) from a missing
// folder on the way (3).
DWORD missingPathError(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return isDirectory(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD errorFromErrno(int error, const std::string& path) {
    switch (error) {
        case ENOENT: return missingPathError(path);
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOSPC: return ERROR_DISK_FULL;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        default: return ERROR_INVALID_PARAMETER;
    }
}

OpenFile* openFileOf(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    return static_cast<OpenFile*>(handle);
}

// The folder entry of a moved file reaches the disk with the folder's own sync.
void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return;  // the move itself has happened; only its durability is unconfirmed
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

void failFileFunction(FileFunction function, DWORD error) { seams().failures[indexOf(function)].store(error); }

void restoreFileFunctions() {
    for (auto& failure : seams().failures) failure.store(0);
}

std::size_t fileFunctionCalls(FileFunction function) { return seams().calls[indexOf(function)].load(); }

void recordOpenedFilePaths(bool on) {
    std::lock_guard lock(seams().pathsMutex);
    seams().recordingPaths = on;
}

std::vector<std::string> takeOpenedFilePaths() {
    std::lock_guard lock(seams().pathsMutex);
    return std::exchange(seams().openedPaths, {});
}

}  // namespace win32layer

using win32layer::FileFunction;

HANDLE CreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    win32layer::detail::SystemCodeScope systemCode;
    win32layer::noteOpenedFilePath(path);
    if (win32layer::injectedFailure(FileFunction::CreateFileA)) return INVALID_HANDLE_VALUE;
    if (path == nullptr || path[0] == '\0') {
        SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const bool canRead = (desiredAccess & GENERIC_READ) != 0;
    const bool canWrite = (desiredAccess & GENERIC_WRITE) != 0;
    int flags = canRead && canWrite ? O_RDWR : (canWrite ? O_WRONLY : O_RDONLY);
    switch (creationDisposition) {
        case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
        case OPEN_EXISTING: break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    const std::string native = win32layer::toNativePath(path);
    // Windows refuses a folder without backup semantics, for reading too.
    if (win32layer::isDirectory(native)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard lock(win32layer::openFiles().mutex);
    struct stat before {};
    const bool existed = ::stat(native.c_str(), &before) == 0;
    // Checked before the open: CREATE_ALWAYS would empty the file at once.
    if (existed && creationDisposition != CREATE_NEW) {
        if ((canWrite || creationDisposition == CREATE_ALWAYS) && win32layer::isReadOnly(before)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (!win32layer::sharingAllows(before, canRead, canWrite || creationDisposition == CREATE_ALWAYS, shareMode)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return INVALID_HANDLE_VALUE;
        }
    }
    const int descriptor = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        SetLastError(win32layer::errorFromErrno(errno, native));
        return INVALID_HANDLE_VALUE;
    }
    struct stat opened {};
    ::fstat(descriptor, &opened);
    auto* open = new win32layer::OpenFile{descriptor, canRead, canWrite, shareMode, opened.st_dev, opened.st_ino};
    win32layer::openFiles().handles.push_back(open);
    // CREATE_ALWAYS over an existing file succeeds and says so.
    SetLastError(creationDisposition == CREATE_ALWAYS && existed ? ERROR_ALREADY_EXISTS : 0);
    return open;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped) {
    win32layer::detail::SystemCodeScope systemCode;
    if (bytesWritten != nullptr) *bytesWritten = 0;
    if (win32layer::injectedFailure(FileFunction::WriteFile)) return FALSE;
    win32layer::OpenFile* open = win32layer::openFileOf(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!open->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const char* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite) {
        const ssize_t count = ::write(open->descriptor, bytes + done, bytesToWrite - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            if (bytesWritten != nullptr) *bytesWritten = done;
            SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
            return FALSE;
        }
        done += static_cast<DWORD>(count);
    }
    if (bytesWritten != nullptr) *bytesWritten = done;
    return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
    win32layer::detail::SystemCodeScope systemCode;
    if (bytesRead != nullptr) *bytesRead = 0;
    if (win32layer::injectedFailure(FileFunction::ReadFile)) return FALSE;
    win32layer::OpenFile* open = win32layer::openFileOf(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!open->canRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // One read as Windows gives it for a disk file: what is there, up to the
    // size asked for; 0 bytes and success at the end of the file.
    DWORD done = 0;
    char* bytes = static_cast<char*>(buffer);
    while (done < bytesToRead) {
        const ssize_t count = ::read(open->descriptor, bytes + done, bytesToRead - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (count == 0) break;
        done += static_cast<DWORD>(count);
    }
    if (bytesRead != nullptr) *bytesRead = done;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    win32layer::detail::SystemCodeScope systemCode;
    if (win32layer::injectedFailure(FileFunction::FlushFileBuffers)) return FALSE;
    win32layer::OpenFile* open = win32layer::openFileOf(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Windows flushes only what the handle may write.
    if (!open->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::fsync(open->descriptor) != 0) {
        SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE object) {
    win32layer::detail::SystemCodeScope systemCode;
    const bool failing = win32layer::injectedFailure(FileFunction::CloseHandle);
    win32layer::OpenFile* open = win32layer::openFileOf(object);
    if (open == nullptr) {
        if (!failing) SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // An injected failure is a close whose last write-back failed: the
    // handle is gone all the same, as on Windows.
    {
        std::lock_guard lock(win32layer::openFiles().mutex);
        auto& handles = win32layer::openFiles().handles;
        handles.erase(std::remove(handles.begin(), handles.end(), open), handles.end());
    }
    ::close(open->descriptor);
    delete open;
    return failing ? FALSE : TRUE;
}

BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
    win32layer::detail::SystemCodeScope systemCode;
    if (win32layer::injectedFailure(FileFunction::MoveFileExA)) return FALSE;
    if (existingPath == nullptr || newPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string from = win32layer::toNativePath(existingPath);
    const std::string to = win32layer::toNativePath(newPath);
    std::lock_guard lock(win32layer::openFiles().mutex);
    struct stat source {};
    if (::stat(from.c_str(), &source) != 0) {
        SetLastError(win32layer::errorFromErrno(errno, from));
        return FALSE;
    }
    if (!win32layer::deletionShared(source)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    struct stat target {};
    if (::stat(to.c_str(), &target) == 0) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        // A folder is never replaced, nor replaces a file; nor is a read-only
        // file, or one that a handle holds, whatever its share mode.
        if (S_ISDIR(target.st_mode) || S_ISDIR(source.st_mode) || win32layer::isReadOnly(target) ||
            win32layer::isOpen(target)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(win32layer::errorFromErrno(errno, to));
        return FALSE;
    }
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0) win32layer::syncFolderOf(to);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR path) {
    win32layer::detail::SystemCodeScope systemCode;
    if (win32layer::injectedFailure(FileFunction::DeleteFileA)) return FALSE;
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string native = win32layer::toNativePath(path);
    if (win32layer::isDirectory(native)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::lock_guard lock(win32layer::openFiles().mutex);
    struct stat info {};
    if (::stat(native.c_str(), &info) == 0) {
        if (win32layer::isReadOnly(info)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!win32layer::deletionShared(info)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (::unlink(native.c_str()) != 0) {
        SetLastError(win32layer::errorFromErrno(errno, native));
        return FALSE;
    }
    return TRUE;
}
