#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/commands.h"

namespace qm {
namespace {

std::vector<std::string> Names(const TCommands& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.Count(); ++i)
        out.push_back(c.Items(i)->Name);
    return out;
}

TEST(Commands, UnnamedItemsTakeTheFirstFreeNumber) {
    struct Case {
        std::vector<std::string> existing; // "" adds an unnamed item
        std::string next;
    } cases[] = {
        {{}, "Command1"},
        {{"", ""}, "Command3"},
        {{"command1"}, "Command2"}, // case-insensitive
        {{"COMMAND2", "Command1"}, "Command3"},
        {{"new", "Command10"}, "Command1"},
        {{"Command01"}, "Command1"}, // not the same text
    };
    for (const auto& c : cases) {
        TChildCommand set;
        for (const auto& name : c.existing) {
            TCommand* item = set.Commands()->Add();
            if (!name.empty()) item->Name = name;
        }
        EXPECT_EQ(set.Commands()->Add()->Name, c.next);
    }
}

TEST(Commands, DeletedNameIsReused) {
    TChildCommand set;
    for (int i = 0; i < 3; ++i)
        set.Commands()->Add();
    EXPECT_EQ(Names(*set.Commands()), (std::vector<std::string>{"Command1", "Command2", "Command3"}));
    set.Commands()->Delete(1);
    EXPECT_EQ(set.Commands()->Add()->Name, "Command2");
}

TEST(Commands, NewCommandIsEmptyAndDisplayNameFallsBack) {
    TChildCommand set;
    TCommand* c = set.Commands()->Add();
    EXPECT_EQ(c->ShortCut, 0);
    EXPECT_TRUE(c->Bitmap().Empty());
    EXPECT_FALSE(c->OnExecute);
    EXPECT_EQ(c->DisplayName(), "Command1");
    c->Name.clear();
    EXPECT_NE(c->DisplayName(), "");
    EXPECT_NE(c->DisplayName().find("[0]"), std::string::npos);
}

TEST(Commands, AssignmentCopiesEveryFieldIncludingTheImage) {
    TChildCommand a, b;
    TCommand* src = a.Commands()->Add();
    int ran = 0;
    src->Name = "save";
    src->Caption = "保存";
    src->Hint = "h";
    src->Data = "d";
    src->ShortCut = 0x4053;
    src->SetBitmap(TCommandBitmap(2, 1, {clRed, clWhite}));
    src->OnExecute = [&](TObject*) { ++ran; };
    src->OnUpdate = [&](TObject*) { ran += 10; };
    TCommand* dst = b.Commands()->Add();
    dst->Assign(*src);
    EXPECT_EQ(dst->Name, "save");
    EXPECT_EQ(dst->Caption, "保存");
    EXPECT_EQ(dst->Hint, "h");
    EXPECT_EQ(dst->Data, "d");
    EXPECT_EQ(dst->ShortCut, 0x4053);
    EXPECT_EQ(dst->Bitmap(), src->Bitmap());
    dst->Execute();
    dst->OnUpdate(dst);
    EXPECT_EQ(ran, 11);
    // The image is a copy: changing the source leaves the target alone.
    src->SetBitmap(TCommandBitmap());
    EXPECT_FALSE(dst->Bitmap().Empty());
}

TEST(Commands, AssigningAnotherItemKindFails) {
    struct Other : TCollectionItem {
        using TCollectionItem::TCollectionItem;
    } other(nullptr);
    TChildCommand set;
    TCommand* c = set.Commands()->Add();
    EXPECT_THROW(c->Assign(other), std::invalid_argument);
    EXPECT_EQ(c->Name, "Command1");
}

TEST(Commands, SettingTheSetReplacesItemsAndKeepsTheCollection) {
    TChildCommand source, target;
    BuildBaseCommands(source, {});
    target.Commands()->Add()->Name = "old";
    TCommands* own = target.Commands();
    target.SetCommands(source.Commands());
    EXPECT_EQ(target.Commands(), own);
    EXPECT_EQ(Names(*own), Names(*source.Commands()));
    target.SetCommands(nullptr);
    EXPECT_EQ(own->Count(), 10);
}

TEST(Commands, BaseSetHasTheTenInOrderWithTheirHandlers) {
    TChildCommand set;
    std::vector<int> ran;
    std::array<TNotifyEvent, 10> handlers;
    for (int i = 0; i < 10; ++i)
        handlers[static_cast<std::size_t>(i)] = [&ran, i](TObject*) { ran.push_back(i); };
    BuildBaseCommands(set, handlers);
    EXPECT_EQ(Names(*set.Commands()),
              (std::vector<std::string>{"new", "update", "delete", "save", "search", "cancel", "firstrec",
                                        "priorrec", "nextrec", "lastrec"}));
    for (int i = 0; i < 10; ++i) {
        TCommand* c = set.Commands()->Items(i);
        EXPECT_EQ(c->Caption, i == 0 ? "new" : "");
        EXPECT_EQ(c->ShortCut, 0);
        EXPECT_TRUE(c->Hint.empty() && c->Data.empty() && c->Bitmap().Empty() && !c->OnUpdate);
    }
    set.Commands()->Find("SAVE")->Execute();
    set.Commands()->Items(9)->Execute();
    EXPECT_EQ(ran, (std::vector<int>{3, 9}));
}

TEST(Commands, SetIsFreedWithItsOwner) {
    auto* form = new TComponent();
    auto* set = new TChildCommand(form);
    set->Name = "chldcmndBase";
    BuildBaseCommands(*set, {});
    EXPECT_EQ(form->FindComponent("chldcmndBase"), set);
    delete form; // frees the set and its commands; sanitiser builds catch a leak or double free
}

} // namespace
} // namespace qm
