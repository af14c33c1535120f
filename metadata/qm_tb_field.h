// The field metadata of one table: its name, key, and ordered column descriptions, optionally
// imported from a field-metadata document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/component.h"
#include "metadata/errors.h"
#include "metadata/tb_field.h"

namespace qm {

class TQmTbField : public TComponent {
public:
    explicit TQmTbField(TComponent* owner = nullptr);

    TTbFields& TbFields() { return FTbFields; }
    const TTbFields& TbFields() const { return FTbFields; }
    // Copies the items of another collection; null does nothing.
    void SetTbFields(const TTbFields* source);

    const std::vector<std::string>& XML() const { return FXml; }
    void SetXML(const std::vector<std::string>& lines) { FXml = lines; }
    // Convenience: the document as one text, split into lines.
    void SetXMLText(std::string_view text);

    bool ActiveXml2Fields() const { return FActiveXml2Fields; }
    // Turning it on imports the document (the result is not reported; a parse error propagates).
    void SetActiveXml2Fields(bool active);

    std::string TableName;
    std::string PKName;

    // Imports the XML document into TbFields; false for a blank text or one without a "fields"
    // element. Raises EMetadataXmlError for a text that does not parse. The text is emptied
    // afterwards in every case except a blank one.
    bool Xml2Fields();
    // "table:field" for each foreign-key item, joined with ";".
    std::string GetFKName() const;

private:
    TTbFields FTbFields;
    std::vector<std::string> FXml;
    bool FActiveXml2Fields = false;
};

} // namespace qm
