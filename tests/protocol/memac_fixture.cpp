#include "memac_fixture.h"

namespace qm::test {

void DefineMemac(TMemTable& table) {
    TFieldDefs& defs = table.FieldDefs();
    defs.Clear();
    defs.Add("MEMAC_ID", ftInteger);
    defs.Add("MEMAC001", ftString, 4);
    defs.Add("MEMAC002", ftString, 30);
    defs.Add("MEMAC003", ftInteger);
    defs.Add("MEMAC004", ftInteger);
    defs.Add("CREATE_USER", ftString, 12);
    defs.Add("USER_GROUP", ftString, 12);
    defs.Add("CREATE_DATE", ftDate);
    defs.Add("MODIFIER", ftString, 12);
    defs.Add("MODI_DATE", ftDate);
    defs.Add("FLAG", ftInteger);
    table.CreateDataSet();
    table.QmTableName = "TB_MEMAC";
    table.PKName = "MEMAC_ID";
    table.FieldByName("MEMAC_ID")->SetIsKey(true);
    table.SetCachedUpdates(true);
}

void AppendRow(TMemTable& table, const Values& values) {
    table.Append();
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) table.Fields(static_cast<int>(i))->SetAsString(*values[i]);
    table.Post();
}

void MakeWorkedExample(TMemTable& main, TMemTable& deleted) {
    DefineMemac(main);
    AppendRow(main, {"10", "01", "Low", "0", "2999", "u001", "g01", "2008-06-02", {}, {}, "0"});
    AppendRow(main, {"11", "02", "Middle", "3000", "5999", "u001", "g01", "2008-06-02", {}, {}, "0"});
    main.MergeChangeLog();
    main.SetRecNo(2);
    main.Edit();
    main.FieldByName("MODIFIER")->SetAsString("u002");
    main.FieldByName("MODI_DATE")->SetAsString("2008-06-18");
    main.Post();
    AppendRow(main, {{}, "04", "Upper", "10000", "99999", "u002", "g01", "2008-06-18", {}, {}, "0"});

    DefineMemac(deleted);
    AppendRow(deleted, {"12", "03", "High", "6000", "9999", "u001", "g01", "2008-06-02", {}, {}, "0"});
}

}  // namespace qm::test
