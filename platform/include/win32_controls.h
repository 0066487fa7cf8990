#pragma once
// Controls over the native Windows stand-in, used by tests and by the
// simulated game: the executable's image, failure injection and replacement
// of the memory functions, and the simulated desktop (windows, keyboard,
// message boxes, threads). Every control is safe to call from any thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "win32_layer.h"

namespace win32layer {

// The simulated game executable: 0x6B00000 bytes, 64 KiB aligned, readable,
// writable and executable, reserved on first use.
std::uint8_t* simulatedImage();
std::size_t simulatedImageSize();

// GetModuleHandleA(nullptr) answers nullptr while failing.
void failModuleHandle(bool fail);
// GetModuleHandleA(nullptr) answers `base`; nullptr restores the simulated image.
void overrideModuleHandle(void* base);

// Replace a memory function for a test; an empty std::function restores the
// real one. The real ones stay reachable for overrides that delegate.
void setVirtualQueryOverride(std::function<SIZE_T(LPCVOID, MEMORY_BASIC_INFORMATION*)> fake);
void setVirtualAllocOverride(std::function<LPVOID(LPVOID, SIZE_T, DWORD, DWORD)> fake);
void setVirtualProtectOverride(std::function<BOOL(LPVOID, SIZE_T, DWORD, PDWORD)> fake);
void setVirtualFreeOverride(std::function<BOOL(LPVOID, SIZE_T, DWORD)> fake);
SIZE_T realVirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* buffer);
LPVOID realVirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect);
BOOL realVirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect);
BOOL realVirtualFree(LPVOID address, SIZE_T size, DWORD freeType);

// Make the function fail with `error` (set as the thread's last error);
// 0 stops failing. Failure takes precedence over an override.
void failVirtualQuery(DWORD error);
void failVirtualAlloc(DWORD error);
void failVirtualProtect(DWORD error);
void failCreateThread(DWORD error);

// Simulated desktop. New windows open on top; FindWindowA searches from the
// top down, as Windows' z-order does.
HWND createWindow(const std::string& title);
void destroyWindow(HWND window);
void setForegroundWindow(HWND window);  // nullptr: no window has the focus
void destroyAllWindows();

// Keyboard shared by every thread of the process.
void pressKey(int virtualKey);
void releaseKey(int virtualKey);
void releaseAllKeys();  // also clears the toggle bits: a fresh keyboard

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    std::thread::id thread;
};
// Boxes in the order they were shown. A box is recorded before its handler
// runs, so a blocking handler leaves it visible here while it is "open".
std::vector<MessageBoxRecord> shownMessageBoxes();
void clearMessageBoxes();
// Answers each box; the default answers IDOK at once. An empty function
// restores the default.
void setMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);
// Waits until at least `count` boxes have been recorded; false on timeout.
bool waitForMessageBoxes(std::size_t count, std::chrono::milliseconds timeout);

struct ThreadRecord {
    SIZE_T requestedStackSize;
};
std::vector<ThreadRecord> createdThreads();

// True while one of this stand-in's Windows functions that allocate runs on
// the calling thread: Windows reports its own failures through results and
// never throws into its caller, so a test's allocation failures spare it.
bool insideSystemCode() noexcept;

// Replaces the wait of Sleep (e.g. to count or speed up a polling loop); an
// empty function restores the real sleep.
void setSleepOverride(std::function<void(DWORD)> fake);
// Calls of Sleep since the process started: the polling thread sleeps once
// after every pass, so this counts its ended passes.
std::uint64_t sleepCalls();

// The executable's path as GetModuleFileNameA(nullptr) answers it; empty
// restores the default, the path of the running program.
void setExecutablePath(const std::string& path);

// The version resource of a file as Windows keeps it (a VS_VERSIONINFO block),
// which GetFileVersionInfoSizeA and GetFileVersionInfoA hand out for exactly
// that path; an empty resource removes it. Files without one answer
// ERROR_RESOURCE_TYPE_NOT_FOUND.
void setFileVersionResource(const std::string& path, std::vector<std::uint8_t> resource);
// Calls of GetModuleFileNameA, GetFileVersionInfoSizeA, GetFileVersionInfoA
// and VerQueryValueA since the process started.
std::size_t versionFunctionCalls();
// A VS_VERSIONINFO block holding only the fixed part with these versions
// (each as major.minor.build.revision in two DWORDs).
std::vector<std::uint8_t> makeVersionResource(DWORD fileVersionMS, DWORD fileVersionLS, DWORD productVersionMS,
                                              DWORD productVersionLS);

}  // namespace win32layer

namespace win32layer {

// The file functions a test can make fail, one at a time or together.
enum class FileFunction { CreateFileA, WriteFile, ReadFile, FlushFileBuffers, CloseHandle, MoveFileExA, DeleteFileA };
// The function fails with `error` (set as the thread's last error) without
// touching any file; 0 stops failing. WriteFile failing writes nothing;
// CloseHandle failing still closes the handle (a failed last write-back).
void failFileFunction(FileFunction function, DWORD error);
// Every file function works again.
void restoreFileFunctions();
// Calls of the function since the process started (failed ones included).
std::size_t fileFunctionCalls(FileFunction function);
// While on, CreateFileA keeps the path of every call (failed ones included);
// taking them empties the list. Off by default, so long runs keep nothing.
void recordOpenedFilePaths(bool on);
std::vector<std::string> takeOpenedFilePaths();

}  // namespace win32layer
