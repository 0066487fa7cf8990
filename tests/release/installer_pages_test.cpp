// The installer as a mod manager reads it: its two pages, their options and
// defaults, and for every combination of choices exactly the files placed.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "release_archive.h"

using namespace release_test;

namespace {

const char* const kPlugins = "Obrix/Plugins/";

struct PageRow {
    const char* page;
    std::vector<std::string> options;  // in the order the page lists them
    const char* preselected;
};

const PageRow kPages[] = {
    {"Setup", {"Recommended", "Classic", "Keep my settings"}, "Recommended"},
    {"Language",
     {"English", "Deutsch", "Français", "Español", "Italiano", "Polski", "Português (Brasil)", "日本語", "简体中文",
      "Keep my texts"},
     "English"},
};

TEST(InstallerPages, EachPageOffersItsOptionsInOneExactlyOneGroupWithTheDefaultPreselected) {
    const ModuleConfig config = archiveInstaller();
    EXPECT_EQ(config.moduleName, "Lumora Search Engine");
    ASSERT_EQ(config.pages.size(), std::size(kPages));
    for (std::size_t i = 0; i < std::size(kPages); ++i) {
        const InstallerPage& page = config.pages[i];
        EXPECT_EQ(page.name, kPages[i].page);
        ASSERT_EQ(page.groups.size(), 1u) << page.name;
        const OptionGroup& group = page.groups[0];
        EXPECT_EQ(group.type, "SelectExactlyOne") << page.name;
        std::vector<std::string> names;
        for (const InstallerOption& option : group.options) {
            names.push_back(option.name);
            EXPECT_FALSE(option.description.empty()) << option.name;
            EXPECT_NE(option.type, "Required") << option.name;
            EXPECT_NE(option.type, "NotUsable") << option.name;
        }
        EXPECT_EQ(names, kPages[i].options) << page.name;
        const auto preselected = defaultChoice(group);
        ASSERT_EQ(preselected.size(), 1u) << page.name;
        EXPECT_EQ(preselected[0]->name, kPages[i].preselected);
        EXPECT_EQ(preselected[0]->type, "Recommended") << page.name;
    }
}

// A player who picks a file loses the one they had: the page says so. Each
// page's last option installs nothing and keeps the player's file.
TEST(InstallerPages, OptionsThatInstallAFileSayTheyReplaceTheOldOneAndTheLastKeepsIt) {
    const ModuleConfig config = archiveInstaller();
    ASSERT_EQ(config.pages.size(), 2u);
    const struct {
        const char* replaces;
        const char* kept;
    } pages[] = {{"Replaces an existing LumoraSearchEngine.ini.", "Keep my settings"},
                 {"LumoraSearchEngineLang.ini", "Keep my texts"}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& options = config.pages[i].groups.at(0).options;
        for (const InstallerOption& option : options) {
            const bool installs = !option.files.empty();
            EXPECT_EQ(installs, option.name != pages[i].kept) << option.name;
            EXPECT_EQ(option.description.find(pages[i].replaces) != std::string::npos, installs || i == 1)
                << option.name << ": " << option.description;
        }
        EXPECT_EQ(options.back().name, pages[i].kept);
    }
}

TEST(InstallerInfo, NamesTheModItsVersionAndOneLineOfDescription) {
    const XmlElement info = readArchiveXml("fomod/info.xml");
    EXPECT_EQ(info.name, "fomod");
    ASSERT_NE(info.child("Name"), nullptr);
    EXPECT_EQ(info.child("Name")->text, "Lumora Search Engine");
    ASSERT_NE(info.child("Version"), nullptr);
    EXPECT_EQ(info.child("Version")->text, LUMORA_PROJECT_VERSION);
    ASSERT_NE(info.child("Author"), nullptr);
    ASSERT_NE(info.child("Description"), nullptr);
    const std::string& description = info.child("Description")->text;
    EXPECT_FALSE(description.empty());
    EXPECT_EQ(description.find('\n'), std::string::npos);
}

TEST(InstallerLayout, RootCarriesTheSchemaAndItsChildrenComeInTheFormatsOrder) {
    const XmlElement root = readArchiveXml("fomod/ModuleConfig.xml");
    ASSERT_NE(root.attribute("xmlns:xsi"), nullptr);
    EXPECT_EQ(*root.attribute("xmlns:xsi"), "http://www.w3.org/2001/XMLSchema-instance");
    ASSERT_NE(root.attribute("xsi:noNamespaceSchemaLocation"), nullptr);
    EXPECT_EQ(*root.attribute("xsi:noNamespaceSchemaLocation"), "http://qconsulting.ca/fo3/ModConfig5.0.xsd");
    std::vector<std::string> children;
    for (const XmlElement& child : root.children) children.push_back(child.name);
    EXPECT_EQ(children, (std::vector<std::string>{"moduleName", "requiredInstallFiles", "installSteps"}));
    // Explicit order everywhere: a sorting manager would otherwise move the
    // default away from the top.
    const XmlElement* steps = root.child("installSteps");
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(*steps->attribute("order"), "Explicit");
    for (const XmlElement* step : steps->childrenNamed("installStep")) {
        const XmlElement* groups = step->child("optionalFileGroups");
        ASSERT_NE(groups, nullptr);
        EXPECT_EQ(*groups->attribute("order"), "Explicit");
        for (const XmlElement* group : groups->childrenNamed("group")) {
            ASSERT_NE(group->child("plugins"), nullptr);
            EXPECT_EQ(*group->child("plugins")->attribute("order"), "Explicit");
            // Every option holds <files>, empty for one that installs nothing.
            for (const XmlElement* plugin : group->child("plugins")->childrenNamed("plugin")) {
                std::vector<std::string> parts;
                for (const XmlElement& part : plugin->children) parts.push_back(part.name);
                EXPECT_EQ(parts, (std::vector<std::string>{"description", "files", "typeDescriptor"}))
                    << *plugin->attribute("name");
            }
        }
    }
}

// What each option adds to the plugin folder, by option name.
const std::map<std::string, std::map<std::string, std::string>> kOptionFiles = {
    {"Recommended", {{"LumoraSearchEngine.ini", "options/setup/recommended/LumoraSearchEngine.ini"}}},
    {"Classic", {{"LumoraSearchEngine.ini", "options/setup/classic/LumoraSearchEngine.ini"}}},
    {"Keep my settings", {}},
    {"English", {{"LumoraSearchEngineLang.ini", "options/languages/en/LumoraSearchEngineLang.ini"}}},
    {"Deutsch", {{"LumoraSearchEngineLang.ini", "options/languages/de/LumoraSearchEngineLang.ini"}}},
    {"Français", {{"LumoraSearchEngineLang.ini", "options/languages/fr/LumoraSearchEngineLang.ini"}}},
    {"Español", {{"LumoraSearchEngineLang.ini", "options/languages/es/LumoraSearchEngineLang.ini"}}},
    {"Italiano", {{"LumoraSearchEngineLang.ini", "options/languages/it/LumoraSearchEngineLang.ini"}}},
    {"Polski", {{"LumoraSearchEngineLang.ini", "options/languages/pl/LumoraSearchEngineLang.ini"}}},
    {"Português (Brasil)", {{"LumoraSearchEngineLang.ini", "options/languages/pt-BR/LumoraSearchEngineLang.ini"}}},
    {"日本語", {{"LumoraSearchEngineLang.ini", "options/languages/ja/LumoraSearchEngineLang.ini"}}},
    {"简体中文", {{"LumoraSearchEngineLang.ini", "options/languages/zh-CN/LumoraSearchEngineLang.ini"}}},
    {"Keep my texts", {}},
};

// Whatever is chosen, the files a manual unpack puts into Data/ land at the same places.
const std::map<std::string, std::string> kRequiredFiles = {
    {"LumoraSearchEngine.dll", "Data/Obrix/Plugins/LumoraSearchEngine.dll"},
    {"LumoraSearchEngine_Readme.txt", "Data/Obrix/Plugins/LumoraSearchEngine_Readme.txt"},
};

std::string sourceOf(const Placement& placement) {
    return std::filesystem::relative(placement.source, archiveRoot()).generic_string();
}

TEST(InstallerCombinations, EveryCombinationPlacesExactlyTheRequiredFilesAndTheChosenOptionsFiles) {
    const ModuleConfig config = archiveInstaller();
    int combinations = 0;
    for (const std::string& setup : kPages[0].options) {
        for (const std::string& language : kPages[1].options) {
            SCOPED_TRACE(setup + " + " + language);
            std::map<std::string, std::string> expected;
            for (const auto* files : {&kRequiredFiles, &kOptionFiles.at(setup), &kOptionFiles.at(language)})
                for (const auto& [name, source] : *files) expected[kPlugins + name] = source;
            std::string error;
            const auto plan = planInstall(config, archiveRoot(), {{"Setup", setup}, {"Language", language}}, error);
            ASSERT_TRUE(plan) << error;
            std::map<std::string, std::string> placed;
            for (const Placement& placement : plan->files) placed[placement.destination] = sourceOf(placement);
            EXPECT_EQ(placed, expected);
            EXPECT_TRUE(plan->overwritten.empty());
            ++combinations;
        }
    }
    EXPECT_EQ(combinations, 30);
}

TEST(InstallerCombinations, NoChoiceInstallsTheDefaultsRecommendedAndEnglish) {
    std::string error;
    const auto plan = planInstall(archiveInstaller(), archiveRoot(), {}, error);
    ASSERT_TRUE(plan) << error;
    std::map<std::string, std::string> placed;
    for (const Placement& placement : plan->files) placed[placement.destination] = sourceOf(placement);
    EXPECT_EQ(placed,
              (std::map<std::string, std::string>{
                  {"Obrix/Plugins/LumoraSearchEngine.dll", "Data/Obrix/Plugins/LumoraSearchEngine.dll"},
                  {"Obrix/Plugins/LumoraSearchEngine.ini", "options/setup/recommended/LumoraSearchEngine.ini"},
                  {"Obrix/Plugins/LumoraSearchEngineLang.ini", "options/languages/en/LumoraSearchEngineLang.ini"},
                  {"Obrix/Plugins/LumoraSearchEngine_Readme.txt", "Data/Obrix/Plugins/LumoraSearchEngine_Readme.txt"},
              }));
}

// The archive's Data tree is exactly what the installer requires, so a
// manual unpack and the installer's required files are the same set.
TEST(InstallerCombinations, ManualUnpackOfDataPlacesWhatTheRequiredFilesPlace) {
    std::set<std::string> unpacked;
    for (const auto& item : std::filesystem::recursive_directory_iterator(archiveRoot() / "Data"))
        if (item.is_regular_file())
            unpacked.insert(std::filesystem::relative(item.path(), archiveRoot() / "Data").generic_string());
    ModuleConfig requiredOnly = archiveInstaller();
    requiredOnly.pages.clear();
    std::string error;
    const auto plan = planInstall(requiredOnly, archiveRoot(), {}, error);
    ASSERT_TRUE(plan) << error;
    std::set<std::string> required;
    for (const Placement& placement : plan->files) required.insert(placement.destination);
    EXPECT_EQ(required, unpacked);
    EXPECT_EQ(unpacked, (std::set<std::string>{"Obrix/Plugins/LumoraSearchEngine.dll",
                                               "Obrix/Plugins/LumoraSearchEngine_Readme.txt"}));
}

struct RefusedChoice {
    std::map<std::string, std::string> choices;
    const char* error;
};

TEST(InstallerCombinations, ChoicesThePagesDoNotOfferAreRefused) {
    const ModuleConfig config = archiveInstaller();
    const RefusedChoice rows[] = {
        {{{"Setup", "Everything"}}, "page \"Setup\" offers no option \"Everything\""},
        {{{"Language", "Klingon"}}, "page \"Language\" offers no option \"Klingon\""},
        {{{"Extras", "Recommended"}}, "no page \"Extras\""},
    };
    for (const RefusedChoice& row : rows) {
        std::string error;
        EXPECT_FALSE(planInstall(config, archiveRoot(), row.choices, error));
        EXPECT_EQ(error, row.error);
    }
}

}  // namespace
