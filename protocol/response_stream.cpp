#include "protocol/response_stream.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "protocol/answer_sink.h"

namespace qm {

namespace {

// Thrown where the text leaves the subset; the DOM reader then decides.
struct TUnsupported {};

[[noreturn]] void Unsupported() {
    throw TUnsupported{};
}

inline unsigned Unit(char c) {
    return static_cast<unsigned char>(c);
}
inline unsigned Unit(char16_t c) {
    return c;
}

inline bool IsSpace(unsigned c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
inline bool IsNameStart(unsigned c) {
    return (c | 0x20) - 'a' < 26 || c == '_' || c == ':' || c >= 0x80;
}
inline bool IsNameChar(unsigned c) {
    return IsNameStart(c) || c - '0' < 10 || c == '-' || c == '.';
}

// ASCII units that end a plain run of an attribute value or of text. Raw tabs and line ends in a
// value are normalised by the DOM, and a zero ends its strings: both are left to it.
struct TStops {
    bool value[128] = {};
    bool text[128] = {};
    constexpr TStops() {
        for (const char c : {'&', '<', '"', '\'', '\t', '\n', '\r', '\0'})
            value[static_cast<unsigned>(c)] = true;
        for (const char c : {'&', '<', '\r', '\0'})
            text[static_cast<unsigned>(c)] = true;
    }
};
constexpr TStops kStops;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendRun(std::string& out, const char* from, const char* to) {
    out.append(from, to);
}

// As the whole text's conversion would give it: a run never splits a pair, since runs end at ASCII.
void AppendRun(std::string& out, const char16_t* from, const char16_t* to) {
    while (from < to) {
        const char16_t* ascii = from;
        while (ascii < to && *ascii < 0x80)
            ++ascii;
        if (ascii > from) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(ascii - from));
            for (char* w = out.data() + at; from < ascii; ++from)
                *w++ = static_cast<char>(*from);
            continue;
        }
        char32_t cp = *from++;
        if (cp >= 0xD800 && cp <= 0xDBFF && from < to && *from >= 0xDC00 && *from <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (*from++ - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
}

// Elements a response row may start with, counted up to the first end tag: room for the rows. A
// million rows take tens of milliseconds to count: messages run meanwhile.
std::size_t CountStartTags(const char* p, const char* end) {
    std::size_t count = 0;
    while (const void* hit = std::memchr(p, '<', static_cast<std::size_t>(end - p))) {
        ProcessMessages();
        p = static_cast<const char*>(hit) + 1;
        if (p < end && *p == '/') break;
        ++count;
    }
    return count;
}

std::size_t CountStartTags(const char16_t* p, const char16_t* end) {
    // memchr is far faster than a loop over units: look for the byte and check the unit it is in.
    const auto* bytes = reinterpret_cast<const unsigned char*>(p);
    const std::size_t size = static_cast<std::size_t>(end - p) * 2;
    std::size_t count = 0;
    std::size_t at = 0;
    while (const void* hit = std::memchr(bytes + at, '<', size - at)) {
        ProcessMessages();
        const std::size_t byte = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - bytes);
        at = byte + 1;
        const char16_t* unit = p + byte / 2;
        if (*unit != u'<') continue;
        if (unit + 1 < end && unit[1] == u'/') break;
        ++count;
        at = (byte / 2 + 1) * 2;
    }
    return count;
}

using answer::TAttributes;

template <class Char> class TReader {
public:
    TReader(TAnswerSink& sink, std::basic_string_view<Char> text)
        : FSink(sink), p(text.data()), end(text.data() + text.size()) {}

    bool Run() {
        try {
            ReadDocument();
        } catch (const TUnsupported&) {
            return false;
        }
        return true;
    }

private:
    // An element's name as it stands in the text.
    struct TName {
        const Char* From;
        const Char* To;
        bool Is(std::string_view word) const {
            if (static_cast<std::size_t>(To - From) != word.size()) return false;
            for (std::size_t i = 0; i < word.size(); ++i)
                if (Unit(From[i]) != static_cast<unsigned char>(word[i])) return false;
            return true;
        }
        bool Same(const TName& other) const {
            return To - From == other.To - other.From && std::equal(From, To, other.From);
        }
    };
    // An attribute's name or value: in the text itself, or decoded into FArena.
    struct TSpan {
        const char* Text; // null: at Offset in FArena
        std::size_t Offset, Size;
    };

    bool At(char c) const { return p < end && Unit(*p) == static_cast<unsigned char>(c); }
    bool AtWord(std::string_view word) const {
        if (static_cast<std::size_t>(end - p) < word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (Unit(p[i]) != static_cast<unsigned char>(word[i])) return false;
        return true;
    }
    void Expect(char c) {
        if (!At(c)) Unsupported();
        ++p;
    }
    void SkipSpace() {
        while (p < end && IsSpace(Unit(*p)))
            ++p;
    }

    void ReadDocument() {
        // Only the leading declaration, which says nothing the reader needs.
        if (AtWord("<?xml") && end - p > 5 && IsSpace(Unit(p[5]))) {
            p += 6;
            while (!AtWord("?>")) {
                if (p == end || Unit(*p) == 0) Unsupported();
                ++p;
            }
            p += 2;
        }
        SkipSpace();
        TName root{};
        const bool empty = ReadStartTag(root);
        if (!root.Is("quelmar")) Unsupported();
        if (!empty) ReadQuelmar(root);
        SkipSpace();
        if (p != end) Unsupported();
    }

    // At '<' of a start tag: reads the name and the attributes into FAttrs; true when it closes itself.
    bool ReadStartTag(TName& name) {
        Expect('<');
        name.From = p;
        if (p == end || !IsNameStart(Unit(*p))) Unsupported();
        while (p < end && IsNameChar(Unit(*p)))
            ++p;
        name.To = p;
        FArena.clear();
        FSpans.clear();
        bool empty = false;
        for (;;) {
            const Char* before = p;
            SkipSpace();
            if (At('/')) {
                ++p;
                Expect('>');
                empty = true;
                break;
            }
            if (At('>')) {
                ++p;
                break;
            }
            if (p == before) Unsupported(); // attributes stand apart
            ReadAttribute();
        }
        FAttrs.clear();
        for (std::size_t i = 0; i < FSpans.size(); i += 2)
            FAttrs.push_back({View(FSpans[i]), View(FSpans[i + 1])});
        return empty;
    }

    std::string_view View(const TSpan& s) const {
        return s.Text ? std::string_view(s.Text, s.Size) : std::string_view(FArena.data() + s.Offset, s.Size);
    }

    void ReadAttribute() {
        const Char* from = p;
        if (p == end || !IsNameStart(Unit(*p))) Unsupported();
        while (p < end && IsNameChar(Unit(*p)))
            ++p;
        FSpans.push_back(Keep(from, p));
        SkipSpace();
        Expect('=');
        SkipSpace();
        if (!At('"') && !At('\'')) Unsupported();
        const unsigned quote = Unit(*p++);
        from = p;
        while (p < end && (Unit(*p) >= 128 || !kStops.value[Unit(*p)]))
            ++p;
        if (p < end && Unit(*p) == quote) {
            FSpans.push_back(Keep(from, p));
            ++p;
            return;
        }
        // Escaped or unusual: decoded piece by piece.
        const std::size_t at = FArena.size();
        for (;;) {
            AppendRun(FArena, from, p);
            if (p == end) Unsupported();
            const unsigned c = Unit(*p);
            if (c == quote) break;
            if (c == '&') {
                ReadReference(FArena);
            } else if (c == '"' || c == '\'') {
                ++p;
                FArena += static_cast<char>(c);
            } else {
                Unsupported();
            }
            from = p;
            while (p < end && (Unit(*p) >= 128 || !kStops.value[Unit(*p)]))
                ++p;
        }
        ++p;
        FSpans.push_back({nullptr, at, FArena.size() - at});
    }

    // A plain run: the text itself where it is UTF-8 already.
    TSpan Keep(const Char* from, const Char* to) {
        if constexpr (sizeof(Char) == 1) {
            return {from, 0, static_cast<std::size_t>(to - from)};
        } else {
            const std::size_t at = FArena.size();
            AppendRun(FArena, from, to);
            return {nullptr, at, FArena.size() - at};
        }
    }

    // At '&': the five predefined entities and numeric references to characters other than zero
    // and surrogates; anything else is for the DOM to judge.
    void ReadReference(std::string& out) {
        ++p;
        static constexpr struct {
            std::string_view Name;
            char Value;
        } kNamed[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};
        for (const auto& e : kNamed) {
            if (AtWord(e.Name)) {
                p += e.Name.size();
                out += e.Value;
                return;
            }
        }
        Expect('#');
        const bool hex = At('x');
        if (hex) ++p;
        char32_t cp = 0;
        int digits = 0;
        for (; p < end; ++p, ++digits) {
            const unsigned c = Unit(*p);
            unsigned d;
            if (c - '0' < 10)
                d = c - '0';
            else if (hex && (c | 0x20) - 'a' < 6)
                d = (c | 0x20) - 'a' + 10;
            else
                break;
            cp = cp * (hex ? 16 : 10) + d;
            if (cp > 0x10FFFF) Unsupported();
        }
        if (digits == 0 || cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) Unsupported();
        Expect(';');
        AppendUtf8(out, cp);
    }

    // Text the reader does not keep: checked, not decoded. Stops at '<'.
    void SkipText() {
        for (;;) {
            while (p < end && (Unit(*p) >= 128 || !kStops.text[Unit(*p)] || Unit(*p) == '\r'))
                ++p;
            if (p == end) Unsupported();
            const unsigned c = Unit(*p);
            if (c == '<') return;
            if (c != '&') Unsupported();
            FScratch.clear();
            ReadReference(FScratch);
        }
    }

    // At '<' after skipped text: true at the end tag of the element, which is then read.
    bool AtEnd(const TName& name) {
        if (!AtWord("</")) {
            if (AtWord("<!") || AtWord("<?")) Unsupported();
            return false;
        }
        p += 2;
        const Char* from = p;
        while (p < end && IsNameChar(Unit(*p)))
            ++p;
        if (!TName{from, p}.Same(name)) Unsupported();
        SkipSpace();
        Expect('>');
        return true;
    }

    // The content of an element that holds text only: its pieces of text, blank pieces dropped as
    // the DOM drops them, or one CDATA section.
    std::string ReadTextContent(const TName& name) {
        std::string text;
        bool hasText = false, hasCData = false;
        for (;;) {
            const Char* from = p;
            bool blank = true, lineEnd = false;
            const std::size_t at = text.size();
            for (;;) {
                const Char* run = p;
                while (p < end && (Unit(*p) >= 128 || !kStops.text[Unit(*p)])) {
                    blank = blank && IsSpace(Unit(*p));
                    ++p;
                }
                AppendRun(text, run, p);
                if (p == end) Unsupported();
                const unsigned c = Unit(*p);
                if (c == '<') break;
                if (c == '\r') { // line ends the DOM would rewrite; blanks only are dropped whole
                    ++p;
                    text += '\r';
                    lineEnd = true;
                    continue;
                }
                if (c != '&') Unsupported();
                blank = false;
                ReadReference(text);
            }
            if (p > from && !blank) {
                if (hasCData || lineEnd) Unsupported();
                hasText = true;
            } else {
                text.resize(at);
            }
            if (AtWord("<![CDATA[")) {
                if (hasText || hasCData) Unsupported();
                p += 9;
                const Char* start = p;
                while (!AtWord("]]>")) {
                    if (p == end || Unit(*p) == '\r' || Unit(*p) == 0) Unsupported();
                    ++p;
                }
                AppendRun(text, start, p);
                p += 3;
                hasCData = true;
                continue;
            }
            if (AtEnd(name)) return text;
            Unsupported(); // an element inside
        }
    }

    void ReadQuelmar(const TName& self) {
        bool seenStatus = false;
        for (;;) {
            SkipText();
            if (AtEnd(self)) return;
            TName name{};
            const bool empty = ReadStartTag(name);
            if (name.Is("status")) {
                if (seenStatus) Unsupported();
                seenStatus = true;
                ReadStatus(name, empty);
            } else if (name.Is("rs")) {
                if (!seenStatus) Unsupported();
                ReadRs(name, empty);
            } else {
                Unsupported();
            }
        }
    }

    void ReadStatus(const TName& self, bool empty) {
        std::optional<std::string> code, info;
        while (!empty) {
            SkipText();
            if (AtEnd(self)) break;
            TName name{};
            const bool inner = ReadStartTag(name);
            std::optional<std::string>* slot = name.Is("code") ? &code : name.Is("info") ? &info : nullptr;
            if (!slot || *slot) Unsupported();
            *slot = inner ? std::string() : ReadTextContent(name);
        }
        FSink.Status(code, info);
    }

    void ReadRs(const TName& self, bool empty) {
        if (!FSink.BeginRs(FAttrs, empty ? 0 : CountStartTags(p, end))) {
            FSink.Text(empty ? std::string() : ReadTextContent(self));
        } else {
            while (!empty) {
                SkipText();
                if (AtEnd(self)) break;
                TName name{};
                const bool rowEmpty = ReadStartTag(name);
                if (name.Is("rs")) Unsupported();
                if (!rowEmpty) {
                    SkipText();
                    if (!AtEnd(name)) Unsupported(); // an element inside a row
                }
                FSink.Row(FAttrs);
            }
        }
        FSink.EndRs();
    }

    TAnswerSink& FSink;
    const Char* p;
    const Char* end;
    std::string FArena; // decoded names and values of the current start tag
    std::string FScratch;
    std::vector<TSpan> FSpans; // name, value, name, value...
    TAttributes FAttrs;
};

} // namespace

bool TokenizeStream(std::string_view text, TAnswerSink& sink) {
    return TReader<char>(sink, text).Run();
}

bool TokenizeStream(std::u16string_view text, TAnswerSink& sink) {
    return TReader<char16_t>(sink, text).Run();
}

} // namespace qm
