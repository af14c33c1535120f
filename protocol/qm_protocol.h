// One request or response document in memory: parameters, variables, tables, returned keys and
// the status of the last answer. A form owns one and reuses it for every exchange.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/component.h"
#include "protocol/qm_list.h"
#include "protocol/qm_param.h"
#include "protocol/qm_table.h"

namespace qm {

class TMemTable;

// A key the host assigned to an inserted row.
class TQmRowId : public TObject {
public:
    std::int32_t RowNo = 0;
    std::int32_t Id = 0;
    std::string TableName;
};

class TQmProtocol : public TObject {
public:
    TQmProtocol() = default;
    ~TQmProtocol() override;
    TQmProtocol(const TQmProtocol&) = delete;
    TQmProtocol& operator=(const TQmProtocol&) = delete;

    int AddParam() { return Params.Add(); }
    int ParamCount() const { return Params.Count(); }
    TQmParam& Param(int index) const { return Params.Items(index); }

    int AddVariable() { return Variables.Add(); }
    int VariableCount() const { return Variables.Count(); }
    TQmParam& Variable(int index) const { return Variables.Items(index); }

    // The new table takes the protocol's DeleteMode and CopyMode as they are now.
    int AddTable();
    int TableCount() const { return Tables.Count(); }
    TQmTable& Table(int index) const { return Tables.Items(index); }

    int AddRowId() { return RowIds.Add(); }
    int RowIdCount() const { return RowIds.Count(); }
    TQmRowId& RowId(int index) const { return RowIds.Items(index); }

    // Id of the last returned key for the table (any letter case) and row number; 0 when none.
    std::int32_t FindKey(std::string_view tableName, std::int32_t rowNo) const;
    // The same, telling found from not found.
    bool FindKey(std::string_view tableName, std::int32_t rowNo, std::int32_t& id) const;

    void SetCopyMode(std::uint8_t mode);

    // Params, then tables, then variables; status, returned keys and modes stay.
    void Clear();
    void ClearParams() { Params.Clear(); }
    void ClearTables() { Tables.Clear(); }
    void ClearVariables() { Variables.Clear(); }
    void ClearRowIds() { RowIds.Clear(); }

    // The request document for the current content.
    std::string WriteXml();
    // Reads a response as ReadAnswer does with no policy; true when it was read to its end.
    bool ReadXml(std::string_view text);
    // The same from the record's own UTF-16 text.
    bool ReadXml(std::u16string_view text);
    // Whether the last answer read carried a code whose text is a decimal integer.
    bool HasNumericCode() const { return FHasNumericCode; }
    // Writes the keys of RowIds into the inserted rows of target.
    void ApplyKeys(TMemTable& target);

    TQmParams Params;
    TQmParams Variables;
    TQmTables Tables;
    std::int32_t StatusCode = 0;
    std::string StatusInfo;
    TQmList<TQmRowId> RowIds;
    bool DeleteMode = false;
    std::uint8_t CopyMode = cmCurrentRow;

private:
    friend class TAnswerBuilder;
    void ForgetAnswer();
    bool FHasNumericCode = false;
};

} // namespace qm
