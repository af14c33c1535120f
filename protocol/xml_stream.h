// Writes a document front to back, giving the same text as building the DOM with pugixml and saving
// it raw (format_raw, UTF-8): no tree is built, so a request of many rows costs one output buffer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace qm {

// Elements are added in document order. An element's attributes may be added or replaced, and its
// text added, until its first child element is added; a later attribute raises std::logic_error.
class TXmlStream {
public:
    explicit TXmlStream(std::string& out) : FOut(out) {}
    TXmlStream(const TXmlStream&) = delete;
    TXmlStream& operator=(const TXmlStream&) = delete;

    void Declaration(); // <?xml version="1.0" encoding="utf-8"?>
    // Adds an element as the last child of the element at parentDepth (0: the document); the
    // elements below that are finished. Returns the new element's depth.
    int Open(int parentDepth, std::string_view name);
    // replace: an attribute of the same name keeps its place and takes the value.
    void Attribute(int depth, std::string_view name, std::string_view value, bool replace);
    void Text(int depth, std::string_view value, bool cdata);
    void Finish(); // finishes every open element

private:
    struct TAttr {
        std::size_t NameAt, NameEnd, ValueAt, ValueEnd;
    };
    struct TElement {
        std::string Name;
        bool InContent = false;   // the start tag is finished with '>'
        bool HasChildren = false; // text waiting in Pending counts
        std::string Pending;      // text added before the start tag was finished
        std::vector<TAttr> Attrs; // of the start tag still being written
    };
    TElement& At(int depth);
    void CloseTo(int depth);
    void StartContent(TElement& e);

    std::string& FOut;
    std::vector<TElement> FStack; // kept for reuse: names and lists keep their capacity
    int FDepth = 0;
};

namespace xmlout {
// The escaping pugixml applies when it saves; each stops at a zero byte as pugixml's strings do.
void AppendAttributeValue(std::string& out, std::string_view value);
void AppendText(std::string& out, std::string_view value);
void AppendCData(std::string& out, std::string_view value);
} // namespace xmlout

// A position to write at: an element of a DOM or of a stream. Small values, passed by copy.
struct TDomNode {
    pugi::xml_node Node;
    TDomNode Child(std::string_view name) const;
    void Attribute(std::string_view name, std::string_view value) const;
    void SetAttribute(std::string_view name, std::string_view value) const;
    void Text(std::string_view value, bool cdata) const;
};

struct TStreamNode {
    TXmlStream* Stream;
    int Depth;
    TStreamNode Child(std::string_view name) const { return {Stream, Stream->Open(Depth, name)}; }
    void Attribute(std::string_view name, std::string_view value) const {
        Stream->Attribute(Depth, name, value, false);
    }
    void SetAttribute(std::string_view name, std::string_view value) const {
        Stream->Attribute(Depth, name, value, true);
    }
    void Text(std::string_view value, bool cdata) const { Stream->Text(Depth, value, cdata); }
};

} // namespace qm
