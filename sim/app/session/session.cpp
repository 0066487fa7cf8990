#include "session.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "game_reactions.h"
#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/game_thread.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"
#include "key_names.h"
#include "line_pattern.h"
#include "player_desktop.h"
#include "stdout_capture.h"
#include "work_folder.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

std::string hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string keyLine(const char* what, int virtualKey) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(virtualKey & 0xFF));
    return std::string("key ") + what + " " + hostsim::quoted(keyName(virtualKey)) + " " + code;
}

}  // namespace

Session::Session(SessionOptions options) : options_(std::move(options)) {
    // A galaxy that cannot be read stops the session before it changes anything.
    std::optional<LoadedGalaxy> galaxy;
    if (!options_.galaxyPath.empty()) galaxy = readGalaxy(options_.galaxyPath, std::filesystem::current_path());
    folder_ = std::make_unique<WorkFolder>(options_.workdir);
    hostsim::setMenuEventOrder(options_.menuEventOrder);
    if (options_.captureDiagnostics) {
        capture_ = std::make_unique<StdoutCapture>();
        output_ = capture_->original();
    }
    hostsim::setTranscriptEcho([this](const std::string& line) { onTranscriptLine(line); });
    answerPluginErrorBoxes([](const std::string& caption, const std::string& text) {
        hostsim::recordTranscriptLine("plugin error box caption " + hostsim::quoted(caption) + " text " +
                                      hostsim::quoted(text));
    });
    if (options_.clockInstaller) options_.clockInstaller(&sessionClockNow);
    hostsim::bootGame();
    releaseEveryKey();
    gameWindow_ = createTopWindow("Halcyra");
    bringWindowToFront(gameWindow_);
    if (galaxy) installGalaxy(*galaxy);
}

Session::~Session() {
    if (!finished_) finish();
}

void Session::onTranscriptLine(const std::string& line) {
    if (options_.onLine) options_.onLine(line, output());
    const auto reaction = reactionToLine(line);
    if (!reaction) return;
    switch (reaction->kind) {
        case GameReaction::Kind::StartEditing:
            hostsim::postToGameThread([this] {
                deliverEditEvent(static_cast<int>(hostsim::EventSourceKind::StartEditText));
            });
            break;
        case GameReaction::Kind::FillEditField: {
            std::lock_guard lock(mutex_);
            editField_ = reaction->text;
            break;
        }
        case GameReaction::Kind::FocusBody: {
            const auto name = formName(reaction->formId);
            hostsim::recordTranscriptLine("star map focused form " + hex8(reaction->formId) + " " +
                                          (name ? hostsim::quoted(*name) : std::string("(no such form)")));
            break;
        }
    }
}

void Session::deliverEditEvent(int kind) {
    const auto source = static_cast<hostsim::EventSourceKind>(kind);
    const std::size_t sinks = hostsim::deliverTextInputEvent(source);
    hostsim::recordTranscriptLine(std::string("event ") + hostsim::quoted(hostsim::eventSourceName(source)) +
                                  " sinks " + std::to_string(sinks));
}

// ---- The loader -------------------------------------------------------------

bool Session::loadPlugin() {
    if (loaded_) return true;
    const PluginEntries entries = bindPluginExports();
    const auto outcome = hostsim::loadPlugin(entries.descriptor, entries.load);
    loaded_ = true;  // whatever came of it, the loader does not try again
    // The game's loop starts once the loader is done: the call sites are
    // never patched under a running frame.
    hostsim::startGameThread(options_.framePeriod);
    return outcome.loadReturned;
}

void Session::sendLoaderMessage(std::uint32_t type) {
    if (type == 2) dataLoadedSent_ = true;
    hostsim::sendLoaderMessage(type);
    // The polling thread (when this message started it) has made its first
    // pass, and read the keyboard in it, before the player can touch a key.
    if (type == 2) awaitFirstPollingPass();
}

void Session::start() {
    if (!loaded_) loadPlugin();
    if (!dataLoadedSent_) sendLoaderMessage(2);
}

// ---- The game -----------------------------------------------------------------

void Session::openMenu(const std::string& menu) {
    hostsim::runOnGameThread([menu] { hostsim::openMenu(menu.c_str()); });
}

void Session::closeMenu(const std::string& menu) {
    hostsim::runOnGameThread([menu] { hostsim::closeMenu(menu.c_str()); });
}

bool Session::menuOpen(const std::string& menu) const { return hostsim::isMenuOpen(menu.c_str()); }

void Session::setWindowInFront(WindowInFront window) {
    void* target = nullptr;
    std::string line = "window none in front";
    if (window == WindowInFront::Game) {
        target = gameWindow_;
        line = "window \"Halcyra\" in front";
    } else if (window == WindowInFront::Other) {
        if (otherWindow_ == nullptr) otherWindow_ = createTopWindow("Terminal");
        target = otherWindow_;
        line = "window \"Terminal\" in front";
    }
    // A desktop that did not follow would make the scenario pass or fail for
    // the wrong reason; the line says so.
    if (!bringWindowToFront(target)) line += " (not reached)";
    hostsim::recordTranscriptLine(line);
}

