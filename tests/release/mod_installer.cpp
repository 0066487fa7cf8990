#include "mod_installer.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace release_test {
namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Backslashes or slashes, no empty parts: "Obrix\Plugins\" and "/Obrix/Plugins" alike.
std::vector<std::string> pathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "/") {
        if (c == '/' || c == '\\') {
            if (!part.empty() && part != ".") parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

std::string joinParts(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& root, const std::string& relative) {
    std::filesystem::path at = root;
    for (const std::string& part : pathParts(relative)) {
        if (part == "..") return std::nullopt;  // never outside the archive
        std::optional<std::filesystem::path> match;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(at, ignored))
            if (lowerAscii(entry.path().filename().string()) == lowerAscii(part)) match = entry.path();
        if (!match) return std::nullopt;
        at = *match;
    }
    return at;
}

// One step of an element's content model: `min` to `max` children in a row
// whose names are among `names`.
struct Particle {
    std::vector<std::string> names;
    std::size_t min = 1;
    std::size_t max = 1;
};
constexpr std::size_t kUnbounded = ~std::size_t{0};

std::string namesOf(const Particle& particle) {
    std::string joined;
    for (const std::string& name : particle.names) joined += (joined.empty() ? "<" : " or <") + name + ">";
    return joined;
}

// The children in the order and numbers of the sequence, nothing else.
bool followsModel(const XmlElement& element, const std::string& where, const std::vector<Particle>& model,
                  std::string& error) {
    std::size_t at = 0;
    for (const Particle& particle : model) {
        std::size_t count = 0;
        while (at < element.children.size() && count < particle.max &&
               std::find(particle.names.begin(), particle.names.end(), element.children[at].name) !=
                   particle.names.end()) {
            ++at;
            ++count;
        }
        if (count >= particle.min) continue;
        error = at < element.children.size()
                    ? where + ": <" + element.children[at].name + "> where " + namesOf(particle) + " must come"
                    : where + ": no " + namesOf(particle);
        return false;
    }
    if (at == element.children.size()) return true;
    error = where + ": <" + element.children[at].name + "> not expected";
    return false;
}

std::string quotedName(const XmlElement& element, const char* kind) {
    const std::string* name = element.attribute("name");
    return std::string(kind) + " \"" + (name ? *name : "") + "\"";
}

// An option: its description, maybe an image, then files or condition flags
// or both (either first, neither twice), then its type.
bool optionFollowsModel(const XmlElement& plugin, std::string& error) {
    const std::string where = quotedName(plugin, "option");
    if (!followsModel(plugin, where,
                      {{{"description"}},
                       {{"image"}, 0},
                       {{"files", "conditionFlags"}},
                       {{"files", "conditionFlags"}, 0},
                       {{"typeDescriptor"}}},
                      error))
        return false;
    if (plugin.childrenNamed("files").size() > 1 || plugin.childrenNamed("conditionFlags").size() > 1) {
        error = where + ": <files> or <conditionFlags> twice";
        return false;
    }
    const XmlElement& descriptor = *plugin.child("typeDescriptor");
    if (!followsModel(descriptor, where + " <typeDescriptor>", {{{"type"}}}, error)) return false;
    if (const XmlElement* flags = plugin.child("conditionFlags"))
        if (!followsModel(*flags, where + " <conditionFlags>", {{{"flag"}, 1, kUnbounded}}, error)) return false;
    return true;
}

std::optional<std::vector<InstallEntry>> readEntries(const XmlElement* list, std::string& error) {
    std::vector<InstallEntry> entries;
    if (list == nullptr) return entries;
    for (const XmlElement& item : list->children) {
        if (item.name != "file" && item.name != "folder") {
            error = "<" + item.name + "> in <" + list->name + ">";
            return std::nullopt;
        }
        if (!item.children.empty()) {
            error = "<" + item.children[0].name + "> in <" + item.name + ">";
            return std::nullopt;
        }
        const std::string* source = item.attribute("source");
        if (source == nullptr || source->empty()) {
            error = "<" + item.name + "> without a source";
            return std::nullopt;
        }
        InstallEntry entry{item.name == "folder", *source, "", 0};
        if (const std::string* destination = item.attribute("destination")) entry.destination = *destination;
        if (const std::string* priority = item.attribute("priority")) entry.priority = std::stoi(*priority);
        entries.push_back(std::move(entry));
    }
    return entries;
}

const char* const kGroupTypes[] = {"SelectExactlyOne", "SelectAtMostOne", "SelectAtLeastOne", "SelectAll", "SelectAny"};
const char* const kOptionTypes[] = {"Required", "Recommended", "Optional", "CouldBeUsable", "NotUsable"};

template <typename List>
bool oneOf(const std::string& value, const List& list) {
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

std::optional<OptionGroup> readGroup(const XmlElement& element, std::string& error) {
    OptionGroup group;
    group.name = element.attribute("name") ? *element.attribute("name") : "";
    group.type = element.attribute("type") ? *element.attribute("type") : "";
    if (!oneOf(group.type, kGroupTypes)) {
        error = "group \"" + group.name + "\" of unknown type \"" + group.type + "\"";
        return std::nullopt;
    }
    const std::string where = quotedName(element, "group");
    if (!followsModel(element, where, {{{"plugins"}}}, error)) return std::nullopt;
    const XmlElement* plugins = element.child("plugins");
    if (!followsModel(*plugins, where + " <plugins>", {{{"plugin"}, 1, kUnbounded}}, error)) return std::nullopt;
    for (const XmlElement* plugin : plugins->childrenNamed("plugin")) {
        if (!optionFollowsModel(*plugin, error)) return std::nullopt;
        InstallerOption option;
        option.name = plugin->attribute("name") ? *plugin->attribute("name") : "";
        if (const XmlElement* description = plugin->child("description")) option.description = description->text;
        const XmlElement* descriptor = plugin->child("typeDescriptor");
        const XmlElement* type = descriptor ? descriptor->child("type") : nullptr;
        if (type == nullptr || type->attribute("name") == nullptr || !oneOf(*type->attribute("name"), kOptionTypes)) {
            error = "option \"" + option.name + "\" without a known <typeDescriptor><type name>";
            return std::nullopt;
        }
        option.type = *type->attribute("name");
        auto files = readEntries(plugin->child("files"), error);
        if (!files) return std::nullopt;
        option.files = std::move(*files);
        group.options.push_back(std::move(option));
    }
    return group;
}

bool exactlyOneAllowed(const OptionGroup& group) { return group.type == "SelectExactlyOne"; }

}  // namespace

std::optional<ModuleConfig> readModuleConfig(const XmlElement& root, std::string& error) {
    if (root.name != "config") {
        error = "root element <" + root.name + ">, not <config>";
        return std::nullopt;
    }
    // The 5.0 schema's order and numbers; a manager that validates refuses
    // anything else and installs nothing.
    if (!followsModel(root, "<config>",
                      {{{"moduleName"}},
                       {{"moduleImage"}, 0},
                       {{"moduleDependencies"}, 0},
                       {{"requiredInstallFiles"}, 0},
                       {{"installSteps"}, 0},
                       {{"conditionalFileInstalls"}, 0}},
                      error))
        return std::nullopt;
    ModuleConfig config;
    config.moduleName = root.child("moduleName")->text;
    auto required = readEntries(root.child("requiredInstallFiles"), error);
    if (!required) return std::nullopt;
    config.requiredFiles = std::move(*required);
    if (const XmlElement* steps = root.child("installSteps")) {
        if (!followsModel(*steps, "<installSteps>", {{{"installStep"}, 1, kUnbounded}}, error)) return std::nullopt;
        for (const XmlElement* step : steps->childrenNamed("installStep")) {
            InstallerPage page;
            page.name = step->attribute("name") ? *step->attribute("name") : "";
            const std::string where = quotedName(*step, "page");
            if (!followsModel(*step, where, {{{"optionalFileGroups"}}}, error)) return std::nullopt;
            const XmlElement* groups = step->child("optionalFileGroups");
            if (!followsModel(*groups, where + " <optionalFileGroups>", {{{"group"}, 1, kUnbounded}}, error))
                return std::nullopt;
            for (const XmlElement* element : groups->childrenNamed("group")) {
                auto group = readGroup(*element, error);
                if (!group) return std::nullopt;
                page.groups.push_back(std::move(*group));
            }
            config.pages.push_back(std::move(page));
        }
    }
    return config;
}

std::vector<const InstallerOption*> defaultChoice(const OptionGroup& group) {
    std::vector<const InstallerOption*> chosen;
    for (const InstallerOption& option : group.options)
        if (option.type == "Required" || group.type == "SelectAll") chosen.push_back(&option);
    if (!chosen.empty() && group.type != "SelectAny") return chosen;
    for (const InstallerOption& option : group.options)
        if (option.type == "Recommended") chosen.push_back(&option);
    if (chosen.empty() && (exactlyOneAllowed(group) || group.type == "SelectAtLeastOne")) {
        for (const InstallerOption& option : group.options)
            if (option.type != "NotUsable") {
                chosen.push_back(&option);
                break;
            }
    }
    if (exactlyOneAllowed(group) && chosen.size() > 1) chosen.resize(1);
    return chosen;
}

std::optional<InstallPlan> planInstall(const ModuleConfig& config, const std::filesystem::path& archiveRoot,
                                       const std::map<std::string, std::string>& choices, std::string& error) {
    std::vector<InstallEntry> entries = config.requiredFiles;
    for (const auto& [pageName, optionName] : choices) {
        const bool known = std::any_of(config.pages.begin(), config.pages.end(),
                                       [&](const InstallerPage& page) { return page.name == pageName; });
        if (!known) {
            error = "no page \"" + pageName + "\"";
            return std::nullopt;
        }
    }
    for (const InstallerPage& page : config.pages) {
        const auto choice = choices.find(page.name);
        bool offered = choice == choices.end();
        for (const OptionGroup& group : page.groups) {
            std::vector<const InstallerOption*> chosen = defaultChoice(group);
            if (choice != choices.end()) {
                auto named = std::find_if(group.options.begin(), group.options.end(),
                                          [&](const InstallerOption& option) { return option.name == choice->second; });
                if (named != group.options.end()) {
                    if (named->type == "NotUsable") {
                        error = "option \"" + named->name + "\" cannot be chosen";
                        return std::nullopt;
                    }
                    offered = true;
                    if (exactlyOneAllowed(group) || group.type == "SelectAtMostOne") chosen.clear();
                    if (std::find(chosen.begin(), chosen.end(), &*named) == chosen.end()) chosen.push_back(&*named);
                }
            }
            if (exactlyOneAllowed(group) && chosen.size() != 1) {
                error = "group \"" + group.name + "\" must have exactly one option chosen";
                return std::nullopt;
            }
            for (const InstallerOption* option : chosen)
                entries.insert(entries.end(), option->files.begin(), option->files.end());
        }
        if (!offered) {
            error = "page \"" + page.name + "\" offers no option \"" + choice->second + "\"";
            return std::nullopt;
        }
    }

    // Later entries win at equal priority, a higher priority wins always.
    struct Written {
        Placement placement;
        int priority;
    };
    std::map<std::string, Written> byDestination;
    InstallPlan plan;
    auto place = [&](const std::vector<std::string>& destinationParts, const std::filesystem::path& source,
                     int priority) {
        const std::string destination = joinParts(destinationParts);
        const std::string key = lowerAscii(destination);
        auto existing = byDestination.find(key);
        if (existing != byDestination.end()) {
            plan.overwritten.push_back(destination);
            if (existing->second.priority > priority) return;
        }
        byDestination[key] = {{destination, source}, priority};
    };
    for (const InstallEntry& entry : entries) {
        const auto source = findIgnoringCase(archiveRoot, entry.source);
        if (!source ||
            (entry.folder ? !std::filesystem::is_directory(*source) : !std::filesystem::is_regular_file(*source))) {
            error = std::string(entry.folder ? "folder" : "file") + " \"" + entry.source + "\" not in the archive";
            return std::nullopt;
        }
        const std::vector<std::string> destination = pathParts(entry.destination);
        if (std::find(destination.begin(), destination.end(), "..") != destination.end()) {
            error = "destination \"" + entry.destination + "\" leaves the data folder";
            return std::nullopt;
        }
        if (!entry.folder) {
            // An empty destination puts the file under its own name in the data folder.
            place(destination.empty() ? std::vector<std::string>{source->filename().string()} : destination, *source,
                  entry.priority);
            continue;
        }
        std::vector<std::filesystem::path> inside;
        for (const auto& item : std::filesystem::recursive_directory_iterator(*source))
            if (item.is_regular_file()) inside.push_back(item.path());
        std::sort(inside.begin(), inside.end());
        for (const auto& file : inside) {
            std::vector<std::string> parts = destination;
            for (const auto& part : std::filesystem::relative(file, *source)) parts.push_back(part.string());
            place(parts, file, entry.priority);
        }
    }
    for (auto& [key, written] : byDestination) plan.files.push_back(std::move(written.placement));
    return plan;
}

void placeFiles(const InstallPlan& plan, const std::filesystem::path& gameFolder) {
    for (const Placement& placement : plan.files) {
        const std::filesystem::path target = gameFolder / "Data" / std::filesystem::path(placement.destination);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(placement.source, target, std::filesystem::copy_options::overwrite_existing);
    }
}

std::optional<std::string> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace release_test
