#pragma once
// One play session: the simulated game booted with a galaxy, its window in
// front, the plugin loaded by the simulated loader, a real game thread
// running frames and the plugin's real polling thread watching the keyboard.
// Everything the game shows or receives lands in the transcript
// (hostsim/transcript.h); the session adds the player's side: keys held for a
// while, text typed into the prompt, boxes dismissed, and waits for lines.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/site_code.h"
#include "session_clock.h"

namespace demo {

class WorkFolder;
class StdoutCapture;

struct SessionOptions {
    std::string galaxyPath;                         // empty: no galaxy installed
    std::string workdir;                            // empty: a fresh temporary folder
    std::chrono::milliseconds keyHold{150};         // how long a pressed key stays down
    std::chrono::milliseconds expectTimeout{5000};  // how long `expectLine` waits
    std::chrono::milliseconds framePeriod{16};
    bool captureDiagnostics = false;          // standard output becomes "diagnostic:" lines
    ClockInstaller clockInstaller = nullptr;  // null: the plugin keeps its own clock
    hostsim::MenuEventOrder menuEventOrder;   // how the game tells of closing menus
    // Every transcript line as it is recorded, on the thread that recorded it,
    // with the stream that reaches the real standard output.
    std::function<void(const std::string& line, std::FILE* out)> onLine;
};

enum class WindowInFront { Game, Other, None };

struct SessionSummary {
    bool ledgerBalanced = false;
    std::size_t violationCount = 0;
    bool clean() const { return ledgerBalanced && violationCount == 0; }
};

class Session {
public:
    explicit Session(SessionOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // ---- The loader ----
    bool pluginLoaded() const { return loaded_; }
    bool started() const { return dataLoadedSent_; }
    // The loader loads the plugin; then the game thread starts running frames.
    // False when the loader refused it or its load entry returned false.
    bool loadPlugin();
    void sendLoaderMessage(std::uint32_t type);
    // Load (unless loaded) and send the data-loaded message (unless sent).
    void start();

    // ---- The game ----
    void openMenu(const std::string& menu);
    void closeMenu(const std::string& menu);
    bool menuOpen(const std::string& menu) const;
    void setWindowInFront(WindowInFront window);
    void setUiObjectPresent(bool present);
    // What a call site holds before the plugin loads (hostsim/site_code.h).
    void placeSiteCode(hostsim::CallSite site, hostsim::SiteCode code);
    // Relative paths: from the folder the program started in, else from the
    // project's galaxies folder. Extra lines are read after the file's own.
    void loadGalaxy(const std::string& path, const std::vector<std::string>& extraLines = {});
    // Name of a form in the installed galaxy, if it has one.
    std::optional<std::string> formName(std::uint32_t formId) const;
    void setIniValue(const std::string& file, const std::string& key, const std::string& value);
    std::string workFolder() const;
    // The real standard output (standard output itself may be captured).
    std::FILE* output() const;

    // ---- The player ----
    void keyDown(int virtualKey);
    void keyUp(int virtualKey);
    void pressKey(int virtualKey, std::optional<std::chrono::milliseconds> hold = std::nullopt);
    // Replaces the text in the prompt's edit field.
    void typeText(const std::string& text);
    std::string editFieldText() const;
    // The game ends editing, closes the text input menu and makes a string of
    // the field's text at the capture site, in that order, in one frame.
    void confirmText();
    // The game's own cancel: editing cancelled, the text input menu closed.
    void cancelText();
    // The game makes a string of an arbitrary text at the capture site.
    void captureText(const std::string& text);
    // The player answers the game's message box.
    void dismissMessageBox();

    // ---- Time ----
    void waitFor(std::chrono::milliseconds duration);
    // Waits until the game thread has run this many more frames.
    bool runFrames(std::uint64_t count);
    bool clockControllable() const { return options_.clockInstaller != nullptr; }
    void freezeClock();
    void runClock();
    void advanceClock(std::int64_t nanoseconds);

    // ---- The transcript ----
    // Waits for a line after the cursor that matches; moves the cursor past it.
    std::optional<std::string> expectLine(const std::string& pattern,
                                          std::optional<std::chrono::milliseconds> timeout = std::nullopt);
    // The first line after the cursor that matches, if any (the cursor stays).
    std::optional<std::string> findLineSinceCursor(const std::string& pattern) const;
    void markCursor();
    // Waits for a matching line anywhere after the last mark, leaving the
    // cursor where it is: for lines of another thread, whose order against
    // the lines around them is not fixed.
    std::optional<std::string> expectLineSinceMark(const std::string& pattern);
    // Waits for a matching line at or after index `from`, leaving the cursor
    // alone; returns the index of the line.
    std::optional<std::size_t> waitForLine(std::size_t from, const std::string& pattern,
                                           std::chrono::milliseconds timeout) const;
    std::size_t transcriptSize() const;
    // The plugin's log file (LumoraSearchEngine.log in the plugin folder):
    // waits for a line after the last one matched that matches the pattern
    // (the "\r" of its line end taken off), and moves past it.
    std::optional<std::string> expectLogLine(const std::string& pattern);
    bool logFileExists() const;
    void setExpectTimeout(std::chrono::milliseconds timeout) { options_.expectTimeout = timeout; }
    void note(const std::string& text);

    // Stops the plugin's polling thread after its pass and the game thread,
    // checks the engine-string ledger and the violations, and records the
    // closing lines. Called once; the destructor calls it when nobody did.
    SessionSummary finish();

private:
    struct LoadedGalaxy {
        std::string fileName;
        hostsim::GalaxyDescription description;
    };
    static LoadedGalaxy readGalaxy(const std::string& path, const std::filesystem::path& startFolder,
                                   const std::vector<std::string>& extraLines = {});
    void installGalaxy(const LoadedGalaxy& galaxy);
    void onTranscriptLine(const std::string& line);
    void deliverEditEvent(int kind);

    SessionOptions options_;
    std::unique_ptr<WorkFolder> folder_;
    std::unique_ptr<StdoutCapture> capture_;
    std::FILE* output_ = stdout;  // set once, before any thread can print
    void* gameWindow_ = nullptr;
    void* otherWindow_ = nullptr;
    bool loaded_ = false;
    bool dataLoadedSent_ = false;
    bool finished_ = false;
    std::size_t cursor_ = 0;
    std::size_t mark_ = 0;
    std::size_t logCursor_ = 0;  // log lines already matched or passed over
    mutable std::mutex mutex_;   // guards the two fields below
    std::string editField_;
    std::map<std::uint32_t, std::string> formNames_;
};

}  // namespace demo
