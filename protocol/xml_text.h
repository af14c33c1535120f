// Small helpers over pugixml shared by the request writer and the response reader.
#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace qm {

// True when name can stand as an XML element or attribute name.
bool IsXmlName(std::string_view name);
// Raises EXmlError naming what the name was for when it is not an XML name.
void RequireXmlName(std::string_view name, std::string_view what);

// The concatenated text of everything inside the element (text and CDATA, at any depth).
std::string ElementText(pugi::xml_node element);

// The document as UTF-8 text, without added whitespace.
std::string SaveXml(const pugi::xml_document& doc);

} // namespace qm
