// Our file functions against the recording of the real ones under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "../../tools/files_probe/files_probe.h"
#include "../config/temp_working_directory.h"

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class FilesProbe : public TempWorkingDirectory {};

TEST_F(FilesProbe, OurFileFunctionsMatchTheRecordingOfTheRealOnes) {
    const auto recorded = readBytes(LUMORA_FILES_RECORDING);
    ASSERT_TRUE(recorded) << LUMORA_FILES_RECORDING;
    const std::string measured = files_probe::runFileCases(dir());
    // Line by line first, for a readable failure.
    const auto expectedLines = splitLines(*recorded);
    const auto actualLines = splitLines(measured);
    for (std::size_t i = 0; i < std::min(expectedLines.size(), actualLines.size()); ++i) {
        ASSERT_EQ(actualLines[i], expectedLines[i]) << "line " << i + 1;
    }
    EXPECT_EQ(measured, *recorded);
}

}  // namespace
