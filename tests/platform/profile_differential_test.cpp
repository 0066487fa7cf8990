// Our profile functions against the recording of the real ones under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "../../tools/profile_probe/profile_probe.h"
#include "../config/temp_working_directory.h"

namespace {

std::filesystem::path recordingPath() { return LUMORA_PROFILE_RECORDING; }

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ProfileProbe : public TempWorkingDirectory {};

TEST_F(ProfileProbe, OurProfileFunctionsMatchTheRecordingOfTheRealOnes) {
    const auto recorded = readBytes(recordingPath());
    ASSERT_TRUE(recorded) << recordingPath();
    const std::string measured = profile_probe::runProfileCases(dir());
    // Line by line first, for a readable failure.
    const auto expectedLines = splitLines(*recorded);
    const auto actualLines = splitLines(measured);
    for (std::size_t i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i) {
        ASSERT_EQ(actualLines[i], expectedLines[i]) << "line " << i + 1;
    }
    EXPECT_EQ(measured, *recorded);
}

}  // namespace
