// A form with every border icon and hooks that count and can fail, for the base's tests.
#pragma once

#include <stdexcept>

#include "dataset/mem_table.h"
#include "framework/child_form.h"

namespace qm::test {

class TTestForm : public TfrmChildBase {
public:
    explicit TTestForm(QWidget* parent)
        : TfrmChildBase(
              parent, TBorderIcon::biSystemMenu | TBorderIcon::biMinimize | unsigned(TBorderIcon::biMaximize),
              QSize(333, 209)) {}
    TTestForm(QWidget* parent, TBorderIcons icons) : TfrmChildBase(parent, icons, QSize(333, 209)) {}

    bool CanCloseForm() override {
        ++CanCloseCalls;
        if (ThrowOnCanClose) throw std::runtime_error("check failed");
        if (DuringCanClose) DuringCanClose();
        return MayClose;
    }
    void DoSave() override {
        ++Saves;
        if (DuringSave) DuringSave();
        if (ThrowOnSave) throw std::runtime_error("save broke");
    }
    void InitOnActivate() override {
        TfrmChildBase::InitOnActivate();
        ++Inits;
    }
    void AfterActivate() override { ++Afters; }
    void FreeFormData() override {
        ++Frees;
        TfrmChildBase::FreeFormData();
    }
    void CreateFormData() override {
        TfrmChildBase::CreateFormData();
        auto* dm = new TComponent(this);
        Main = new TMemTable(dm);
        Main->Tag = 255;
        Delta = new TMemTable(dm);
        Delta->Tag = 256;
        for (TMemTable* t : {Main, Delta}) {
            t->FieldDefs().Add("A", ftString, 10);
            t->CreateDataSet();
        }
        SetDataModule(dm);
    }

    bool MayClose = true;
    bool ThrowOnCanClose = false;
    bool ThrowOnSave = false;
    std::function<void()> DuringCanClose, DuringSave;
    int CanCloseCalls = 0, Saves = 0, Inits = 0, Afters = 0, Frees = 0;
    TMemTable* Main = nullptr;
    TMemTable* Delta = nullptr;
};

} // namespace qm::test
