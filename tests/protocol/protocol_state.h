// Whether two protocols hold the same read answer: status, parameters, tables with their field
// lists, rows and row ids, and returned keys. Shared by the reader tests and the differential fuzz.
#pragma once

#include <string>

#include "dataset/mem_table.h"
#include "protocol/protocol.h"

namespace qm::test {

// Empty when both hold the same; otherwise what differs first.
inline std::string StateDifference(const TQmProtocol& a, const TQmProtocol& b) {
    if (a.StatusCode != b.StatusCode) return "code";
    if (a.HasNumericCode() != b.HasNumericCode()) return "numeric code";
    if (a.StatusInfo != b.StatusInfo) return "info";
    if (a.ParamCount() != b.ParamCount()) return "param count";
    for (int i = 0; i < a.ParamCount(); ++i)
        if (a.Param(i).ParamType != b.Param(i).ParamType || a.Param(i).Value != b.Param(i).Value)
            return "param " + std::to_string(i);
    if (a.RowIdCount() != b.RowIdCount()) return "key count";
    for (int i = 0; i < a.RowIdCount(); ++i) {
        const TQmRowId &x = a.RowId(i), &y = b.RowId(i);
        if (x.TableName != y.TableName || x.RowNo != y.RowNo || x.Id != y.Id)
            return "key " + std::to_string(i);
    }
    if (a.TableCount() != b.TableCount()) return "table count";
    for (int t = 0; t < a.TableCount(); ++t) {
        TMemTable &x = a.Table(t).Rows(), &y = b.Table(t).Rows();
        const std::string where = "table " + std::to_string(t) + ": ";
        if (x.QmTableName != y.QmTableName) return where + "name";
        if (!(x.FieldDefs() == y.FieldDefs())) return where + "field defs";
        if (x.Active() != y.Active()) return where + "active";
        if (!x.Active()) continue;
        if (x.RecordCount() != y.RecordCount()) return where + "row count";
        if (x.FieldCount() != y.FieldCount()) return where + "field count";
        for (x.First(), y.First(); !x.Eof() && !y.Eof(); x.Next(), y.Next()) {
            const std::string row = where + "row " + std::to_string(x.RecNo()) + ": ";
            if (!(x.GetBookmark() == y.GetBookmark())) return row + "id";
            if (x.UpdateStatus() != y.UpdateStatus()) return row + "status";
            for (int f = 0; f < x.FieldCount(); ++f) {
                const TField *u = x.Fields(f), *v = y.Fields(f);
                if (u->IsNull() != v->IsNull() || u->AsString() != v->AsString())
                    return row + "field " + u->FieldName();
            }
        }
        if (x.State() != y.State()) return where + "state";
    }
    return {};
}

} // namespace qm::test
