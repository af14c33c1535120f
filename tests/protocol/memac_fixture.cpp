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

std::string MemacSearchAnswer(int rows) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<quelmar><status><code>0</code><info></info>"
        "</status><rs typ=\"recordset\" tbname=\"TB_MEMAC\" fields=\"MEMAC_ID:NUMBER:22:0 "
        "MEMAC001:VARCHAR2:4 MEMAC002:VARCHAR2:30 MEMAC003:NUMBER:12:0 MEMAC004:NUMBER:12:0 "
        "CREATE_USER:VARCHAR2:12 USER_GROUP:VARCHAR2:12 CREATE_DATE:DATE:7 MODIFIER:VARCHAR2:12 "
        "MODI_DATE:DATE:7 FLAG:NUMBER:1:0\">";
    text.reserve(static_cast<std::size_t>(rows) * 240);
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 1; i <= rows; ++i) {
        const std::string n = std::to_string(i);
        const char code[5] = {digits[i / 46656 % 36], digits[i / 1296 % 36], digits[i / 36 % 36],
                              digits[i % 36], 0};
        text += "<TB_MEMAC MEMAC_ID=\"" + n + "\" MEMAC001=\"" + code + "\" MEMAC002=\"收入等级" + n +
                "\" MEMAC003=\"" + std::to_string(i * 10) + "\" MEMAC004=\"" + std::to_string(i * 10 + 9) +
                "\" CREATE_USER=\"u001\" USER_GROUP=\"g01\" CREATE_DATE=\"2008-06-02 00:00:00\" "
                "MODIFIER=\"u002\" MODI_DATE=\"2008-06-18 00:00:00\" FLAG=\"0\"/>";
    }
    return text + "</rs></quelmar>\n";
}

} // namespace qm::test