void Session::setUiObjectPresent(bool present) {
    hostsim::setUiObjectPresent(present);
    hostsim::recordTranscriptLine(present ? "ui object present" : "ui object absent");
}

void Session::placeSiteCode(hostsim::CallSite site, hostsim::SiteCode code) {
    hostsim::placeSiteCode(site, code);
    hostsim::recordTranscriptLine(std::string("site ") + hostsim::siteName(site) + " holds " +
                                  hostsim::describeSiteCode(code));
}

void Session::loadGalaxy(const std::string& path, const std::vector<std::string>& extraLines) {
    installGalaxy(readGalaxy(path, folder_->startFolder(), extraLines));
}

// Relative paths are taken from the folder the program started in, or else
// from the project's galaxies folder.
Session::LoadedGalaxy Session::readGalaxy(const std::string& path, const std::filesystem::path& startFolder,
                                          const std::vector<std::string>& extraLines) {
    std::filesystem::path file(path);
    if (file.is_relative()) {
        const auto fromStart = startFolder / file;
        const auto shipped = std::filesystem::path(hostsim::shippedGalaxyDirectory()) / file;
        file = std::filesystem::exists(fromStart) || !std::filesystem::exists(shipped) ? fromStart : shipped;
    }
    if (extraLines.empty()) return {file.filename().string(), hostsim::loadGalaxyFile(file.string())};
    // Later lines override earlier ones: the extra lines amend the file.
    std::ifstream in(file);
    if (!in) throw hostsim::GalaxyFileError(file.string(), 0, "", "cannot open the file");
    std::ostringstream text;
    text << in.rdbuf() << "\n";
    for (const auto& line : extraLines) text << line << "\n";
    return {file.filename().string(), hostsim::parseGalaxyText(text.str(), file.string())};
}

void Session::installGalaxy(const LoadedGalaxy& galaxy) {
    std::map<std::uint32_t, std::string> names;
    for (const auto& form : galaxy.description.forms)
        if (form.name) names[form.id] = *form.name;
    hostsim::runOnGameThread([&galaxy] { hostsim::installGalaxy(galaxy.description); });
    {
        std::lock_guard lock(mutex_);
        formNames_ = std::move(names);
    }
    hostsim::recordTranscriptLine("galaxy " + hostsim::quoted(galaxy.fileName) + " forms " +
                                  std::to_string(galaxy.description.forms.size()) + " planets " +
                                  std::to_string(galaxy.description.planets.size()));
}

std::optional<std::string> Session::formName(std::uint32_t formId) const {
    std::lock_guard lock(mutex_);
    const auto found = formNames_.find(formId);
    if (found == formNames_.end()) return std::nullopt;
    return found->second;
}

void Session::setIniValue(const std::string& file, const std::string& key, const std::string& value) {
    const std::string name = iniFileName(file);
    const std::string path = (folder_->pluginFolder() / name).string();
    if (!writeGeneralSetting(path, key, value)) throw std::runtime_error("cannot write " + path);
    hostsim::recordTranscriptLine("ini " + hostsim::quoted(name) + " [General] " + key + " = " +
                                  hostsim::quoted(value));
}

std::string Session::workFolder() const { return folder_->path().string(); }

std::FILE* Session::output() const { return output_; }

// ---- The player -----------------------------------------------------------------

void Session::keyDown(int virtualKey) {
    hostsim::recordTranscriptLine(keyLine("down", virtualKey));
    sendKeyEvent(virtualKey, true);
}

void Session::keyUp(int virtualKey) {
    sendKeyEvent(virtualKey, false);
    hostsim::recordTranscriptLine(keyLine("up", virtualKey));
}

void Session::pressKey(int virtualKey, std::optional<std::chrono::milliseconds> hold) {
    const std::uint64_t passesBefore = endedPollingPasses();
    keyDown(virtualKey);
    std::this_thread::sleep_for(hold.value_or(options_.keyHold));
    // A busy machine can keep the polling thread from running while the key
    // is down; the player's press lasts until one whole pass has seen it.
    awaitPollingPasses(passesBefore, 2);
    keyUp(virtualKey);
}

void Session::typeText(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        editField_ = text;
    }
    hostsim::recordTranscriptLine("typed " + hostsim::quoted(text));
}

std::string Session::editFieldText() const {
    std::lock_guard lock(mutex_);
    return editField_;
}

void Session::confirmText() {
    const std::string text = editFieldText();
    hostsim::runOnGameThread([this, text] {
        deliverEditEvent(static_cast<int>(hostsim::EventSourceKind::EndEditText));
        hostsim::closeMenu("TextInputMenu");
        hostsim::passCaptureSite(text.c_str());
    });
}

