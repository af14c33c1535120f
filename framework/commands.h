// Command sets: the named commands a form offers the host. The host reads them in place through
// the address the form announces, so this header is shared by both sides and needs no Qt.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/component.h"
#include "platform/platform.h"

namespace qm {

// A command's button image: 32-bit 0x00BBGGRR pixels, row by row; empty until set.
class TCommandBitmap {
public:
    TCommandBitmap() = default;
    TCommandBitmap(int width, int height, std::vector<TColor> pixels)
        : FWidth(width), FHeight(height), FPixels(std::move(pixels)) {
        if (FWidth <= 0 || FHeight <= 0 ||
            FPixels.size() != static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight))
            *this = TCommandBitmap();
    }
    bool Empty() const { return FPixels.empty(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TColor Pixel(int x, int y) const { return FPixels.at(static_cast<std::size_t>(y * FWidth + x)); }
    const std::vector<TColor>& Pixels() const { return FPixels; }
    friend bool operator==(const TCommandBitmap&, const TCommandBitmap&) = default;

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<TColor> FPixels;
};

class TCommand : public TCollectionItem {
public:
    explicit TCommand(TCollection* collection) : TCollectionItem(collection) {}

    std::string Name;
    std::string Caption;
    std::string Hint;
    std::string Data;
    std::uint16_t ShortCut = 0; // key code with modifier flags; 0 for none
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    const TCommandBitmap& Bitmap() const { return FBitmap; }
    void SetBitmap(const TCommandBitmap& image) { FBitmap = image; }

    // Runs the execute handler, if any, with this command as sender.
    void Execute() {
        if (OnExecute) OnExecute(this);
    }

    void Assign(const TCollectionItem& source) override {
        const auto* other = dynamic_cast<const TCommand*>(&source);
        if (!other) {
            TCollectionItem::Assign(source); // the generic assignment error
            return;
        }
        FBitmap = other->FBitmap;
        Caption = other->Caption;
        Hint = other->Hint;
        Data = other->Data;
        Name = other->Name;
        ShortCut = other->ShortCut;
        OnExecute = other->OnExecute;
        OnUpdate = other->OnUpdate;
    }

    std::string DisplayName() const override { return Name.empty() ? GetNamePath() : Name; }

private:
    TCommandBitmap FBitmap;
};

// The commands of one set; an unnamed item gets the first free "Command<n>" when inserted.
class TCommands : public TCollection {
public:
    explicit TCommands(TObject* owner)
        : TCollection(owner, [](TCollection* c) { return std::make_unique<TCommand>(c); }) {}

    TCommand* Add() { return static_cast<TCommand*>(TCollection::Add()); }
    TCommand* Items(int index) const { return static_cast<TCommand*>(TCollection::Items(index)); }
    // The first command of that name (case-insensitive), or null.
    TCommand* Find(std::string_view name) const {
        for (int i = 0; i < Count(); ++i)
            if (SameText(Items(i)->Name, name)) return Items(i);
        return nullptr;
    }

protected:
    void Notify(TCollectionItem* item) override {
        auto* command = static_cast<TCommand*>(item);
        if (!command->Name.empty()) return;
        int n = 1;
        while (n < std::numeric_limits<std::int32_t>::max() && NameTaken("Command" + std::to_string(n)))
            ++n;
        command->Name = "Command" + std::to_string(n);
    }

private:
    bool NameTaken(const std::string& name) const {
        for (int i = 0; i < Count(); ++i)
            if (SameText(Items(i)->Name, name)) return true;
        return false;
    }
};

// A command set owned by its form.
class TChildCommand : public TComponent {
public:
    explicit TChildCommand(TComponent* owner = nullptr)
        : TComponent(owner), FCommands(std::make_unique<TCommands>(this)) {}

    TCommands* Commands() const { return FCommands.get(); }
    // Replaces the items by copies of the source's; the own collection stays the same object.
    void SetCommands(const TCommands* source) {
        if (source) FCommands->Assign(*source);
    }

private:
    std::unique_ptr<TCommands> FCommands;
};

// The ten standard commands, in order; only "new" has a caption.
inline constexpr std::array<const char*, 10> kBaseCommandNames = {
    "new", "update", "delete", "save", "search", "cancel", "firstrec", "priorrec", "nextrec", "lastrec"};

// Fills the set with the ten standard commands, handler i running for command i.
inline void BuildBaseCommands(TChildCommand& set, const std::array<TNotifyEvent, 10>& handlers) {
    TCommands& commands = *set.Commands();
    commands.Clear();
    for (std::size_t i = 0; i < kBaseCommandNames.size(); ++i) {
        TCommand* command = commands.Add();
        command->Name = kBaseCommandNames[i];
        command->Caption = i == 0 ? "new" : "";
        command->OnExecute = handlers[i];
    }
}

} // namespace qm
