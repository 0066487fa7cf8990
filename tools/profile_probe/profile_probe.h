#pragma once
// One table of profile-file operations, run through a pair of functions of
// the shape of GetPrivateProfileStringA / WritePrivateProfileStringA: the ones
// the program is linked with (the real ones in the Windows build, our layer
// natively) or the plugin's own reading and writing of the file's bytes
// (plugin_profile_functions.h). The printed report (every value read, every
// resulting file in hex) is compared with a recording made from the real
// functions on code page 1252.
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

namespace profile_probe {

struct ProfileFunctions {
    decltype(&GetPrivateProfileStringA) read;
    decltype(&WritePrivateProfileStringA) write;
};

inline ProfileFunctions systemProfileFunctions() { return {&GetPrivateProfileStringA, &WritePrivateProfileStringA}; }

struct ProfileOp {
    bool isWrite = false;
    std::string section;
    std::string key;
    std::string text;       // the value to write, or the default of a read
    unsigned size = 10000;  // buffer size of a read
};

struct ProfileCase {
    std::string name;
    std::optional<std::string> initialBytes;  // nullopt: no file before the case
    std::vector<ProfileOp> ops;
    // Wine rewrites the whole file on every write, dropping blank lines and
    // turning LF line ends into CR LF; Windows and our layer edit in place.
    // For such cases only the values are compared, not the file.
    bool fileCompared = true;
    std::string folder = {};  // in front of the file name; "" for the work directory
};

inline ProfileOp readOp(std::string section, std::string key, std::string defaultValue = "", unsigned size = 10000) {
    return {false, std::move(section), std::move(key), std::move(defaultValue), size};
}

inline ProfileOp writeOp(std::string section, std::string key, std::string value) {
    return {true, std::move(section), std::move(key), std::move(value), 0};
}

inline std::vector<ProfileCase> profileCases() {
    const std::string longValue(300, 'v');
    const std::string hugeValue(12000, 'h');
    return {
        {"fresh file from two writes",
         std::nullopt,
         {writeOp("General", "iTextInputMenuHotkey", "0x51"),
          writeOp("General", "bSkipNonStarMapVisibleMapMarkers", "1"), readOp("General", "iTextInputMenuHotkey"),
          readOp("General", "bSkipNonStarMapVisibleMapMarkers")}},
        {"missing file gives default",
         std::nullopt,
         {readOp("General", "sSearch", "fallback"), readOp("General", "sSearch", "")}},
        {"missing section and key give default",
         std::string("[Other]\r\nsSearch=x\r\n"),
         {readOp("General", "sSearch", "dflt"), readOp("Other", "sMissing", "dflt"),
          readOp("Other", "sSearch", "dflt")}},
        {"section and key case-insensitive",
         std::string("[GENERAL]\r\nIteXtInputMenuHotkey=0x70\r\n"),
         {readOp("general", "itextinputmenuhotkey"), readOp("General", "iTextInputMenuHotkey")}},
        {"blanks around equals",
         std::string("[General]\r\n  a = one \r\nb\t=\ttwo\t\r\nc=  \r\n d =x y \r\n"),
         {readOp("General", "a", "dflt"), readOp("General", "b", "dflt"), readOp("General", "c", "dflt"),
          readOp("General", "d", "dflt"), readOp("General", " d", "dflt"), readOp("General", "a ", "dflt")}},
        {"quotes around values",
         std::string("[General]\r\nq1=\"quoted value\"\r\nq2='single'\r\nq3=\"open\r\nq4= \"x\" \r\n"
                     "q5=\"\"\r\nq6=a\"b\"\r\n"),
         {readOp("General", "q1"), readOp("General", "q2"), readOp("General", "q3"), readOp("General", "q4"),
          readOp("General", "q5", "dflt"), readOp("General", "q6")}},
        {"mismatched quotes",
         std::string("[General]\r\nq7=\"abc'\r\nq8='a\"b'\r\nq9=\"\r\nq10=\"x\"y\"\r\n"),
         {readOp("General", "q7"), readOp("General", "q8"), readOp("General", "q9"), readOp("General", "q10")}},
        {"default with blanks",
         std::nullopt,
         {readOp("General", "k", "  both  "), readOp("General", "k", "\"quoted\"")}},
        {"comment lines and inline comments",
         std::string("; comment\r\n[General]\r\n;k=commented\r\n# hash=1\r\nk=0x70 ; F1\r\n"),
         {readOp("General", "k"), readOp("General", ";k", "dflt"), readOp("General", "# hash", "dflt")}},
        {"lf line ends", std::string("[General]\nk1=v1\nk2=v2\n"), {readOp("General", "k1"), readOp("General", "k2")}},
        {"lf file gets a new key",
         std::string("[General]\nk1=v1\n"),
         {writeOp("General", "k2", "v2"), readOp("General", "k1"), readOp("General", "k2")},
         false},
        {"lf file gets a changed key",
         std::string("[General]\nk1=v1\nk2=v2\n"),
         {writeOp("General", "k1", "new"), readOp("General", "k1"), readOp("General", "k2")},
         false},
        {"utf-8 byte-order mark",
         std::string("\xEF\xBB\xBF[General]\r\nk=v\r\n"),
         {readOp("General", "k", "dflt"), writeOp("General", "n", "w"), readOp("General", "n", "dflt")}},
        {"value cut to buffer size",
         std::string("[General]\r\nk=0123456789\r\n"),
         {readOp("General", "k", "", 1), readOp("General", "k", "", 2), readOp("General", "k", "", 10),
          readOp("General", "k", "", 11), readOp("General", "k", "", 12), readOp("Nope", "k", "default", 4)}},
        {"line longer than the buffer",
         "[General]\r\nlong=" + longValue + "\r\nafter=ok\r\n",
         {readOp("General", "long", "", 100), readOp("General", "long"), readOp("General", "after")}},
        {"value longer than the plugin buffer",
         "[General]\r\nhuge=" + hugeValue + "\r\nafter=ok\r\n",
         {readOp("General", "huge"), readOp("General", "after")}},
        {"key outside any section",
         std::string("k=outside\r\n[General]\r\nk=inside\r\n"),
         {readOp("General", "k"), readOp("", "k", "dflt"), writeOp("General", "k", "changed"), readOp("General", "k")}},
        {"duplicate keys",
         std::string("[General]\r\nk=first\r\nk=second\r\n"),
         {readOp("General", "k"), writeOp("General", "k", "third"), readOp("General", "k")}},
        {"duplicate sections",
         std::string("[General]\r\na=1\r\n[Other]\r\nx=y\r\n[General]\r\nb=2\r\n"),
         {readOp("General", "a", "dflt"), readOp("General", "b", "dflt"), writeOp("General", "b", "3"),
          writeOp("General", "c", "4")}},
        {"key without equals and empty value",
         std::string("[General]\r\nbare\r\nempty=\r\n"),
         {readOp("General", "bare", "dflt"), readOp("General", "empty", "dflt"), writeOp("General", "empty", "0x51")}},
        {"section header decorations",
         std::string("[ General ]\r\na=1\r\n[General] ; note\r\nb=2\r\n"),
         {readOp("General", "a", "dflt"), readOp("General", "b", "dflt"), readOp(" General ", "a", "dflt")}},
        {"write replaces in place keeping key spelling",
         std::string("; settings\r\n[General]\r\n  ITEXTINPUTMENUHOTKEY = Q\r\n[Other]\r\nz=1\r\n"),
         {writeOp("General", "iTextInputMenuHotkey", "0x51"), readOp("General", "iTextInputMenuHotkey"),
          readOp("Other", "z")}},
        {"write adds key to section followed by others",
         std::string("; my settings\r\n[General]\r\niTextInputMenuHotkey=0x70\r\n; other mod\r\n"
                     "[Other]\r\nx=1\r\n"),
         {writeOp("General", "bSkipNonStarMapVisibleMapMarkers", "1")}},
        {"write into file with blank lines",
         std::string("; my settings\r\n\r\n[General]\r\niTextInputMenuHotkey=Q\r\n\r\n; other mod\r\n"
                     "[Other]\r\nx=1\r\n\r\n"),
         {writeOp("General", "bSkipNonStarMapVisibleMapMarkers", "1"), readOp("General", "iTextInputMenuHotkey"),
          readOp("General", "bSkipNonStarMapVisibleMapMarkers"), readOp("Other", "x")},
         false},
        {"write into missing folder fails",
         std::nullopt,
         {writeOp("General", "k", "v"), readOp("General", "k", "dflt")},
         true,
         "missing\\"},
        {"write adds missing section at end", std::string("[Other]\r\nx=1\r\n"), {writeOp("General", "k", "v")}},
        {"write to file without final line end",
         std::string("[General]\r\nk=v"),
         {writeOp("General", "n", "w"), readOp("General", "k"), readOp("General", "n")}},
        {"write to section header without line end",
         std::string("[General]"),
         {writeOp("General", "n", "w"), readOp("General", "n")}},
        {"write to empty file", std::string(""), {writeOp("General", "k", "v")}},
        {"write keeps blanks around value",
         std::nullopt,
         {writeOp("General", "k", "  padded  "), readOp("General", "k")}},
        {"write empty value",
         std::string("[General]\r\nk=old\r\n"),
         {writeOp("General", "k", ""), readOp("General", "k", "dflt")}},
        {"non-ascii bytes kept",
         std::string("[General]\r\nsSearchResults=R\xE9sultats\r\n"),
         {readOp("General", "sSearchResults"), writeOp("General", "sSearch", "Recherch\xE9")}},
        // The Japanese file's line whose last character 932 and 936 change,
        // and the line behind it that a rewrite under 932 ran into it.
        {"utf-8 texts and a key added behind them",
         std::string("[General]\r\nsFoundMatches=%\xE4\xBB\xB6\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x8A"
                     "\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82\r\nsNoMatchesFound=\xE4\xB8\x80\r\n"),
         {readOp("General", "sFoundMatches"), readOp("General", "sNoMatchesFound"),
          writeOp("General", "sSearch", "Search"), readOp("General", "sNoMatchesFound")}},
        {"quotes keep blanks at the ends",
         std::string("[General]\r\nsSearch=\"Recherche \"\r\nsPlanets= ' Plan\xC3\xA8tes ' \r\n"),
         {readOp("General", "sSearch"), readOp("General", "sPlanets")}},
    };
}

// Cases only the differential under Wine runs, through the real functions and
// the plugin's side by side: files our layer's stand-ins for the profile
// functions (the simulator's) do not read.
inline std::vector<ProfileCase> differentialOnlyCases() {
    return {
        {"utf-16 file with byte-order mark",
         std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 34),
         {readOp("General", "k", "dflt"), writeOp("General", "n", "w"), readOp("General", "n", "dflt")}},
        {"utf-16 file big end first",
         std::string("\xFE\xFF\0[\0G\0e\0n\0e\0r\0a\0l\0]\0\r\0\n\0k\0=\0v\0\r\0\n", 34),
         {readOp("General", "k", "dflt"), writeOp("General", "n", "w"), readOp("General", "n", "dflt")}},
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

inline std::string shortened(const std::string& escaped) {
    if (escaped.size() <= 80) return escaped;
    return escaped.substr(0, 40) + "...(" + std::to_string(escaped.size()) + " chars)..." +
           escaped.substr(escaped.size() - 20);
}

inline std::string hexLines(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char code[4];
        std::snprintf(code, sizeof code, "%02X", static_cast<unsigned char>(bytes[i]));
        out += (i % 32 == 0) ? "  hex " : " ";
        out += code;
        if (i % 32 == 31 || i + 1 == bytes.size()) out += "\n";
    }
    return out;
}

// Fingerprint of a file too long to print whole.
inline std::string fnv1a64(const std::string& bytes) {
    unsigned long long hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", hash);
    return text;
}

inline std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every key=value line of an INI file read back through the read function
// from that file itself: one line for each value that does not come back as
// the bytes the file holds after '=' (without blanks at the ends, and inside
// a pair of quotes around it), or for a file without keys. Empty when every
// value comes back unchanged, as the shipped language files must.
inline std::string readThroughMismatches(const std::string& path,
                                         const ProfileFunctions& functions = systemProfileFunctions()) {
    const auto bytes = readWholeFile(path);
    if (!bytes) return "cannot read " + path + "\n";
    std::string report, section;
    int keys = 0;
    // A byte-order mark is not part of the first line's text.
    std::istringstream lines(bytes->starts_with("\xEF\xBB\xBF") ? bytes->substr(3) : *bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        const std::string key = line.substr(0, equals);
        std::string written = line.substr(equals + 1);
        while (!written.empty() && (written.back() == ' ' || written.back() == '\t')) written.pop_back();
        while (!written.empty() && (written.front() == ' ' || written.front() == '\t')) written.erase(0, 1);
        if (written.size() >= 2 && (written.front() == '"' || written.front() == '\'') &&
            written.back() == written.front())
            written = written.substr(1, written.size() - 2);
        std::vector<char> buffer(10000, '\0');
        const DWORD count = functions.read(section.c_str(), key.c_str(), "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
        const std::string read(buffer.data(), count);
        ++keys;
        if (read != written)
            report += "  [" + section + "] " + key + ": file \"" + escapeBytes(written) + "\" read \"" +
                      escapeBytes(read) + "\"\n";
    }
    if (keys == 0) report += "  no keys in " + path + "\n";
    return report;
}

// Runs every case in its own file inside `workDir` (which must be the current
// directory) and returns the report.
inline std::string runProfileCases(const std::filesystem::path& workDir,
                                   const ProfileFunctions& functions = systemProfileFunctions(),
                                   const std::vector<ProfileCase>& cases = profileCases()) {
    std::ostringstream report;
    int number = 0;
    for (const ProfileCase& profileCase : cases) {
        ++number;
        const std::string fileName = "case" + std::to_string(number) + ".ini";
        const std::string path = ".\\" + profileCase.folder + fileName;
        if (profileCase.initialBytes) {
            std::ofstream out(workDir / fileName, std::ios::binary);
            out << *profileCase.initialBytes;
        }
        report << "case " << profileCase.name << "\n";
        for (const ProfileOp& op : profileCase.ops) {
            if (op.isWrite) {
                const BOOL ok = functions.write(op.section.c_str(), op.key.c_str(), op.text.c_str(), path.c_str());
                report << "  write [" << escapeBytes(op.section) << "] " << escapeBytes(op.key) << " = \""
                       << shortened(escapeBytes(op.text)) << "\" -> " << (ok ? "ok" : "failed") << "\n";
            } else {
                std::vector<char> buffer(op.size + 16, '\x7F');
                const DWORD count = functions.read(op.section.c_str(), op.key.c_str(), op.text.c_str(), buffer.data(),
                                                   op.size, path.c_str());
                const std::string value(buffer.data(), std::min<std::size_t>(count, op.size + 16));
                report << "  read [" << escapeBytes(op.section) << "] " << escapeBytes(op.key) << " default \""
                       << escapeBytes(op.text) << "\" size " << op.size << " -> " << count << " \""
                       << shortened(escapeBytes(value)) << "\"";
                if (op.size > 0) {
                    report << (buffer[count < op.size ? count : op.size - 1] == '\0' ? " nul" : " no-nul");
                }
                report << "\n";
            }
        }
        const auto bytes = readWholeFile(workDir / fileName);
        if (!profileCase.fileCompared) {
            report << "  file not compared\n";
        } else if (!bytes) {
            report << "  file absent\n";
        } else {
            report << "  file " << bytes->size() << " bytes: " << shortened(escapeBytes(*bytes)) << "\n";
            if (bytes->size() <= 400) {
                report << hexLines(*bytes);
            } else {
                report << "  fnv1a64 " << fnv1a64(*bytes) << "\n";
            }
        }
    }
    return report.str();
}

}  // namespace profile_probe
