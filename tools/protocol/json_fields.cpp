#include "json_fields.h"

#include "json_format.h"

#include <stdexcept>

#ifdef QMPROTO_HAVE_METADATA
#include "metadata/qm_tb_field.h"
#endif

namespace qm::tool {

#ifdef QMPROTO_HAVE_METADATA

namespace {

const char* AlignmentName(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return "taRightJustify";
    case taCenter:
        return "taCenter";
    default:
        return "taLeftJustify";
    }
}

} // namespace

nlohmann::ordered_json FieldsToJson(std::string_view xml) {
    TQmTbField meta;
    meta.SetXMLText(xml);
    if (!meta.Xml2Fields()) throw std::runtime_error("the document holds no fields element");
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    for (int i = 0; i < meta.TbFields().Count(); ++i) {
        const TTbField& f = *meta.TbFields()[i];
        fields.push_back({{"fieldName", f.FieldName},
                          {"dataType", FieldTypeName(f.DataType)},
                          {"fieldWidth", f.FieldWidth},
                          {"displayLabel", f.DisplayLabel},
                          {"displayWidth", f.DisplayWidth},
                          {"isKey", f.IsKey},
                          {"readOnly", f.ReadOnly},
                          {"visible", f.Visible},
                          {"notNull", f.NotNull},
                          {"numPrec", f.NumPrec},
                          {"alignment", AlignmentName(f.Alignment)},
                          {"hint", f.Hint}});
    }
    return {{"format", kJsonFormat},
            {"tableName", meta.TableName},
            {"pkName", meta.PKName},
            {"fkName", meta.GetFKName()},
            {"fields", std::move(fields)}};
}

#else

nlohmann::ordered_json FieldsToJson(std::string_view) {
    throw std::runtime_error("this qmproto was built without the metadata library (add metadata to QM_DIRS)");
}

#endif

} // namespace qm::tool
