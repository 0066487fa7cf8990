#include "xml_reader.h"

#include <cstdint>

namespace release_test {

const std::string* XmlElement::attribute(std::string_view key) const {
    for (const auto& [name, value] : attributes)
        if (name == key) return &value;
    return nullptr;
}

const XmlElement* XmlElement::child(std::string_view childName) const {
    for (const XmlElement& element : children)
        if (element.name == childName) return &element;
    return nullptr;
}

std::vector<const XmlElement*> XmlElement::childrenNamed(std::string_view childName) const {
    std::vector<const XmlElement*> found;
    for (const XmlElement& element : children)
        if (element.name == childName) found.push_back(&element);
    return found;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || byte >= 0x80;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

class Parser {
public:
    Parser(std::string_view text, std::string& error) : m_text(text), m_error(error) {}

    std::optional<XmlElement> document() {
        if (m_text.starts_with("\xEF\xBB\xBF")) m_pos = 3;
        if (m_text.substr(m_pos).starts_with("<?xml") && !skipPast("?>")) return fail("unclosed XML declaration");
        if (!skipMisc()) return std::nullopt;
        if (!peek("<")) return fail("no root element");
        auto root = element();
        if (!root) return std::nullopt;
        if (!skipMisc()) return std::nullopt;
        if (m_pos != m_text.size()) return fail("text after the root element");
        return root;
    }

private:
    std::nullopt_t fail(const std::string& why) {
        std::size_t line = 1;
        for (std::size_t i = 0; i < m_pos && i < m_text.size(); ++i)
            if (m_text[i] == '\n') ++line;
        m_error = "line " + std::to_string(line) + ": " + why;
        return std::nullopt;
    }

    bool peek(std::string_view what) const { return m_text.substr(m_pos).starts_with(what); }

    bool skipPast(std::string_view end) {
        const std::size_t found = m_text.find(end, m_pos);
        if (found == std::string_view::npos) return false;
        m_pos = found + end.size();
        return true;
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos])) ++m_pos;
    }

    // Blanks, comments and processing instructions outside the root.
    bool skipMisc() {
        for (;;) {
            skipBlanks();
            if (peek("<!--")) {
                if (!skipPast("-->")) return fail("unclosed comment"), false;
            } else if (peek("<?")) {
                if (!skipPast("?>")) return fail("unclosed processing instruction"), false;
            } else if (peek("<!")) {
                return fail("document type declarations are not read"), false;
            } else {
                return true;
            }
        }
    }

    std::optional<std::string> name() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && isNameChar(m_text[m_pos])) ++m_pos;
        if (m_pos == start) return fail("a name expected");
        return std::string(m_text.substr(start, m_pos - start));
    }

    // Decodes text up to `stop` (not consumed), resolving references.
    std::optional<std::string> characterData(char stop) {
        std::string out;
        while (m_pos < m_text.size() && m_text[m_pos] != stop) {
            const char c = m_text[m_pos];
            if (c == '<') return fail("'<' in an attribute value");
            if (c != '&') {
                out += c;
                ++m_pos;
                continue;
            }
            const std::size_t end = m_text.find(';', m_pos);
            if (end == std::string_view::npos) return fail("unterminated reference");
            const std::string_view ref = m_text.substr(m_pos + 1, end - m_pos - 1);
            if (ref == "lt") out += '<';
            else if (ref == "gt") out += '>';
            else if (ref == "amp") out += '&';
            else if (ref == "quot") out += '"';
            else if (ref == "apos") out += '\'';
            else if (ref.size() > 1 && ref[0] == '#') {
                const bool hex = ref[1] == 'x';
                const std::string digits(ref.substr(hex ? 2 : 1));
                if (digits.empty() ||
                    digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
                    return fail("bad character reference");
                const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
                if (code == 0 || code > 0x10FFFF) return fail("character reference out of range");
                appendUtf8(out, static_cast<std::uint32_t>(code));
            } else {
                return fail("unknown entity &" + std::string(ref) + ";");
            }
            m_pos = end + 1;
        }
        return out;
    }

    std::optional<XmlElement> element() {
        ++m_pos;  // '<'
        XmlElement current;
        auto elementName = name();
        if (!elementName) return std::nullopt;
        current.name = std::move(*elementName);
        for (;;) {
            const std::size_t before = m_pos;
            skipBlanks();
            if (peek("/>")) {
                m_pos += 2;
                return current;
            }
            if (peek(">")) {
                ++m_pos;
                break;
            }
            if (m_pos == before) return fail("blank expected before an attribute of <" + current.name + ">");
            auto key = name();
            if (!key) return std::nullopt;
            skipBlanks();
            if (!peek("=")) return fail("'=' expected after " + *key);
            ++m_pos;
            skipBlanks();
            if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
                return fail("quoted value expected for " + *key);
            const char quote = m_text[m_pos++];
            auto value = characterData(quote);
            if (!value) return std::nullopt;
            if (m_pos >= m_text.size()) return fail("unclosed value of " + *key);
            ++m_pos;
            if (current.attribute(*key)) return fail("attribute " + *key + " twice");
            current.attributes.emplace_back(std::move(*key), std::move(*value));
        }
        std::string text;
        for (;;) {
            if (m_pos >= m_text.size()) return fail("<" + current.name + "> not closed");
            if (peek("</")) {
                m_pos += 2;
                auto endName = name();
                if (!endName) return std::nullopt;
                if (*endName != current.name) return fail("</" + *endName + "> closes <" + current.name + ">");
                skipBlanks();
                if (!peek(">")) return fail("'>' expected");
                ++m_pos;
                current.text = trimmed(text);
                return current;
            }
            if (peek("<!--")) {
                if (!skipPast("-->")) return fail("unclosed comment");
            } else if (peek("<![CDATA[")) {
                const std::size_t start = m_pos + 9;
                if (!skipPast("]]>")) return fail("unclosed CDATA section");
                text += m_text.substr(start, m_pos - 3 - start);
            } else if (peek("<?")) {
                if (!skipPast("?>")) return fail("unclosed processing instruction");
            } else if (peek("<")) {
                auto nested = element();
                if (!nested) return std::nullopt;
                current.children.push_back(std::move(*nested));
            } else {
                const std::size_t start = m_pos;
                const std::size_t next = m_text.find('<', m_pos);
                const std::size_t end = next == std::string_view::npos ? m_text.size() : next;
                // Text may hold references but no '<'.
                std::string_view raw = m_text.substr(start, end - start);
                if (raw.find('>') != std::string_view::npos && raw.find("]]>") != std::string_view::npos)
                    return fail("']]>' in text");
                Parser inner(raw, m_error);
                auto decoded = inner.characterData('\0');
                if (!decoded) return std::nullopt;
                text += *decoded;
                m_pos = end;
            }
        }
    }

    std::string_view m_text;
    std::string& m_error;
    std::size_t m_pos = 0;
};

}  // namespace

std::optional<XmlElement> parseXml(std::string_view text, std::string& error) { return Parser(text, error).document(); }

}  // namespace release_test
