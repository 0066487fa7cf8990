#pragma once
// Runs a test inside a fresh temporary directory, which becomes the current
// directory (the game's folder) for the test's duration, and gives helpers
// for the files the plugin reads and writes there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

class TempWorkingDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::random_device seed;
        for (;;) {
            m_dir = std::filesystem::temp_directory_path() / ("lumora_config_" + std::to_string(seed()));
            if (std::filesystem::create_directory(m_dir)) break;
        }
        std::filesystem::current_path(m_dir);
    }

    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    const std::filesystem::path& dir() const { return m_dir; }

    std::filesystem::path pluginFolder() const { return m_dir / "Data" / "Obrix" / "Plugins"; }
    void createPluginFolder() const { std::filesystem::create_directories(pluginFolder()); }

    static void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good()) << path;
    }

    static std::optional<std::string> readBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_dir;
};
