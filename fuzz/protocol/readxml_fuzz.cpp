// ReadXml on arbitrary host answers, then LoadTable of what it read: named errors are fine,
// anything else (a crash, a leak, an unnamed exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dataset/errors.h"
#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::TQmProtocol protocol;
    try {
        protocol.ReadXml(std::string_view(reinterpret_cast<const char*>(data), size));
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
    return 0;
}