void Session::cancelText() {
    hostsim::runOnGameThread([this] {
        deliverEditEvent(static_cast<int>(hostsim::EventSourceKind::InputCanceled));
        hostsim::closeMenu("TextInputMenu");
    });
}

void Session::captureText(const std::string& text) {
    hostsim::runOnGameThread([text] { hostsim::passCaptureSite(text.c_str()); });
}

void Session::dismissMessageBox() { closeMenu("MessageBoxMenu"); }

// ---- Time -------------------------------------------------------------------------

void Session::waitFor(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

bool Session::runFrames(std::uint64_t count) {
    if (!hostsim::gameThreadRunning()) {
        for (std::uint64_t i = 0; i < count; ++i) hostsim::stepFrame();
        return true;
    }
    // A frame that has begun may already be past its UI step: wait one more.
    const std::uint64_t target = hostsim::frameCount() + count + 1;
    const auto deadline = std::chrono::steady_clock::now() + options_.expectTimeout + count * options_.framePeriod;
    while (hostsim::frameCount() < target) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

void Session::freezeClock() {
    freezeSessionClock();
    hostsim::recordTranscriptLine("clock frozen");
}

void Session::runClock() {
    runSessionClock();
    hostsim::recordTranscriptLine("clock running");
}

void Session::advanceClock(std::int64_t nanoseconds) {
    advanceSessionClock(nanoseconds);
    hostsim::recordTranscriptLine("clock advanced " + std::to_string(nanoseconds / 1'000'000) + " ms");
}

// ---- The transcript -------------------------------------------------------------------

std::optional<std::string> Session::expectLine(const std::string& pattern,
                                               std::optional<std::chrono::milliseconds> timeout) {
    const auto found = waitForLine(cursor_, pattern, timeout.value_or(options_.expectTimeout));
    if (!found) return std::nullopt;
    cursor_ = *found + 1;
    return hostsim::transcript()[*found];
}

std::optional<std::size_t> Session::waitForLine(std::size_t from, const std::string& pattern,
                                                std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto lines = hostsim::transcript();
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lineMatches(lines[i], pattern)) return i;
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(2ms);
    }
}

std::size_t Session::transcriptSize() const { return hostsim::transcript().size(); }

namespace {
std::vector<std::string> readLogLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
}  // namespace

std::optional<std::string> Session::expectLogLine(const std::string& pattern) {
    const auto path = folder_->pluginFolder() / "LumoraSearchEngine.log";
    const auto deadline = std::chrono::steady_clock::now() + options_.expectTimeout;
    for (;;) {
        // The plugin writes its log from its polling thread, a pass at a time.
        const auto lines = readLogLines(path);
        for (std::size_t i = logCursor_; i < lines.size(); ++i) {
            if (!lineMatches(lines[i], pattern)) continue;
            logCursor_ = i + 1;
            return lines[i];
        }
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
}

bool Session::logFileExists() const {
    return std::filesystem::exists(folder_->pluginFolder() / "LumoraSearchEngine.log");
}

std::optional<std::string> Session::findLineSinceCursor(const std::string& pattern) const {
    const auto lines = hostsim::transcript();
    for (std::size_t i = cursor_; i < lines.size(); ++i)
        if (lineMatches(lines[i], pattern)) return lines[i];
    return std::nullopt;
}

void Session::markCursor() { cursor_ = mark_ = hostsim::transcript().size(); }

std::optional<std::string> Session::expectLineSinceMark(const std::string& pattern) {
    const auto found = waitForLine(mark_, pattern, options_.expectTimeout);
    if (!found) return std::nullopt;
    return hostsim::transcript()[*found];
}

void Session::note(const std::string& text) { hostsim::recordTranscriptLine("note: " + text); }

// ---- The end ------------------------------------------------------------------------------

SessionSummary Session::finish() {
    finished_ = true;
    // The plugin's thread ends its pass and sleeps for good; the game stops.
    if (!parkPollingThread()) hostsim::recordTranscriptLine("game: the plugin's polling thread did not come to rest");
    hostsim::stopGameThread();
    releaseEveryKey();
    hostsim::reportOtherModHooks();

    SessionSummary summary;
    const auto ledger = hostsim::engineStringLedger();
    summary.ledgerBalanced = hostsim::engineStringLedgerBalanced();
    hostsim::recordTranscriptLine("game: engine strings " +
                                  std::string(summary.ledgerBalanced ? "balanced" : "unbalanced") + " created " +
                                  std::to_string(ledger.created) + " released " + std::to_string(ledger.released));
    summary.violationCount = hostsim::violations().size();
    hostsim::recordTranscriptLine(summary.clean() ? "game: session ended cleanly"
                                                  : "game: session ended with problems");

    hostsim::setTranscriptEcho({});
    answerPluginErrorBoxes({});
    if (options_.clockInstaller) options_.clockInstaller(nullptr);
    capture_.reset();
    output_ = stdout;
    folder_.reset();
    return summary;
}

}  // namespace demo
