// The test's own reader of the installer format: the XML it accepts and
// refuses, and how it turns entries into placed files.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "mod_installer.h"
#include "release_archive.h"

using namespace release_test;

namespace {

struct XmlRow {
    const char* text;
    const char* error;  // empty: well-formed
};

TEST(XmlReader, AcceptsTheInstallersSubsetAndNamesTheLineOfAFault) {
    const XmlRow rows[] = {
        {"<?xml version=\"1.0\"?>\n<!-- c -->\n<a x='1' y=\"&lt;&amp;&#233;&#x65E5;\"><b/>t<![CDATA[<raw>]]></a>\n",
         ""},
        {"\xEF\xBB\xBF<a/>", ""},
        {"<a>\n<b></a>", "line 2: </a> closes <b>"},
        {"<a x=1/>", "line 1: quoted value expected for x"},
        {"<a x='1' x='2'/>", "line 1: attribute x twice"},
        {"<a>&nbsp;</a>", "line 1: unknown entity &nbsp;"},
        {"<a/><b/>", "line 1: text after the root element"},
        {"<a>\n\n", "line 3: <a> not closed"},
        {"<!DOCTYPE a><a/>", "line 1: document type declarations are not read"},
    };
    for (const XmlRow& row : rows) {
        std::string error;
        const auto root = parseXml(row.text, error);
        EXPECT_EQ(root.has_value(), *row.error == '\0') << row.text;
        EXPECT_EQ(error, row.error) << row.text;
    }
    std::string error;
    const auto root = parseXml(rows[0].text, error);
    ASSERT_TRUE(root);
    EXPECT_EQ(*root->attribute("y"), "<&\xC3\xA9\xE6\x97\xA5");
    EXPECT_EQ(root->text, "t<raw>");
    EXPECT_NE(root->child("b"), nullptr);
}

class InstallerReader : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        do m_root = std::filesystem::temp_directory_path() / ("lumora_fomod_" + std::to_string(seed()));
        while (!std::filesystem::create_directory(m_root));
        for (const char* file : {"Data/Plugins/a.dll", "Data/Plugins/sub/b.txt", "Opt/One/x.ini", "Opt/Two/x.ini"}) {
            std::filesystem::create_directories((m_root / file).parent_path());
            std::ofstream(m_root / file) << file;
        }
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    std::optional<InstallPlan> plan(const std::string& body, const std::map<std::string, std::string>& choices,
                                    std::string& error) {
        const auto root = parseXml("<config><moduleName>M</moduleName>" + body + "</config>", error);
        if (!root) return std::nullopt;
        const auto config = readModuleConfig(*root, error);
        if (!config) return std::nullopt;
        return planInstall(*config, m_root, choices, error);
    }

    static std::string page(const std::string& type, const std::string& options) {
        return "<installSteps order='Explicit'><installStep name='P'><optionalFileGroups order='Explicit'>"
               "<group name='G' type='" +
               type + "'><plugins order='Explicit'>" + options +
               "</plugins></group></optionalFileGroups></installStep></installSteps>";
    }
    static std::string option(const std::string& name, const std::string& type, const std::string& files) {
        return "<plugin name='" + name + "'><description>d</description><files>" + files +
               "</files><typeDescriptor><type name='" + type + "'/></typeDescriptor></plugin>";
    }

    std::filesystem::path m_root;
};

struct PlanRow {
    std::string body;
    std::map<std::string, std::string> choices;
    std::vector<std::string> placed;  // "destination<-source"
    const char* error;
};

TEST_F(InstallerReader, PlacesFilesAndFolderContentsAtTheirDestinationsAndRefusesWhatIsNotThere) {
    const std::string twoOptions =
        page("SelectExactlyOne",
             option("One", "Optional", "<file source='opt\\one\\X.INI' destination='Cfg\\x.ini'/>") +
                 option("Two", "Recommended", "<file source='Opt/Two/x.ini' destination='Cfg/x.ini'/>"));
    const PlanRow rows[] = {
        {"<requiredInstallFiles><folder source='data' destination=''/></requiredInstallFiles>",
         {},
         {"Plugins/a.dll<-Data/Plugins/a.dll", "Plugins/sub/b.txt<-Data/Plugins/sub/b.txt"},
         ""},
        {"<requiredInstallFiles><folder source='Data\\Plugins' destination='Obrix\\P'/></requiredInstallFiles>",
         {},
         {"Obrix/P/a.dll<-Data/Plugins/a.dll", "Obrix/P/sub/b.txt<-Data/Plugins/sub/b.txt"},
         ""},
        {"<requiredInstallFiles><file source='Data/Plugins/a.dll' destination=''/></requiredInstallFiles>",
         {},
         {"a.dll<-Data/Plugins/a.dll"},
         ""},
        {twoOptions, {}, {"Cfg/x.ini<-Opt/Two/x.ini"}, ""},
        {twoOptions, {{"P", "One"}}, {"Cfg/x.ini<-Opt/One/x.ini"}, ""},
        {"<requiredInstallFiles><file source='Opt/One/x.ini' destination='c.ini' priority='2'/>"
         "<file source='Opt/Two/x.ini' destination='C.ini'/></requiredInstallFiles>",
         {},
         {"c.ini<-Opt/One/x.ini"},
         ""},
        {"<requiredInstallFiles><file source='Opt/Three/x.ini' destination='x.ini'/></requiredInstallFiles>",
         {},
         {},
         "file \"Opt/Three/x.ini\" not in the archive"},
        {"<requiredInstallFiles><folder source='Opt/One/x.ini' destination=''/></requiredInstallFiles>",
         {},
         {},
         "folder \"Opt/One/x.ini\" not in the archive"},
        {"<requiredInstallFiles><file source='../x' destination=''/></requiredInstallFiles>",
         {},
         {},
         "file \"../x\" not in the archive"},
        {"<requiredInstallFiles><file source='Opt/One/x.ini' destination='..\\..\\x.ini'/></requiredInstallFiles>",
         {},
         {},
         "destination \"..\\..\\x.ini\" leaves the data folder"},
        {page("SelectExactlyOne", option("One", "NotUsable", "")),
         {{"P", "One"}},
         {},
         "option \"One\" cannot be chosen"},
        {page("SelectExactlyOne", option("One", "NotUsable", "")),
         {},
         {},
         "group \"G\" must have exactly one option chosen"},
        {page("SelectAll", option("One", "Optional", "<file source='Opt/One/x.ini' destination='1.ini'/>") +
                               option("Two", "Optional", "<file source='Opt/Two/x.ini' destination='2.ini'/>")),
         {},
         {"1.ini<-Opt/One/x.ini", "2.ini<-Opt/Two/x.ini"},
         ""},
        {page("SelectOne", ""), {}, {}, "group \"G\" of unknown type \"SelectOne\""},
    };
    for (const PlanRow& row : rows) {
        std::string error;
        const auto result = plan(row.body, row.choices, error);
        EXPECT_EQ(error, row.error) << row.body;
        if (!result) continue;
        std::vector<std::string> placed;
        for (const Placement& placement : result->files)
            placed.push_back(placement.destination + "<-" +
                             std::filesystem::relative(placement.source, m_root).generic_string());
        EXPECT_EQ(placed, row.placed) << row.body;
    }
}

