// ReadXml on arbitrary host answers, then LoadTable of what it read: named errors are fine,
// anything else (a crash, a leak, an unnamed exception) is a finding. Reading the same text in
// place must come to the same result.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <pugixml.hpp>

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
    const Outcome copied = Run(protocol, [&] { return protocol.ReadXml(text); });
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

    std::string buffer(text);
    pugi::xml_document doc;
    qm::TQmProtocol inPlace;
    const Outcome parsedInPlace = Run(inPlace, [&] { return inPlace.ReadXmlInPlace(buffer, doc); });
    if (!(parsedInPlace == copied)) __builtin_trap();
    return 0;
}
