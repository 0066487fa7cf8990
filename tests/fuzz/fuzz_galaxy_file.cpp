// Any text as a galaxy file, as a mod author might write one by hand: it is
// either a galaxy that the game can install, whose written form reads back to
// itself, or an error naming a line of the text. Nothing else may escape.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hostsim/boot.h"
#include "hostsim/galaxy.h"

namespace {

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "galaxy text: %s\n", why.c_str());
    std::abort();
}

void checkLineNumberedError(const hostsim::GalaxyFileError& error, std::string_view text) {
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (error.line() < 1 || error.line() > lines)
        fail("error at line " + std::to_string(error.line()) + " of " + std::to_string(lines) + ": " + error.what());
    const std::string prefix = "fuzz.galaxy:" + std::to_string(error.line()) + ": ";
    if (std::string_view(error.what()).substr(0, prefix.size()) != prefix)
        fail(std::string("error message without its place: ") + error.what());
}

// The written form of a galaxy must parse and write back to the same text.
void checkWrittenFormReadsBack(const hostsim::GalaxyDescription& galaxy) {
    const std::string written = hostsim::formatGalaxyText(galaxy);
    try {
        const std::string again = hostsim::formatGalaxyText(hostsim::parseGalaxyText(written, "written.galaxy"));
        if (again != written) fail("written form changes when read back:\n" + written + "\n--- became\n" + again);
    } catch (const hostsim::GalaxyFileError& error) {
        fail(std::string("written form does not read back: ") + error.what() + "\n" + written);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    hostsim::bootGame();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    hostsim::GalaxyDescription galaxy;
    try {
        galaxy = hostsim::parseGalaxyText(text, "fuzz.galaxy");
    } catch (const hostsim::GalaxyFileError& error) {
        checkLineNumberedError(error, text);
        return 0;
    }
    // Any other exception escapes and libFuzzer reports it as a crash.
    checkWrittenFormReadsBack(galaxy);
    hostsim::installGalaxy(galaxy);
    hostsim::uninstallGalaxy();
    return 0;
}
