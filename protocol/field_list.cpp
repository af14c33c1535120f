#include "protocol/field_list.h"

#include <string>

#include "dataset/errors.h"
#include "platform/platform.h"
#include "protocol/text_cut.h"

namespace qm {

namespace {

constexpr int kMaxSizeOrScale = 1048576;

int StrictNumber(const std::string& text, std::string_view what, std::string_view description) {
    std::int32_t n = 0;
    if (!TryStrToInt(text, n) || n < 0 || n > kMaxSizeOrScale)
        throw EConvertError("'" + Excerpt(text) + "' is not a valid " + std::string(what) +
                            " in field description '" + Excerpt(description) + "'");
    return n;
}

bool IsNumberWord(const std::string& word) {
    return word == "INTEGER" || word == "NUMBER" || word == "NUMERIC";
}

int TextSize(const std::string& size, const char* fallback, std::string_view description) {
    return StrictNumber(size.empty() || size == "0" ? std::string(fallback) : size, "size", description);
}

} // namespace

TFieldDef ParseFieldDescription(std::string_view description) {
    std::string text(description);
    if (text.empty() || text.back() != ':') text += ':';
    TFieldDef def;
    def.Name = NthField(text, ':', 1);
    if (def.Name.empty()) throw EConvertError("Field description '" + Excerpt(description) + "' has no name");
    const std::string word = UpperCase(NthField(text, ':', 2));
    const std::string size = NthField(text, ':', 3);
    const std::string scale = NthField(text, ':', 4);

    if (word.find("CHAR") != std::string::npos) {
        def.DataType = ftString;
        def.Size = TextSize(size, "255", description);
    } else if (IsNumberWord(word)) {
        // The size of a number or date sets nothing, but a broken one means a broken answer.
        if (!size.empty()) StrictNumber(size, "size", description);
        const bool scaled = !scale.empty() && StrictNumber(scale, "scale", description) > 0;
        def.DataType = scaled ? ftFloat : ftLargeint;
    } else if (word == "DATE" || word == "DATETIME") {
        if (!size.empty()) StrictNumber(size, "size", description);
        def.DataType = ftDate;
    } else {
        def.DataType = ftString;
        def.Size = TextSize(size, "1000", description);
    }
    return def;
}

void ParseFieldList(std::string_view list, TFieldDefs& defs) {
    std::string text(list);
    if (text.empty() || text.back() != ' ') text += ' ';
    const int count = static_cast<int>(CountChar(text, ' '));
    // Walk the blanks once instead of cutting piece k from the start each time.
    std::size_t start = 0;
    for (int k = 1; k <= count; ++k) {
        ProcessMessages();
        const std::size_t blank = text.find(' ', start);
        const std::string_view description(text.data() + start, blank - start);
        start = blank + 1;
        if (description.empty()) continue;
        const TFieldDef def = ParseFieldDescription(description);
        defs.Add(def.Name, def.DataType, def.Size, false);
    }
}

} // namespace qm
