#include "xml_where.h"

#include <cstring>
#include <vector>

#include <pugixml.hpp>

namespace qm::tool {

namespace {

// Line and column (in characters) of a byte offset, both from 1.
std::string At(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// The elements open at `offset`, by a plain scan of the tags before it.
std::vector<std::string> OpenElements(std::string_view text, std::size_t offset) {
    std::vector<std::string> open;
    std::size_t i = 0;
    auto skipPast = [&](const char* end) {
        const std::size_t p = text.find(end, i);
        i = p == std::string_view::npos ? text.size() : p + std::strlen(end);
    };
    while (i < offset && (i = text.find('<', i)) < offset) {
        const std::string_view rest = text.substr(i);
        if (rest.rfind("<!--", 0) == 0) {
            skipPast("-->");
        } else if (rest.rfind("<![CDATA[", 0) == 0) {
            skipPast("]]>");
        } else if (rest.rfind("<?", 0) == 0 || rest.rfind("<!", 0) == 0) {
            skipPast(">");
        } else {
            const bool closing = rest.size() > 1 && rest[1] == '/';
            std::size_t j = i + (closing ? 2 : 1);
            const std::size_t nameBegin = j;
            while (j < text.size() && !std::strchr(" \t\r\n/>", text[j]) && text[j] != '\0')
                ++j;
            const std::string name(text.substr(nameBegin, j - nameBegin));
            char quote = 0;
            while (j < text.size() && (quote || text[j] != '>')) {
                if (quote && text[j] == quote)
                    quote = 0;
                else if (!quote && (text[j] == '"' || text[j] == '\''))
                    quote = text[j];
                ++j;
            }
            if (j >= offset) break; // the tag the parse stopped in
            if (closing) {
                if (!open.empty()) open.pop_back();
            } else if (text[j - 1] != '/') {
                open.push_back(name);
            }
            i = j + 1;
        }
    }
    return open;
}

std::string Expected(pugi::xml_parse_status status, const std::vector<std::string>& open) {
    switch (status) {
    case pugi::status_end_element_mismatch:
    case pugi::status_bad_end_element:
        return open.empty() ? "" : ", expected </" + open.back() + ">";
    case pugi::status_unrecognized_tag:
        return ", expected an element name after '<'";
    case pugi::status_bad_start_element:
        return ", expected '>' or '/>' to end the tag";
    case pugi::status_bad_attribute:
        return ", expected name=\"value\"";
    case pugi::status_no_document_element:
        return ", expected <quelmar>";
    default:
        return "";
    }
}

std::size_t Offset(pugi::xml_node node) {
    const std::ptrdiff_t p = node.offset_debug();
    return p < 0 ? 0 : static_cast<std::size_t>(p);
}

} // namespace

std::string WhereUnreadable(std::string_view xml) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        const auto offset = static_cast<std::size_t>(parsed.offset);
        return At(xml, offset) + parsed.description() + Expected(parsed.status, OpenElements(xml, offset));
    }
    const pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), "quelmar") != 0)
        return At(xml, Offset(root)) + "the document element is <" + root.name() + ">, expected <quelmar>";
    if (!root.child("status"))
        return At(xml, Offset(root)) + "<quelmar> holds no <status>, expected <status> as its first child";
    // A recordset whose rows come without the field list they are read by.
    for (const pugi::xpath_node& found :
         doc.select_nodes("//rs[translate(@typ,'RECODST','recodst')='recordset']")) {
        const pugi::xml_node rs = found.node();
        if (rs.attribute("fields")) continue;
        for (pugi::xml_node row = rs.first_child(); row; row = row.next_sibling())
            if (row.type() == pugi::node_element && !row.attribute("rn"))
                return At(xml, Offset(row)) + "a data row of recordset \"" + rs.attribute("tbname").value() +
                       "\" without a field list, expected fields=\"NAME:TYPE:SIZE ...\" on its <rs>";
    }
    return {};
}

} // namespace qm::tool
