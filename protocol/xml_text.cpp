#include "protocol/xml_text.h"

#include "protocol/errors.h"

namespace qm {

namespace {

bool IsNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// Iterative, so that a deeply nested answer cannot exhaust the stack.
void AppendText(pugi::xml_node element, std::string& out) {
    pugi::xml_node node = element.first_child();
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) out += node.value();
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling() && node != element)
            node = node.parent();
        if (!node || node == element) break;
        node = node.next_sibling();
    }
}

} // namespace

bool IsXmlName(std::string_view name) {
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name.front()))) return false;
    for (char c : name)
        if (!IsNameChar(static_cast<unsigned char>(c))) return false;
    return true;
}

void RequireXmlName(std::string_view name, std::string_view what) {
    if (!IsXmlName(name))
        throw EXmlError("\"" + std::string(name) + "\" is not a valid XML name for " + std::string(what));
}

std::string ElementText(pugi::xml_node element) {
    // The common case, one text node, without building a string twice.
    pugi::xml_node first = element.first_child();
    if (first && !first.next_sibling() &&
        (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return first.value();
    std::string text;
    AppendText(element, text);
    return text;
}

std::string SaveXml(const pugi::xml_document& doc) {
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.text);
}

} // namespace qm
