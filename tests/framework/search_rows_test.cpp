#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/mem_table.h"
#include "framework/search_rows.h"
#include "platform/platform.h"
#include "protocol/protocol.h"

namespace qm {
namespace {

std::string Answer(const std::string& code, const std::string& rows) {
    return "<quelmar><status><code>" + code +
           "</code></status><rs typ=\"recordset\" tbname=\"T\" "
           "fields=\"ID:NUMBER A:NUMBER B:DATE\">" +
           rows + "</rs></quelmar>";
}

// A success keeps every readable row and names each refused one by its key and first refused field;
// any other answer with a refused row cannot be read at all.
TEST(ReadSearchAnswer, RefusedRowsAreLeftOutOfASuccessOnly) {
    const std::string rows =
        "<r ID=\"1\" A=\"5\"/><r ID=\"2\" A=\"x\" B=\"bad\"/><r ID=\"3\" B=\"2008-02-30\"/>"
        "<r ID=\"4\" B=\"2008-06-02 00:00:00\"/><r A=\"y\"/>";
    struct Case {
        const char* what;
        std::string answer;
        bool read;
        std::vector<int> ids;
        std::vector<std::string> leftOut; // key:field
    } cases[] = {
        {"success", Answer("0", rows), true, {1, 4}, {"2:A", "3:B", ":A"}},
        {"clean success", Answer("0", "<r ID=\"1\"/>"), true, {1}, {}},
        {"refusal", Answer("5", rows), false, {}, {}},
        {"no code", Answer("", rows), false, {}, {}},
        {"not a document", "<quelmar>", false, {}, {}},
    };
    // The host's record slot is read where it stands; the UTF-8 text as the old callers pass it.
    for (const bool wide : {false, true}) {
        for (const Case& c : cases) {
            const std::string what = std::string(c.what) + (wide ? " (wide)" : "");
            TQmProtocol protocol;
            std::vector<TLeftOutRow> leftOut;
            bool read = false;
            if (wide) {
                BSTR slot = SysAllocStringUtf8(c.answer);
                read = ReadSearchAnswer(protocol, slot, "ID", leftOut);
                SysFreeString(slot);
            } else {
                read = ReadSearchAnswer(protocol, c.answer, "ID", leftOut);
            }
            ASSERT_EQ(read, c.read) << what;
            if (!c.read) continue;
            std::vector<int> ids;
            TMemTable& table = protocol.Table(0).Rows();
            for (table.First(); !table.Eof(); table.Next())
                ids.push_back(table.FieldByName("ID")->AsInteger());
            EXPECT_EQ(ids, c.ids) << what;
            std::vector<std::string> named;
            for (const TLeftOutRow& row : leftOut)
                named.push_back(row.Key + ":" + row.Field);
            EXPECT_EQ(named, c.leftOut) << what;
        }
    }
}

} // namespace
} // namespace qm
