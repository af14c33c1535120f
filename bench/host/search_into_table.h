// The whole chain a clerk waits for: the store's search answer read and loaded into a table laid
// out like the form's main table.
#pragma once

#include "dataset/mem_table.h"
#include "host/store.h"
#include "protocol/protocol.h"
#include "tests/protocol/memac_fixture.h"

#include <benchmark/benchmark.h>

namespace qm::bench {

inline void SearchIntoMainTable(benchmark::State& state, qm::host::Store& store, int rows) {
    for (auto _ : state) {
        qm::TQmProtocol protocol;
        if (!protocol.ReadXml(store.Search("TB_MEMAC")) || protocol.TableCount() != 1) {
            state.SkipWithError("the answer could not be read");
            break;
        }
        qm::TMemTable main;
        qm::test::DefineMemac(main);
        qm::LoadTable(protocol.Table(0), main);
        if (main.RecordCount() != rows) {
            state.SkipWithError("the main table did not get every row");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

} // namespace qm::bench
