// Reading a galaxy file: one record per line, fields as name=value.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "hostsim/galaxy.h"

namespace hostsim {
namespace {

std::string composeMessage(const std::string& source, int line, const std::string& field, const std::string& problem) {
    std::string message = source + ":" + std::to_string(line) + ": ";
    if (!field.empty()) message += "field '" + field + "': ";
    return message + problem;
}

// One line split into words and name=value fields; quoted texts may hold blanks.
struct LineReader {
    std::string_view text;
    std::size_t pos = 0;
    const std::string& source;
    int line;

    [[noreturn]] void fail(const std::string& field, const std::string& problem) const {
        throw GalaxyFileError(source, line, field, problem);
    }

    void skipBlanks() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r')) ++pos;
    }
    bool atEnd() {
        skipBlanks();
        return pos >= text.size() || text[pos] == '#';
    }
    // A bare word up to a blank or '='.
    std::string_view word() {
        skipBlanks();
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r' && text[pos] != '=')
            ++pos;
        return text.substr(start, pos - start);
    }
    // The value after '=': a quoted text (unescaped) or a bare run up to a blank.
    std::string value(const std::string& field) {
        if (pos < text.size() && text[pos] == '"') return quoted(field);
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r') ++pos;
        const std::string_view bare = text.substr(start, pos - start);
        if (bare.find('\0') != std::string_view::npos) fail(field, "a text cannot hold a zero byte");
        return std::string(bare);
    }
    std::string quoted(const std::string& field) {
        std::string out;
        ++pos;  // opening quote
        while (true) {
            if (pos >= text.size()) fail(field, "text is missing its closing quote");
            const char c = text[pos++];
            if (c == '"') break;
            // The game's texts end at a zero byte, so one written as it is
            // would cut the name short as surely as an escaped one.
            if (c == '\0') fail(field, "a text cannot hold a zero byte");
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (pos >= text.size()) fail(field, "text ends inside an escape");
            const char e = text[pos++];
            if (e == '\\' || e == '"') {
                out.push_back(e);
            } else if (e == 'x') {
                unsigned byte = 0;
                if (pos + 2 > text.size() ||
                    std::from_chars(text.data() + pos, text.data() + pos + 2, byte, 16).ptr != text.data() + pos + 2)
                    fail(field, "\\x needs two hex digits");
                pos += 2;
                if (byte == 0) fail(field, "a text cannot hold a zero byte");
                out.push_back(static_cast<char>(byte));
            } else {
                fail(field, std::string("unknown escape \\") + e);
            }
        }
        if (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r')
            fail(field, "unexpected characters after the closing quote");
        return out;
    }
};

struct FieldParser {
    const LineReader& reader;

    [[noreturn]] void fail(const std::string& field, const std::string& problem) const { reader.fail(field, problem); }

