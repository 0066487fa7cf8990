#include "search/section_lines.h"

#include "search/host_layout.h"

namespace lumora {

std::optional<SectionLineParts> sectionLineParts(const SectionRule& rule, const ResultEntry& entry) {
    if (!rule.makesLine(entry)) return std::nullopt;
    return SectionLineParts{entry.*rule.listedForm, hostFormId(entry.targetForm), entry.*rule.name, entry.*rule.detail,
                            entry.secondaryNameHit, entry.tertiaryNameHit,        entry.targetName};
}

std::string sectionLineText(std::string_view name, std::string_view detail) {
    std::string text;
    text.reserve(name.size() + detail.size() + 4);
    text.append(name).append(" | ").append(detail).push_back('\n');
    return text;
}

}  // namespace lumora
