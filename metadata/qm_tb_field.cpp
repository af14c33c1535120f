#include "metadata/qm_tb_field.h"

#include <charconv>
#include <pugixml.hpp>

#include "platform/platform.h"

namespace qm {
namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

bool NameIs(const char* name, std::string_view wanted) {
    return SameText(name, wanted);
}

pugi::xml_node FirstChild(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && NameIs(child.name(), name)) return child;
    return {};
}

// A missing attribute reads as empty text.
std::string Attr(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_attribute a : node.attributes())
        if (NameIs(a.name(), name)) return a.value();
    return {};
}

// A text that is not a decimal integer in range reads as 0.
std::int32_t IntOrZero(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
    return value;
}

// False only for "0" (blanks around it aside); a missing attribute therefore reads true.
bool Flag(std::string_view text) {
    return TrimBlanks(text) != "0";
}

void ReadItem(pugi::xml_node filed, TTbField& item, std::string& pkName) {
    item.DisplayWidth = IntOrZero(Attr(filed, "DW"));
    item.FieldName = Attr(filed, "FN");
    item.DisplayLabel = Attr(filed, "DL");
    item.Hint = Attr(filed, "HT");
    item.Alignment = taLeftJustify;
    item.NumPrec = IntOrZero(Attr(filed, "NP"));
    const std::string type = UpperCase(Attr(filed, "DT"));
    if (type == "VARCHAR2") {
        item.DataType = ftString;
        item.FieldWidth = IntOrZero(Attr(filed, "FW"));
    } else if (type == "DATE") {
        item.DataType = ftDate;
        item.FieldWidth = 0;
    } else if (type == "NUMBER") {
        item.FieldWidth = 0;
        item.DataType = item.NumPrec == 0 ? ftInteger : ftFloat;
        item.Alignment = taRightJustify;
    } else if (type == "INTEGER") {
        item.DataType = ftInteger;
        item.FieldWidth = 0;
        item.Alignment = taRightJustify;
    } else {
        item.DataType = ftString;
        item.FieldWidth = 0;
    }
    item.IsKey = Flag(Attr(filed, "KEY"));
    item.ReadOnly = Flag(Attr(filed, "RO"));
    item.Visible = Flag(Attr(filed, "VS"));
    item.NotNull = Flag(Attr(filed, "NN"));
    if (item.IsKey) pkName = item.FieldName;
}

// Empties the document lines however the import ends.
class ClearLinesOnExit {
public:
    explicit ClearLinesOnExit(std::vector<std::string>& lines) : FLines(lines) {}
    ~ClearLinesOnExit() { FLines.clear(); }
    ClearLinesOnExit(const ClearLinesOnExit&) = delete;
    ClearLinesOnExit& operator=(const ClearLinesOnExit&) = delete;

private:
    std::vector<std::string>& FLines;
};

} // namespace

TQmTbField::TQmTbField(TComponent* owner) : TComponent(owner), FTbFields(this) {}

void TQmTbField::SetTbFields(const TTbFields* source) {
    if (source) FTbFields.Assign(*source);
}

void TQmTbField::SetXMLText(std::string_view text) {
    FXml.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        FXml.emplace_back(line);
        start = end + 1;
    }
}

void TQmTbField::SetActiveXml2Fields(bool active) {
    if (active == FActiveXml2Fields) return;
    FActiveXml2Fields = active;
    if (active) Xml2Fields();
}

bool TQmTbField::Xml2Fields() {
    std::string text;
    for (std::size_t i = 0; i < FXml.size(); ++i) {
        if (i) text += '\n';
        text += FXml[i];
    }
    if (TrimBlanks(text).empty()) return false;
    ClearLinesOnExit clearLines(FXml);

    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size());
    if (!parsed)
        throw EMetadataXmlError(std::string("Field-metadata document does not parse: ") +
                                parsed.description() + " at offset " + std::to_string(parsed.offset));
    const pugi::xml_node root = doc.document_element();
    const pugi::xml_node fields = FirstChild(root, "fields");
    if (!fields) return false;

    TableName = Attr(root, "tablename");
    FTbFields.Clear();
    for (pugi::xml_node child : fields.children())
        if (child.type() == pugi::node_element && NameIs(child.name(), "filed"))
            ReadItem(child, *FTbFields.Add(), PKName);
    return true;
}

std::string TQmTbField::GetFKName() const {
    std::string result;
    bool first = true;
    for (int i = 0; i < FTbFields.Count(); ++i) {
        const TTbField* item = FTbFields.Items(i);
        if (!item->IsFK) continue;
        if (!first) result += ';';
        result += item->FKTable + ':' + item->FieldName;
        first = false;
    }
    return result;
}

} // namespace qm
