// A data module with one table carrying the audit columns, a host context record and a set clock.
#pragma once

#include <gtest/gtest.h>

#include "dataset/mem_table.h"
#include "metadata/base_dm.h"
#include "platform/platform.h"
#include "plugin/globals.h"

namespace qm::testing {

class AuditFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetNowForTesting(EncodeDateTime(2024, 3, 5, 10, 20, 30));
        Context.UserName = SysAllocStringUtf8("张三");
        Context.UserGroup = SysAllocStringUtf8("财务");
        SetHostContext(&Context);
        Table = new TMemTable(&Dm);
        TFieldDefs& defs = Table->FieldDefs();
        defs.Add("ID", ftInteger);
        defs.Add("NAME", ftString, 10);
        defs.Add("CREATE_USER", ftString, 12);
        defs.Add("USER_GROUP", ftString, 12);
        defs.Add("CREATE_DATE", ftDate);
        defs.Add("MODIFIER", ftString, 12);
        defs.Add("MODI_DATE", ftDate);
        defs.Add("FLAG", ftInteger);
        Table->SetCachedUpdates(true);
        Table->CreateDataSet();
    }
    void TearDown() override {
        SetHostContext(nullptr);
        SysFreeString(Context.UserName);
        SysFreeString(Context.UserGroup);
        ClearNowForTesting();
    }

    // The income-level module's before-post handler.
    void StampOnPost() {
        Table->BeforePost = [this](TMemTable* t) {
            Dm.SetFlag(0, t);
            Dm.SetAuditInfo(t);
        };
    }
    // A row as a search loads it: posted and merged, so it reports unmodified.
    void LoadRow(int id, const std::string& name, const char* flag = "0") {
        Table->Append();
        Table->FieldByName("ID")->SetAsInteger(id);
        Table->FieldByName("NAME")->SetAsString(name);
        Table->FieldByName("FLAG")->SetAsString(flag);
        Table->Post();
        Table->MergeChangeLog();
    }
    std::string Text(const char* field) const { return Table->FieldByName(field)->AsString(); }
    bool Null(const char* field) const { return Table->FieldByName(field)->IsNull(); }

    TBaseDm Dm;
    TMemTable* Table = nullptr;
    THostContext Context{};
};

} // namespace qm::testing
