#pragma once
// The bodies the player chose last, kept between game sessions in
// .\Data\Obrix\Plugins\LumoraSearchEngineRecent.txt: a first line naming the
// format and its version, then one line per body, most recent first:
// the form id in hex, a tab, the body's name, a tab, the line the box showed.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

struct RecentDestination {
    std::uint32_t formId = 0;
    std::string name;      // the target's name as its line showed it
    std::string lineText;  // the line as the box showed it, without "[i] " and newline
};

inline constexpr std::size_t kMostRecentDestinations = 10;
inline constexpr std::size_t kMostRecentFileBytes = 16 * 1024;
// A whole body line, line end included; ten of them and the first line stay
// within the file's 16 KiB.
inline constexpr std::size_t kMostRecentLineBytes = 1024;
inline constexpr std::string_view kRecentFormatLine = "LumoraSearchEngine recent destinations 1";

inline constexpr const char* kRecentFilePath = ".\\Data\\Obrix\\Plugins\\LumoraSearchEngineRecent.txt";
// Written whole beside the file, then moved over it.
inline constexpr const char* kRecentTemporaryPath = ".\\Data\\Obrix\\Plugins\\LumoraSearchEngineRecent.tmp";

// The good body lines of a file's bytes, in file order, at most ten. Nothing
// for bytes that do not start with the format line. A line is good when it
// has exactly three fields, an id of one to eight hex digits that is not 0,
// a name and a text without control bytes, fits kMostRecentLineBytes, and
// names an id no line above it named.
std::vector<RecentDestination> parseRecentDestinations(std::string_view bytes);

// The file's bytes for the list: the format line, then a line per body that
// a reader would take back (one that would not, for a control byte in its
// name, say, is left out), each ended by CR LF.
std::string formatRecentDestinations(std::span<const RecentDestination> destinations);

// How the file was found at start-up. Only a file that is absent, or read
// whole under the format line, may be replaced: any other is the player's
// (held by another program, damaged, or of a newer version) and stays as it
// is for the session.
enum class RecentFileState {
    Read,         // read whole under the format line
    Absent,       // no such file (or no such folder)
    NotOpened,    // it exists but could not be opened: held by another program, no access
    NotRead,      // a read failed part-way
    TooLarge,     // more than 16 KiB
    OtherHeader,  // its first line is not the format line this plugin writes
};

struct RecentFileRead {
    std::vector<RecentDestination> bodies;  // the good lines (see parseRecentDestinations)
    RecentFileState state = RecentFileState::Absent;
    std::uint32_t error = 0;  // the system's code when the file was not opened or not read
};

// Whether the list may be written over the file found in this state.
bool recentFileReplaceable(RecentFileState state);

// For the log: why a file in this state is left alone ("" when it is not).
const char* recentFileKeptReason(RecentFileState state);

// Results: the good lines of the file and the state it was found in.
RecentFileRead readRecentDestinationsFile();

enum class RecentFileWrite {
    Written,     // the file holds the new list
    NotCreated,  // no temporary file could be made: the old file is untouched
    NotWritten,  // writing or closing the temporary file failed: the old file is untouched
    NotFlushed,  // the temporary file did not reach the disk: the old file is untouched
    NotMoved,    // the move over the old file failed: the old file is untouched
};

// Replaces the file whole: the bytes go to a temporary file in the same
// folder, which is flushed, closed and moved over the old file in one step.
// After a failure the temporary file is deleted (when it can be) and the old
// file is as it was.
RecentFileWrite writeRecentDestinationsFile(std::span<const RecentDestination> destinations);

}  // namespace lumora