TEST_F(InstallerReader, TwoEntriesForOneDestinationAreReported) {
    std::string error;
    const auto result = plan(
        "<requiredInstallFiles><file source='Opt/One/x.ini' destination='c.ini'/>"
        "<file source='Opt/Two/x.ini' destination='C.INI'/></requiredInstallFiles>",
        {}, error);
    ASSERT_TRUE(result) << error;
    EXPECT_EQ(result->overwritten, std::vector<std::string>{"C.INI"});
    ASSERT_EQ(result->files.size(), 1u);
    EXPECT_EQ(std::filesystem::relative(result->files[0].source, m_root).generic_string(), "Opt/Two/x.ini");
}

// The shipped installer changed the way a careless edit would: each change
// that breaks the format's content model (order and numbers of children) is
// refused, as a manager that validates the script refuses it; the others
// are read.
struct ModelRow {
    std::vector<std::pair<std::string, std::string>> edits;  // first occurrence of each replaced
    const char* error;                                       // empty: read
};

TEST(InstallerModel, EditsThatBreakTheFormatsContentModelAreRefused) {
    const std::string shipped = readFileBytes(archiveRoot() / "fomod/ModuleConfig.xml").value_or("");
    const std::string flag = "<conditionFlags><flag name=\"kept\">On</flag></conditionFlags>";
    const std::string keepFiles = "<files />\n              <typeDescriptor>";
    const ModelRow rows[] = {
        {{}, ""},
        {{{keepFiles, "<typeDescriptor>"}},
         "option \"Keep my settings\": <typeDescriptor> where <files> or <conditionFlags> must come"},
        {{{"<description>", "<files /><description>"}},
         "option \"Recommended\": <files> where <description> must come"},
        {{{"</description>", "</description><description>again</description>"}},
         "option \"Recommended\": <description> where <files> or <conditionFlags> must come"},
        {{{"</description>", "</description><picture />"}},
         "option \"Recommended\": <picture> where <files> or <conditionFlags> must come"},
        {{{"</typeDescriptor>", "</typeDescriptor><files />"}}, "option \"Recommended\": <files> not expected"},
        {{{"</files>", "</files><files />"}}, "option \"Recommended\": <files> or <conditionFlags> twice"},
        {{{keepFiles, "<conditionFlags /><typeDescriptor>"}},
         "option \"Keep my settings\" <conditionFlags>: no <flag>"},
        {{{"<type name=\"Recommended\" />", "<type name=\"Recommended\" /><type name=\"Optional\" />"}},
         "option \"Recommended\" <typeDescriptor>: <type> not expected"},
        {{{"</plugins>", "</plugins><plugins order=\"Explicit\" />"}}, "group \"Settings\": <plugins> not expected"},
        {{{"<moduleName>Lumora Search Engine</moduleName>", ""},
          {"</requiredInstallFiles>", "</requiredInstallFiles><moduleName>M</moduleName>"}},
         "<config>: <requiredInstallFiles> where <moduleName> must come"},
        {{{"</installSteps>", "</installSteps><installSteps order=\"Explicit\" />"}},
         "<config>: <installSteps> not expected"},
        // What the format allows besides: an image, condition flags alone or before the files.
        {{{"</description>", "</description><image path=\"fomod\\recommended.png\" />"}}, ""},
        {{{keepFiles, flag + "<typeDescriptor>"}}, ""},
        {{{"<files>", flag + "<files>"}}, ""},
    };
    for (const ModelRow& row : rows) {
        std::string text = shipped;
        for (const auto& [from, to] : row.edits) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        }
        std::string error;
        const auto root = parseXml(text, error);
        ASSERT_TRUE(root) << error;
        EXPECT_EQ(readModuleConfig(*root, error).has_value(), *row.error == '\0') << row.error;
        EXPECT_EQ(error, row.error);
    }
}

}  // namespace
