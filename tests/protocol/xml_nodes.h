// A document flattened to its nodes in document order, for comparing requests node by node.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace qm::test {

struct Node {
    std::string name; // "?xml" for the declaration, "#text"/"#cdata" for text
    int parent;       // index of the parent node; 0 is the document
    std::vector<std::pair<std::string, std::string>> attrs; // or {"", value} for text
    bool operator==(const Node&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Node& n) {
    os << n.name << " (in " << n.parent << ")";
    for (const auto& [k, v] : n.attrs)
        os << ' ' << k << "=\"" << v << '"';
    return os;
}

// Nodes numbered from 1 in document order.
inline std::vector<Node> Flatten(const std::string& text) {
    pugi::xml_document doc;
    const auto ok = doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_declaration);
    if (!ok) return {{"PARSE ERROR", 0, {{ok.description(), ""}}}};
    std::vector<Node> nodes;
    auto walk = [&](auto& self, pugi::xml_node parent, int parentIndex) -> void {
        for (pugi::xml_node n : parent.children()) {
            Node node{n.name(), parentIndex, {}};
            if (n.type() == pugi::node_declaration) node.name = "?xml";
            if (n.type() == pugi::node_pcdata) node = {"#text", parentIndex, {{"", n.value()}}};
            if (n.type() == pugi::node_cdata) node = {"#cdata", parentIndex, {{"", n.value()}}};
            for (pugi::xml_attribute a : n.attributes())
                node.attrs.emplace_back(a.name(), a.value());
            nodes.push_back(node);
            self(self, n, static_cast<int>(nodes.size()));
        }
    };
    walk(walk, doc, 0);
    return nodes;
}

} // namespace qm::test
