#include "protocol/response_stream.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/answer_values.h"
#include "protocol/field_list.h"
#include "protocol/qm_protocol.h"

namespace qm {

namespace {

// Thrown where the text leaves the subset; the DOM reader then decides.
struct TUnsupported {};

[[noreturn]] void Unsupported() {
    throw TUnsupported{};
}

// Rows between two looks at the clock: the countdown alone would wait too long between pumps.
constexpr int kRowsPerPumpCheck = 256;

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

// Elements a response row may start with, counted up to the first end tag: room for the rows.
std::size_t CountStartTags(const char* p, const char* end) {
    std::size_t count = 0;
    while (const void* hit = std::memchr(p, '<', static_cast<std::size_t>(end - p))) {
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

using answer::FillFields;
using answer::FindAttribute;
using answer::MakeSlots;
using answer::ReadFloat;
using answer::ReadInt;
using answer::TAttribute;
using answer::TAttributes;
using answer::TFieldSlot;

// A refused value is not caught here: the DOM reader reads the row again and fails as it always did.
void ReadDataRow(const TAttributes& attrs, TMemTable& rows, const std::vector<TFieldSlot>& slots) {
    rows.SetCachedUpdates(false); // the row enters unchanged
    if (rows.BeginQuietRow()) {
        try {
            FillFields(attrs, slots);
        } catch (...) {
            rows.CancelQuietRow();
            throw;
        }
        rows.PostQuietRow();
        return;
    }
    rows.Append();
    FillFields(attrs, slots);
    rows.Post();
}

template <class Char> class TReader {
public:
    TReader(TQmProtocol& protocol, std::basic_string_view<Char> text)
        : FProtocol(protocol), p(text.data()), end(text.data() + text.size()) {}

    TStreamOutcome Run(bool& numericCode) {
        try {
            ReadDocument();
        } catch (...) {
            return TStreamOutcome::Unsupported;
        }
        numericCode = FNumericCode;
        return FStopped || !FSeenStatus ? TStreamOutcome::NotRead : TStreamOutcome::Read;
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
        for (;;) {
            SkipText();
            if (AtEnd(self)) return;
            TName name{};
            const bool empty = ReadStartTag(name);
            if (name.Is("status")) {
                if (FSeenStatus) Unsupported();
                FSeenStatus = true;
                if (!empty) ReadStatus(name);
            } else if (name.Is("rs")) {
                if (!FSeenStatus) Unsupported();
                ReadRs(name, empty);
            } else {
                Unsupported();
            }
        }
    }

    void ReadStatus(const TName& self) {
        bool seenCode = false, seenInfo = false;
        for (;;) {
            SkipText();
            if (AtEnd(self)) return;
            TName name{};
            const bool empty = ReadStartTag(name);
            const std::string text = empty ? std::string() : ReadTextContent(name);
            if (name.Is("code")) {
                if (seenCode) Unsupported();
                seenCode = true;
                FProtocol.StatusCode = ReadInt(text, &FNumericCode);
            } else if (name.Is("info")) {
                if (seenInfo) Unsupported();
                seenInfo = true;
                FProtocol.StatusInfo = text;
            } else {
                Unsupported();
            }
        }
    }

    void ReadRs(const TName& self, bool empty) {
        const TAttribute* typ = FindAttribute(FAttrs, "typ");
        const std::string word = typ ? LowerCase(typ->Value) : std::string();
        if (word == "recordset") {
            ReadRecordset(self, empty);
            return;
        }
        const std::string text = empty ? std::string() : ReadTextContent(self);
        if (FStopped) return;
        if (word == "string" || word == "date")
            FProtocol.Param(FProtocol.AddParam()).SetString(text);
        else if (word == "integer" || word == "long")
            FProtocol.Param(FProtocol.AddParam()).SetInteger(ReadInt(text));
        else if (word == "double")
            FProtocol.Param(FProtocol.AddParam()).SetFloat(ReadFloat(text));
    }

    void ReadRecordset(const TName& self, bool empty) {
        const TAttribute* fieldsAttr = FindAttribute(FAttrs, "fields");
        const std::optional<std::string> fields =
            fieldsAttr ? std::optional<std::string>(fieldsAttr->Value) : std::nullopt;
        TMemTable* rows = nullptr;
        if (!FStopped) {
            rows = &FProtocol.Table(FProtocol.AddTable()).Rows();
            const TAttribute* tbname = FindAttribute(FAttrs, "tbname");
            rows->QmTableName = tbname ? UpperCase(tbname->Value) : std::string("UNKNOWN");
        }
        if (empty) return;
        bool defined = false;
        std::vector<TFieldSlot> slots;
        int count = 0;
        for (;;) {
            SkipText();
            if (AtEnd(self)) return;
            TName name{};
            const Char* rowStart = p;
            const bool rowEmpty = ReadStartTag(name);
            if (name.Is("rs")) Unsupported();
            if (!rowEmpty) {
                SkipText();
                if (!AtEnd(name)) Unsupported(); // an element inside a row
            }
            if (FStopped) continue;
            if (++count % kRowsPerPumpCheck == 0) ProcessMessagesIfDue();
            ProcessMessages();
            if (FindAttribute(FAttrs, "rn")) {
                TQmRowId& key = FProtocol.RowId(FProtocol.AddRowId());
                const TAttribute* tbname = FindAttribute(FAttrs, "tbname");
                const TAttribute* id = FindAttribute(FAttrs, "id");
                key.TableName = tbname ? std::string(tbname->Value) : std::string();
                key.RowNo = ReadInt(FindAttribute(FAttrs, "rn")->Value);
                key.Id = ReadInt(id ? id->Value : std::string_view());
                continue;
            }
            if (!defined) {
                rows->FieldDefs().Clear();
                if (!fields) {
                    FStopped = true; // a data row before any field list ends the read
                    continue;
                }
                ParseFieldList(*fields, rows->FieldDefs());
                rows->CreateDataSet();
                slots = MakeSlots(*rows);
                rows->ReserveRows(static_cast<int>(CountStartTags(rowStart, end)));
                defined = true;
            }
            if (!rows->Active()) rows->Open();
            ReadDataRow(FAttrs, *rows, slots);
        }
    }

    TQmProtocol& FProtocol;
    const Char* p;
    const Char* end;
    bool FNumericCode = false;
    bool FSeenStatus = false;
    bool FStopped = false; // what the DOM reader would have read is read; the rest is only checked
    std::string FArena;    // decoded names and values of the current start tag
    std::string FScratch;
    std::vector<TSpan> FSpans; // name, value, name, value...
    TAttributes FAttrs;
};

template <class Char>
TStreamOutcome ReadWith(TQmProtocol& protocol, std::basic_string_view<Char> text, bool& numericCode) {
    numericCode = false;
    protocol.Params.Clear();
    protocol.Tables.Clear();
    protocol.RowIds.Clear();
    TReader<Char> reader(protocol, text);
    return reader.Run(numericCode);
}

} // namespace

TStreamOutcome TResponseStream::Read(TQmProtocol& protocol, std::string_view text) {
    return ReadWith(protocol, text, protocol.FHasNumericCode);
}

TStreamOutcome TResponseStream::Read(TQmProtocol& protocol, std::u16string_view text) {
    return ReadWith(protocol, text, protocol.FHasNumericCode);
}

} // namespace qm
