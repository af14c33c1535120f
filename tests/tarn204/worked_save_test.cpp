// The three-row save built through the form: one row unchanged, one modified, one inserted, and
// one deleted with the grid's own delete key (so the protocol's delete mode is still off).
#include "tests/tarn204/form_session.h"

#include <QApplication>
#include <QKeyEvent>

#include <pugixml.hpp>

namespace qm::testing {
namespace {

using Attrs = std::vector<std::pair<std::string, std::string>>;

struct Node {
    std::string name; // "?xml" for the declaration
    int parent;       // 0: the document; otherwise the 1-based number of the parent node
    Attrs attrs;
};

// Every node of the document in document order, with its parent's number and its attributes.
std::vector<Node> Flatten(const pugi::xml_document& doc) {
    std::vector<Node> out;
    std::function<void(pugi::xml_node, int)> walk = [&](pugi::xml_node parent, int parentNo) {
        for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
            Node node{n.type() == pugi::node_declaration ? "?xml" : n.name(), parentNo, {}};
            for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
                node.attrs.emplace_back(a.name(), a.value());
            out.push_back(node);
            walk(n, static_cast<int>(out.size()));
        }
    };
    walk(doc, 0);
    return out;
}

TEST_F(FormSession, ThreeRowSaveSendsTheWorkedRequest) {
    SetNowForTesting(EncodeDateTime(2008, 6, 18, 9, 30, 0));
    Run("new");
    FillNewRow(3, "04", "Upper", "10000", "99999");
    EXPECT_TRUE(SetCell(1, "MEMAC002", "Middle")); // moving there posts the new row
    Run("nextrec");                                // posts the change; the current row is key 12
    Queue({6});
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
    QApplication::sendEvent(grid, &press);
    ASSERT_EQ(Rows(), 3);
    host.ExecuteAnswer = Answer(0, "",
                                "<rs typ=\"recordset\" tbname=\"TB_MEMAC\">"
                                "<k tbname=\"TB_MEMAC\" rn=\"3\" id=\"13\"/></rs>");
    Queue({1});
    Run("save");
    ClearNowForTesting();

    const auto sent = Executes();
    ASSERT_EQ(sent.size(), 1u);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(sent[0].RequestXml.c_str(), pugi::parse_default | pugi::parse_declaration))
        << sent[0].RequestXml;
    const std::vector<Node> expected = {
        {"?xml", 0, {{"version", "1.0"}, {"encoding", "utf-8"}}},
        {"quelmar", 0, {}},
        {"params", 2, {}},
        {"param", 3, {{"typ", "recordset"}, {"tbname", "TB_MEMAC"}}},
        {"TB_MEMAC", 4, {{"op", "4"}, {"pk", "MEMAC_ID"}, {"fk", ""}, {"MEMAC_ID", "12"}}},
        {"TB_MEMAC",
         4,
         {{"op", "3"},
          {"pk", "MEMAC_ID"},
          {"fk", ""},
          {"MEMAC_ID", "11"},
          {"MEMAC001", "02"},
          {"MEMAC002", "Middle"},
          {"MEMAC003", "3000"},
          {"MEMAC004", "5999"},
          {"CREATE_USER", "u001"},
          {"USER_GROUP", "g01"},
          {"CREATE_DATE", "2008-06-02 00:00:00"},
          {"MODIFIER", "u002"},
          {"MODI_DATE", "2008-06-18 00:00:00"},
          {"FLAG", "0"}}},
        {"TB_MEMAC",
         4,
         {{"op", "1"},
          {"pk", "MEMAC_ID"},
          {"fk", ""},
          {"rn", "3"},
          {"MEMAC_ID", ""},
          {"MEMAC001", "04"},
          {"MEMAC002", "Upper"},
          {"MEMAC003", "10000"},
          {"MEMAC004", "99999"},
          {"CREATE_USER", "u002"},
          {"USER_GROUP", "g01"},
          {"CREATE_DATE", "2008-06-18 00:00:00"},
          {"MODIFIER", ""},
          {"MODI_DATE", ""},
          {"FLAG", "0"}}},
    };
    const std::vector<Node> actual = Flatten(doc);
    ASSERT_EQ(actual.size(), expected.size()) << sent[0].RequestXml;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << "node " << i + 1;
        EXPECT_EQ(actual[i].parent, expected[i].parent) << "node " << i + 1;
        EXPECT_EQ(actual[i].attrs, expected[i].attrs) << "node " << i + 1;
    }
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"确定删除当前记录吗？", 0x104}, {"保存成功！", 1}}));
    EXPECT_EQ(Cell(2, "MEMAC_ID"), "13");
}

} // namespace
} // namespace qm::testing
