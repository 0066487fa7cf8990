#pragma once
// A small XML reader for the mod managers' installer files: elements,
// attributes, text, comments, the XML declaration, CDATA and the predefined
// and numeric character references. No DTDs, no namespaces beyond keeping
// prefixed names as they are written.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace release_test {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::string text;                                             // the element's own text, trimmed
    std::vector<XmlElement> children;

    const std::string* attribute(std::string_view key) const;
    const XmlElement* child(std::string_view childName) const;  // the first of that name
    std::vector<const XmlElement*> childrenNamed(std::string_view childName) const;
};

// The root element, or nullopt with `error` saying where the text is not
// well-formed XML of this subset.
std::optional<XmlElement> parseXml(std::string_view text, std::string& error);

}  // namespace release_test
