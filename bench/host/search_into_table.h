// The whole chain a clerk waits for, as the real pieces run it: the host's handler answers a
// search into the exchange record (the store's UTF-8 answer made UTF-16), the module reads the
// slot's text where it stands and puts its rows into a table laid out like the form's main table.
#pragma once

#include "dataset/mem_table.h"
#include "framework/search_rows.h"
#include "host/host_link.h"
#include "host/store/store.h"
#include "plugin/messages.h"
#include "plugin/records.h"
#include "protocol/protocol.h"
#include "tests/protocol/memac_fixture.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace qm::bench {

struct QuietListener : qm::host::HostLink::Listener {
    void FormCreated(HWND) override {}
    void CommandsAnnounced(bool, const void*) override {}
    void StatusShown(int, const std::string&) override {}
    void FormClosed(HWND) override {}
};

// What one search left behind, for the figures.
struct SearchSizes {
    std::size_t Utf8 = 0;  // the answer as the module reads it
    std::size_t Utf16 = 0; // the record's text
};

// One search from the record to the main table, read as the form reads it; false when the answer
// could not be used.
inline bool SearchThroughRecord(HWND host, qm::TQmProtocol& protocol, qm::TMemTable& main,
                                SearchSizes* sizes = nullptr) {
    std::vector<qm::TLeftOutRow> leftOut;
    {
        qm::ShareVarPtr record = qm::MakeShareVar();
        qm::SetSlotText(record->ContextTail, "TB_MEMAC");
        void* none = nullptr;
        qm::SendMessage(host, qm::WM_QM_SEARCH, reinterpret_cast<qm::WPARAM>(record.get()),
                        reinterpret_cast<qm::LPARAM>(&none));
        const qm::BSTR slot = record->SearchAnswer;
        if (sizes)
            *sizes = {qm::Utf8Size(std::u16string_view(slot, qm::SysStringLen(slot))),
                      qm::SysStringByteLen(slot)};
        if (!qm::ReadSearchAnswer(protocol, slot, "MEMAC_ID", leftOut) || protocol.TableCount() != 1)
            return false;
    }
    qm::ReplaceRows(protocol.Table(0), main, "MEMAC_ID", leftOut);
    protocol.ClearTables(); // as the form does
    return leftOut.empty();
}

inline void SearchIntoMainTable(benchmark::State& state, qm::host::Store& store, int rows) {
    QuietListener listener;
    qm::host::HostLink link(store, listener);
    for (auto _ : state) {
        qm::TQmProtocol protocol;
        qm::TMemTable main;
        qm::test::DefineMemac(main);
        if (!SearchThroughRecord(link.Handle(), protocol, main)) {
            state.SkipWithError("the answer could not be read");
            break;
        }
        if (main.RecordCount() != rows) {
            state.SkipWithError("the main table did not get every row");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

} // namespace qm::bench