    std::uint64_t number(const std::string& field, const std::string& value, std::uint64_t max) const {
        std::string_view digits = value;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        std::uint64_t result = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result, base);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
            fail(field, "'" + value + "' is not a number");
        if (result > max) fail(field, value + " is out of range");
        return result;
    }
    std::uint32_t id(const std::string& field, const std::string& value) const {
        return static_cast<std::uint32_t>(number(field, value, 0xFFFFFFFFu));
    }
    FormRef ref(const std::string& field, const std::string& value) const {
        if (value == "none") return std::nullopt;
        return id(field, value);
    }
    std::vector<FormRef> refList(const std::string& field, const std::string& value) const {
        std::vector<FormRef> refs;
        if (value.empty()) return refs;
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = value.find(',', start);
            refs.push_back(ref(field, value.substr(start, comma - start)));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        return refs;
    }
    bool flag(const std::string& field, const std::string& value) const {
        if (value == "1") return true;
        if (value == "0") return false;
        fail(field, "'" + value + "' is not 0 or 1");
    }
    std::uint8_t typeCode(const std::string& field, const std::string& value) const {
        static const std::map<std::string, std::uint8_t, std::less<>> aliases = {
            {"keyword", type_code::Keyword},
            {"eligible-base", type_code::EligibleBase},
            {"marker-base", type_code::MarkerBase},
            {"npc", type_code::NpcBase},
            {"body", type_code::Body},
            {"actor", type_code::Actor},
            {"placed", type_code::Placed},
            {"location", type_code::Location},
            {"ship", type_code::Ship},
            {"misc", type_code::Misc}};
        if (auto it = aliases.find(value); it != aliases.end()) return it->second;
        if (value.empty() || (value[0] < '0' || value[0] > '9')) fail(field, "unknown type '" + value + "'");
        return static_cast<std::uint8_t>(number(field, value, 0xFF));
    }
};

void parseFormField(FormRecord& form, const FieldParser& p, const std::string& field, const std::string& v) {
    if (field == "type") form.typeCode = p.typeCode(field, v);
    else if (field == "flags") form.flags = p.id(field, v);
    else if (field == "name") form.name = v;
    else if (field == "parent") form.parent = p.ref(field, v);
    else if (field == "chain") {
        form.chainGiven = true;
        form.chain = p.ref(field, v);
    } else if (field == "base") form.base = p.ref(field, v);
    else if (field == "aux") form.aux = p.ref(field, v);
    else if (field == "named") form.named = p.ref(field, v);
    else if (field == "linked") form.linked = p.ref(field, v);
    else if (field == "alt") form.alt = p.ref(field, v);
    else if (field == "filtered") form.filtered = p.flag(field, v);
    else if (field == "context") form.matchesContext = p.flag(field, v);
    else if (field == "listed") form.listed = p.flag(field, v);
    else if (field == "fault") form.fault = p.flag(field, v);
    else if (field == "matches") {
        for (const FormRef& r : p.refList(field, v)) {
            if (!r) p.fail(field, "'none' cannot be matched");
            form.matches.push_back(*r);
        }
    } else if (field == "keywords") form.keywords = p.refList(field, v);
    else if (field == "marker") {
        if (v == "visible") {
            form.marker = MarkerKind::Flags;
            form.markerFlags = kMarkerVisibleOnStarMap;
        } else if (v == "hidden") {
            form.marker = MarkerKind::Flags;
            form.markerFlags = 0;
        } else if (v == "nodata") form.marker = MarkerKind::NoData;
        else if (!v.empty() && v[0] >= '0' && v[0] <= '9') {
            form.marker = MarkerKind::Flags;
            form.markerFlags = static_cast<std::uint8_t>(p.number(field, v, 0xFF));
        } else p.fail(field, "expected visible, hidden, nodata or a flag byte, not '" + v + "'");
    } else if (field == "displayname") form.displayName = v;
    else if (field == "displayname-flags") form.displayNameFlags = static_cast<std::uint8_t>(p.number(field, v, 0xFF));
    else if (field == "container") form.container = p.flag(field, v) ? ContainerMode::Present : ContainerMode::Absent;
    else p.fail(field, "unknown field");
}

using FieldHandler = std::function<void(const std::string& field, const std::string& value)>;

// Reads every name=value of the rest of the line, refusing repeats.
void readFields(LineReader& reader, const FieldHandler& handle) {
    std::vector<std::string> seen;
    while (!reader.atEnd()) {
        const std::string field(reader.word());
        if (field.empty() || reader.pos >= reader.text.size() || reader.text[reader.pos] != '=')
            reader.fail(field, "expected name=value");
        ++reader.pos;
        for (const std::string& earlier : seen)
            if (earlier == field) reader.fail(field, "given twice");
        seen.push_back(field);
        handle(field, reader.value(field));
    }
}

std::vector<std::string> readWords(LineReader& reader) {
    std::vector<std::string> words;
    while (!reader.atEnd()) {
        std::string word(reader.word());
        if (reader.pos < reader.text.size() && reader.text[reader.pos] == '=')
            reader.fail(word, "a name=value field is not expected here");
        words.push_back(std::move(word));
    }
    return words;
}

struct PendingReference {
    std::uint32_t id;
    int line;
    const char* field;
};

struct ParseState {
    std::vector<std::pair<std::uint32_t, int>> unlisted;
    std::vector<PendingReference> references;  // of player, context, planets

