#include "metadata/base_dm.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "dataset/mem_table.h"
#include "platform/platform.h"
#include "plugin/globals.h"

namespace qm {
namespace {

constexpr std::array<std::string_view, 6> StampedColumns = {"CREATE_USER", "USER_GROUP", "CREATE_DATE",
                                                            "MODIFIER",    "MODI_DATE",  "FLAG"};

bool IsStampedColumn(std::string_view name) {
    for (std::string_view column : StampedColumns)
        if (SameText(name, column)) return true;
    return false;
}

bool IsEditing(const TMemTable& table) {
    return table.State() == dsEdit || table.State() == dsInsert;
}

// A row the store does not know yet: being inserted, or posted as new since the last merge.
bool IsNewRow(const TMemTable& table) {
    return table.State() == dsInsert || table.UpdateStatus() == TUpdateStatus::usInserted;
}

// Whether the pending edit changes a column that is not one of the stamped ones.
bool ChangesRealColumn(const TMemTable& table) {
    if (table.State() != dsEdit) return false;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField* field = table.Fields(i);
        if (IsStampedColumn(field->FieldName())) continue;
        const std::optional<std::string> now =
            field->IsNull() ? std::nullopt : std::optional<std::string>(field->AsString());
        if (now != field->OldValue()) return true;
    }
    return false;
}

} // namespace

TBaseDm::TBaseDm(TComponent* owner) : TComponent(owner) {}

void TBaseDm::DataModuleCreate(TObject* /*sender*/) {}

void TBaseDm::SetCreateInfo(TMemTable* dataSet) {
    if (!dataSet || !dataSet->Active()) return;
    try {
        if (!IsNewRow(*dataSet)) return;
        const THostContext* context = HostContext();
        if (!context) return;
        // Stamped once, at the row's first post; later posts (a key write-back) leave it.
        TField* createUser = dataSet->FieldByName("CREATE_USER");
        if (!createUser->IsNull() && !createUser->AsString().empty()) return;
        if (!IsEditing(*dataSet)) dataSet->Edit();
        createUser->SetAsString(BstrToUtf8(context->UserName));
        dataSet->FieldByName("USER_GROUP")->SetAsString(BstrToUtf8(context->UserGroup));
        dataSet->FieldByName("CREATE_DATE")->SetAsDateTime(Now());
    } catch (...) {
        // Stamping never interrupts a post.
    }
}

void TBaseDm::SetModifyInfo(TMemTable* dataSet) {
    if (!dataSet || !dataSet->Active()) return;
    try {
        if (IsNewRow(*dataSet)) return;
        // An edit that changes nothing must leave the row unmodified.
        if (!ChangesRealColumn(*dataSet)) return;
        const THostContext* context = HostContext();
        if (!context) return;
        dataSet->FieldByName("MODIFIER")->SetAsString(BstrToUtf8(context->UserName));
        dataSet->FieldByName("MODI_DATE")->SetAsDateTime(Now());
    } catch (...) {
        // Stamping never interrupts a post.
    }
}

void TBaseDm::SetAuditInfo(TMemTable* dataSet) {
    SetCreateInfo(dataSet);
    SetModifyInfo(dataSet);
}

void TBaseDm::SetFlag(std::int32_t value, TMemTable* dataSet) {
    if (!dataSet || !dataSet->Active()) return;
    try {
        if (!IsEditing(*dataSet)) dataSet->Edit();
        dataSet->FieldByName("FLAG")->SetAsString(IntToStr(value));
    } catch (...) {
        // A table without FLAG keeps its state; nothing is written.
    }
}

} // namespace qm
