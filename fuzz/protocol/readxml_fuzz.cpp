// ReadXml on arbitrary host answers, then LoadTable of what it read: named errors are fine,
// anything else (a crash, a leak, an unnamed exception) is a finding. Reading the same text from
// the record's UTF-16 form, which is parsed in place when the document reader judges it, must come
// to the same result.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

namespace {

// What a read came to: -1 for a named error, else whether it was read to its end.
struct Outcome {
    int read;
    std::int32_t code;
    int tables;
    int keys;
    bool operator==(const Outcome&) const = default;
};

template <typename Read> Outcome Run(qm::TQmProtocol& protocol, Read read) {
    int result = -1;
    try {
        result = read() ? 1 : 0;
    } catch (const qm::EConvertError&) {
    } catch (const qm::EDatabaseError&) {
    } catch (const qm::EXmlError&) {
    }
    return {result, protocol.StatusCode, protocol.TableCount(), protocol.RowIdCount()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qm::TQmProtocol protocol;
    (void)Run(protocol, [&] { return protocol.ReadXml(text); });
    try {
        for (int i = 0; i < protocol.TableCount(); ++i) {
            qm::TMemTable target;
            target.FieldDefs().Add("MEMAC_ID", qm::ftInteger);
            target.FieldDefs().Add("MEMAC001", qm::ftString, 4);
            target.FieldDefs().Add("CREATE_DATE", qm::ftDate);
            target.CreateDataSet();
            qm::LoadTable(protocol.Table(i), target);
        }
        (void)protocol.FindKey("TB_MEMAC", 1);
    } catch (const qm::EConvertError&) {
    } catch (const qm::EDatabaseError&) {
    } catch (const qm::EXmlError&) {
    }

    // Bytes that are no UTF-8 change in the conversion: both sides read the converted text.
    const std::u16string wide = qm::Utf8ToUtf16(text);
    const std::string narrow = qm::Utf16ToUtf8(wide);
    qm::TQmProtocol fromWide, fromNarrow;
    const Outcome byWide = Run(fromWide, [&] { return fromWide.ReadXml(std::u16string_view(wide)); });
    const Outcome byNarrow = Run(fromNarrow, [&] { return fromNarrow.ReadXml(std::string_view(narrow)); });
    if (!(byWide == byNarrow)) __builtin_trap();
    return 0;
}
