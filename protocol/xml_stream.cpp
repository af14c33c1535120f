#include "protocol/xml_stream.h"

#include <stdexcept>

namespace qm {

namespace {

// pugixml keeps values as zero-terminated strings.
std::string_view UpToZero(std::string_view text) {
    const std::size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

// An empty name is saved as pugixml saves a node without one.
std::string_view SavedName(std::string_view name) {
    name = UpToZero(name);
    return name.empty() ? std::string_view(":anonymous") : name;
}

void AppendCharRef(std::string& out, unsigned char c) {
    const char ref[5] = {'&', '#', static_cast<char>('0' + c / 10), static_cast<char>('0' + c % 10), ';'};
    out.append(ref, 5);
}

// Copies runs of plain bytes at once; special(c) picks the bytes that need a reference.
template <class Special, class Escape>
void AppendEscaped(std::string& out, std::string_view value, Special special, Escape escape) {
    value = UpToZero(value);
    std::size_t plain = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (!special(c)) continue;
        out.append(value.data() + plain, i - plain);
        escape(c);
        plain = i + 1;
    }
    out.append(value.data() + plain, value.size() - plain);
}

} // namespace

namespace xmlout {

void AppendAttributeValue(std::string& out, std::string_view value) {
    AppendEscaped(
        out, value, [](unsigned char c) { return c < 32 || c == '&' || c == '<' || c == '"'; },
        [&out](unsigned char c) {
            if (c == '&')
                out += "&amp;";
            else if (c == '<')
                out += "&lt;";
            else if (c == '"')
                out += "&quot;";
            else
                AppendCharRef(out, c);
        });
}

void AppendText(std::string& out, std::string_view value) {
    AppendEscaped(
        out, value,
        [](unsigned char c) {
            return (c < 32 && c != '\t' && c != '\n' && c != '\r') || c == '&' || c == '<' || c == '>';
        },
        [&out](unsigned char c) {
            if (c == '&')
                out += "&amp;";
            else if (c == '<')
                out += "&lt;";
            else if (c == '>')
                out += "&gt;";
            else
                AppendCharRef(out, c);
        });
}

void AppendCData(std::string& out, std::string_view value) {
    value = UpToZero(value);
    out += "<![CDATA[";
    // "]]>" would end the section: it is split across two sections.
    for (std::size_t end; (end = value.find("]]>")) != std::string_view::npos;) {
        out.append(value.data(), end + 2);
        out += "]]><![CDATA[";
        value.remove_prefix(end + 2);
    }
    out.append(value);
    out += "]]>";
}

} // namespace xmlout

void TXmlStream::Declaration() {
    FOut += "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
}

TXmlStream::TElement& TXmlStream::At(int depth) {
    if (depth < 1 || depth > FDepth) throw std::logic_error("XML stream: the element is already finished");
    return FStack[static_cast<std::size_t>(depth - 1)];
}

void TXmlStream::StartContent(TElement& e) {
    FOut += '>';
    FOut += e.Pending;
    e.Pending.clear();
    e.Attrs.clear();
    e.InContent = true;
}

void TXmlStream::CloseTo(int depth) {
    while (FDepth > depth) {
        TElement& e = FStack[static_cast<std::size_t>(FDepth - 1)];
        if (!e.InContent && !e.HasChildren) {
            FOut += "/>";
        } else {
            if (!e.InContent) StartContent(e);
            FOut += "</";
            FOut += e.Name;
            FOut += '>';
        }
        --FDepth;
    }
}

int TXmlStream::Open(int parentDepth, std::string_view name) {
    CloseTo(parentDepth);
    if (parentDepth > 0) {
        TElement& parent = At(parentDepth);
        parent.HasChildren = true;
        if (!parent.InContent) StartContent(parent);
    }
    if (FStack.size() <= static_cast<std::size_t>(FDepth)) FStack.emplace_back();
    TElement& e = FStack[static_cast<std::size_t>(FDepth++)];
    e.Name.assign(SavedName(name));
    e.InContent = e.HasChildren = false;
    e.Pending.clear();
    e.Attrs.clear();
    FOut += '<';
    FOut += e.Name;
    return FDepth;
}

void TXmlStream::Attribute(int depth, std::string_view name, std::string_view value, bool replace) {
    TElement& e = At(depth);
    if (e.InContent || depth != FDepth)
        throw std::logic_error("XML stream: attribute after the element's content");
    name = SavedName(name);
    if (replace) {
        for (std::size_t k = 0; k < e.Attrs.size(); ++k) {
            TAttr& a = e.Attrs[k];
            if (std::string_view(FOut).substr(a.NameAt, a.NameEnd - a.NameAt) != name) continue;
            std::string escaped;
            xmlout::AppendAttributeValue(escaped, value);
            const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(escaped.size()) -
                                         static_cast<std::ptrdiff_t>(a.ValueEnd - a.ValueAt);
            FOut.replace(a.ValueAt, a.ValueEnd - a.ValueAt, escaped);
            a.ValueEnd = a.ValueAt + escaped.size();
            for (std::size_t j = k + 1; j < e.Attrs.size(); ++j) {
                e.Attrs[j].NameAt += static_cast<std::size_t>(shift);
                e.Attrs[j].NameEnd += static_cast<std::size_t>(shift);
                e.Attrs[j].ValueAt += static_cast<std::size_t>(shift);
                e.Attrs[j].ValueEnd += static_cast<std::size_t>(shift);
            }
            return;
        }
    }
    TAttr a{};
    FOut += ' ';
    a.NameAt = FOut.size();
    FOut += name;
    a.NameEnd = FOut.size();
    FOut += "=\"";
    a.ValueAt = FOut.size();
    xmlout::AppendAttributeValue(FOut, value);
    a.ValueEnd = FOut.size();
    FOut += '"';
    e.Attrs.push_back(a);
}

void TXmlStream::Text(int depth, std::string_view value, bool cdata) {
    CloseTo(depth);
    TElement& e = At(depth);
    e.HasChildren = true;
    std::string& to = e.InContent ? FOut : e.Pending;
    if (cdata)
        xmlout::AppendCData(to, value);
    else
        xmlout::AppendText(to, value);
}

void TXmlStream::Finish() {
    CloseTo(0);
}

// ---------------------------------------------------------------- the same through pugixml's DOM

TDomNode TDomNode::Child(std::string_view name) const {
    return {pugi::xml_node(Node).append_child(std::string(name).c_str())};
}

void TDomNode::Attribute(std::string_view name, std::string_view value) const {
    value = UpToZero(value);
    pugi::xml_node(Node).append_attribute(std::string(name).c_str()).set_value(value.data(), value.size());
}

void TDomNode::SetAttribute(std::string_view name, std::string_view value) const {
    const std::string n(name);
    pugi::xml_attribute attr = Node.attribute(n.c_str());
    if (!attr) attr = pugi::xml_node(Node).append_attribute(n.c_str());
    value = UpToZero(value);
    attr.set_value(value.data(), value.size());
}

void TDomNode::Text(std::string_view value, bool cdata) const {
    value = UpToZero(value);
    pugi::xml_node(Node)
        .append_child(cdata ? pugi::node_cdata : pugi::node_pcdata)
        .set_value(value.data(), value.size());
}

} // namespace qm