    void note(const FormRef& ref, int line, const char* field) {
        if (ref) references.push_back({*ref, line, field});
    }
};

std::string hexId(std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", id);
    return hex;
}

void parseLine(GalaxyDescription& galaxy, ParseState& state, LineReader& reader) {
    if (reader.atEnd()) return;
    const std::string kind(reader.word());
    const FieldParser p{reader};
    if (kind == "form") {
        const std::string idText(reader.word());
        if (idText.empty()) reader.fail("id", "a form needs an id");
        FormRecord form;
        form.id = p.id("id", idText);
        form.line = reader.line;
        readFields(reader, [&](const std::string& f, const std::string& v) { parseFormField(form, p, f, v); });
        galaxy.forms.push_back(std::move(form));
        return;
    }
    if (kind == "slot") {
        SlotRecord slot;
        slot.line = reader.line;
        bool keyGiven = false, formGiven = false;
        readFields(reader, [&](const std::string& f, const std::string& v) {
            if (f == "key") {
                slot.key = p.id(f, v);
                keyGiven = true;
            } else if (f == "form") {
                slot.form = p.ref(f, v);
                formGiven = true;
            } else p.fail(f, "unknown field");
        });
        if (!keyGiven) reader.fail("key", "a slot needs a key");
        if (!formGiven) reader.fail("form", "a slot needs a form (or none)");
        galaxy.extraSlots.push_back(slot);
        return;
    }
    const std::vector<std::string> words = readWords(reader);
    auto single = [&](const char* what) -> const std::string& {
        if (words.size() != 1) reader.fail(what, std::string("'") + kind + "' takes exactly one value");
        return words[0];
    };
    if (kind == "player") {
        galaxy.player = p.ref("player", single("player"));
        state.note(galaxy.player, reader.line, "player");
    } else if (kind == "context") {
        galaxy.context = p.ref("context", single("context"));
        state.note(galaxy.context, reader.line, "context");
    } else if (kind == "planets") {
        if (words.empty()) reader.fail("planets", "list at least one planet (or none)");
        for (const std::string& w : words) {
            galaxy.planets.push_back(p.ref("planets", w));
            state.note(galaxy.planets.back(), reader.line, "planets");
        }
    } else if (kind == "map") {
        const std::string& w = single("map");
        if (w != "none" && w != "present") reader.fail("map", "expected none or present");
        galaxy.nullAllFormsMap = (w == "none");
    } else if (kind == "registry") {
        const std::string& w = single("registry");
        if (w != "none" && w != "present") reader.fail("registry", "expected none or present");
        galaxy.nullPlanetRegistry = (w == "none");
    } else if (kind == "slots") {
        const std::string& w = single("slots");
        if (w != "ordered" && w != "hashed") reader.fail("slots", "expected ordered or hashed");
        galaxy.slotsInFileOrder = (w == "ordered");
    } else if (kind == "unlist") {
        if (words.empty()) reader.fail("unlist", "name the forms to take out of the map");
        for (const std::string& w : words) state.unlisted.emplace_back(p.id("unlist", w), reader.line);
    } else if (kind == "seed") {
        galaxy.seed = p.number("seed", single("seed"), ~std::uint64_t{0});
    } else {
        reader.fail("", "unknown record '" + kind + "'");
    }
}

}  // namespace

GalaxyFileError::GalaxyFileError(std::string source, int line, std::string field, const std::string& problem)
    : std::runtime_error(composeMessage(source, line, field, problem)),
      source_(std::move(source)),
      line_(line),
      field_(std::move(field)) {}

GalaxyDescription parseGalaxyText(std::string_view text, const std::string& sourceName) {
    GalaxyDescription galaxy;
    ParseState state;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++lineNumber;
        LineReader reader{text.substr(start, end - start), 0, sourceName, lineNumber};
        parseLine(galaxy, state, reader);
        if (end == text.size()) break;
        start = end + 1;
    }
    std::map<std::uint32_t, FormRecord*> byId;
    for (FormRecord& form : galaxy.forms) byId.emplace(form.id, &form);
    for (const auto& [id, line] : state.unlisted) {
        auto it = byId.find(id);
        if (it == byId.end()) throw GalaxyFileError(sourceName, line, "unlist", "no form " + hexId(id));
        it->second->listed = false;
    }
    for (const PendingReference& ref : state.references)
        if (!byId.contains(ref.id)) throw GalaxyFileError(sourceName, ref.line, ref.field, "no form " + hexId(ref.id));
    validateGalaxy(galaxy, sourceName);
    return galaxy;
}

GalaxyDescription loadGalaxyFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw GalaxyFileError(path, 0, "", "cannot open the file");
    std::ostringstream content;
    content << file.rdbuf();
    return parseGalaxyText(content.str(), path);
}

std::string shippedGalaxyDirectory() {
#ifdef HOSTSIM_GALAXY_DIR
    return HOSTSIM_GALAXY_DIR;
#else
    // This file sits in sim/src/ of the source tree; the galaxies sit beside sim/.
    std::string here = __FILE__;
    for (int level = 0; level < 3; ++level) {
        const std::size_t slash = here.find_last_of("/\\");
        if (slash == std::string::npos) return "galaxies";
        here.erase(slash);
    }
    return here + "/galaxies";
#endif
}

}  // namespace hostsim
