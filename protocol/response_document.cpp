#include "protocol/response_document.h"

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "platform/platform.h"
#include "protocol/answer_sink.h"
#include "protocol/xml_text.h"

namespace qm {

namespace {

// About a millisecond of parsing.
constexpr std::size_t kParseAsideBytes = 256 * 1024;

using answer::TAttributes;

// Every element named rs, in document order, with the number of elements directly inside it;
// walked without recursion, and only once: a long answer is mostly rows.
struct FoundRs {
    pugi::xml_node node;
    std::size_t elements;
};

std::vector<FoundRs> CollectRs(const pugi::xml_document& doc) {
    std::vector<FoundRs> found;
    std::vector<int> inside{-1}; // per open level: the found rs whose children it holds, or -1
    pugi::xml_node node = doc.first_child();
    while (node) {
        ProcessMessages(); // a search answer holds a hundred thousand elements
        int self = -1;
        if (node.type() == pugi::node_element) {
            if (inside.back() >= 0) ++found[static_cast<std::size_t>(inside.back())].elements;
            if (std::strcmp(node.name(), "rs") == 0) {
                self = static_cast<int>(found.size());
                found.push_back({node, 0});
            }
        }
        if (pugi::xml_node child = node.first_child()) {
            inside.push_back(self);
            node = child;
            continue;
        }
        pugi::xml_node next = node.next_sibling();
        while (!next) {
            node = node.parent();
            if (!node) break;
            inside.pop_back();
            next = node.next_sibling();
        }
        node = next;
    }
    return found;
}

// An element's attributes, read once in document order: a lookup by name in pugixml compares
// every attribute again, and each access is a call into the library.
const TAttributes& ReadAttributes(pugi::xml_node element, TAttributes& out) {
    out.clear();
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
        out.push_back({a.name(), a.value()});
    return out;
}

std::optional<std::string> TextOf(pugi::xml_node element) {
    return element ? std::optional<std::string>(ElementText(element)) : std::nullopt;
}

void Tell(const pugi::xml_document& doc, TAnswerSink& sink) {
    const pugi::xml_node status = doc.child("quelmar").child("status");
    if (!status) return;
    sink.Status(TextOf(status.child("code")), TextOf(status.child("info")));
    TAttributes attrs;
    for (const auto& [rs, elements] : CollectRs(doc)) {
        if (!sink.BeginRs(ReadAttributes(rs, attrs), elements)) {
            sink.Text(ElementText(rs));
        } else {
            for (pugi::xml_node row = rs.first_child(); row; row = row.next_sibling())
                if (row.type() == pugi::node_element) sink.Row(ReadAttributes(row, attrs));
        }
        sink.EndRs();
    }
}

// The parse is one step that cannot yield: a long answer is parsed beside the window, which keeps
// its messages running meanwhile; a short one is not worth a thread.
bool Parse(std::string_view text, const std::function<bool()>& parse) {
    // XML has no character zero; the parser would take one for the end of the text.
    if (std::memchr(text.data(), '\0', text.size())) return false;
    ProcessMessagesIfDue();
    bool parsed = false;
    if (text.size() >= kParseAsideBytes)
        RunAside([&] { parsed = parse(); });
    else
        parsed = parse();
    ProcessMessagesIfDue();
    return parsed;
}

} // namespace

bool TokenizeDocument(std::string_view text, TAnswerSink& sink) {
    pugi::xml_document doc;
    if (!Parse(text, [&] {
            return bool(doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }))
        return false;
    Tell(doc, sink);
    return true;
}

bool TokenizeDocumentInPlace(std::string& text, TAnswerSink& sink) {
    pugi::xml_document doc;
    if (!Parse(text, [&] {
            return bool(
                doc.load_buffer_inplace(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8));
        }))
        return false;
    Tell(doc, sink);
    return true;
}

} // namespace qm
