// Writing a galaxy back as text, in the form the parser reads.
#include <cstdio>

#include "hostsim/galaxy.h"

namespace hostsim {
namespace {

std::string hexId(std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", id);
    return hex;
}

std::string refText(const FormRef& ref) { return ref ? hexId(*ref) : "none"; }

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void appendRef(std::string& line, const char* field, const FormRef& ref) {
    if (ref) line += std::string(" ") + field + "=" + hexId(*ref);
}

std::string formLine(const FormRecord& form) {
    std::string line = "form " + hexId(form.id);
    line += " type=" + hexId(form.typeCode);
    if (form.flags != 0) line += " flags=" + hexId(form.flags);
    if (form.name) line += " name=" + quote(*form.name);
    appendRef(line, "parent", form.parent);
    if (form.chainGiven) line += " chain=" + refText(form.chain);
    appendRef(line, "base", form.base);
    appendRef(line, "aux", form.aux);
    appendRef(line, "named", form.named);
    appendRef(line, "linked", form.linked);
    appendRef(line, "alt", form.alt);
    if (form.filtered) line += " filtered=1";
    if (form.matchesContext) line += " context=1";
    if (!form.matches.empty()) {
        line += " matches=";
        for (std::size_t i = 0; i < form.matches.size(); ++i) line += (i ? "," : "") + hexId(form.matches[i]);
    }
    if (form.keywords) {
        line += " keywords=";
        for (std::size_t i = 0; i < form.keywords->size(); ++i) line += (i ? "," : "") + refText((*form.keywords)[i]);
    }
    if (form.marker == MarkerKind::NoData) line += " marker=nodata";
    if (form.marker == MarkerKind::Flags) line += " marker=" + hexId(form.markerFlags);
    if (form.displayName) line += " displayname=" + quote(*form.displayName);
    if (form.displayNameFlags != 0) line += " displayname-flags=" + hexId(form.displayNameFlags);
    if (form.container == ContainerMode::Present) line += " container=1";
    if (form.container == ContainerMode::Absent) line += " container=0";
    if (!form.listed) line += " listed=0";
    if (form.fault) line += " fault=1";
    return line + "\n";
}

}  // namespace

std::string formatGalaxyText(const GalaxyDescription& galaxy) {
    std::string text = "seed " + std::to_string(galaxy.seed) + "\n";
    if (galaxy.slotsInFileOrder) text += "slots ordered\n";
    for (const FormRecord& form : galaxy.forms) text += formLine(form);
    for (const SlotRecord& slot : galaxy.extraSlots)
        text += "slot key=" + hexId(slot.key) + " form=" + refText(slot.form) + "\n";
    if (galaxy.player) text += "player " + refText(galaxy.player) + "\n";
    if (galaxy.context) text += "context " + refText(galaxy.context) + "\n";
    for (std::size_t i = 0; i < galaxy.planets.size(); i += 16) {
        text += "planets";
        for (std::size_t j = i; j < galaxy.planets.size() && j < i + 16; ++j) text += " " + refText(galaxy.planets[j]);
        text += "\n";
    }
    if (galaxy.nullAllFormsMap) text += "map none\n";
    if (galaxy.nullPlanetRegistry) text += "registry none\n";
    return text;
}

}  // namespace hostsim
