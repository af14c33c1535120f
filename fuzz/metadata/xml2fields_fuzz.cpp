// Any text as a field-metadata document: the import either succeeds, reports false, or raises its
// named parse error, and the collection stays usable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "metadata/qm_tb_field.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::TQmTbField meta;
    meta.SetXMLText(std::string(reinterpret_cast<const char*>(data), size));
    try {
        meta.Xml2Fields();
    } catch (const qm::EMetadataXmlError&) {
        return 0;
    }
    // Walk the result the way the binding and the request writer do.
    std::size_t total = meta.GetFKName().size() + meta.TableName.size() + meta.PKName.size();
    for (int i = 0; i < meta.TbFields().Count(); ++i)
        total += meta.TbFields()[i]->GetDisplayName().size();
    qm::TQmTbField copy;
    copy.SetTbFields(&meta.TbFields());
    // Only a blank text keeps its lines.
    bool blank = true;
    for (std::size_t i = 0; i < size && blank; ++i)
        blank = data[i] <= ' ';
    if (copy.TbFields().Count() != meta.TbFields().Count() || (!blank && !meta.XML().empty()))
        __builtin_trap();
    return total == static_cast<std::size_t>(-1);
}
