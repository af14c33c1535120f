// Owned components and collections: the ownership model every form, data module and command set
// builds on. Header-only so that a host can use these classes without linking the module.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace qm {

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A component owns the components created with it as owner, frees them with itself (last created
// first) and lists them in creation order.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner = nullptr) : FOwner(owner) {
        if (FOwner) FOwner->FComponents.push_back(this);
    }
    ~TComponent() override {
        FDestroying = true;
        while (!FComponents.empty()) {
            TComponent* last = FComponents.back();
            FComponents.pop_back();
            last->FOwner = nullptr;
            delete last;
        }
        if (FOwner) FOwner->RemoveComponent(this);
    }
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }
    const std::vector<TComponent*>& ComponentList() const { return FComponents; }
    TComponent* FindComponent(const std::string& name) const {
        for (TComponent* c : FComponents)
            if (c->Name == name) return c;
        return nullptr;
    }
    bool Destroying() const { return FDestroying; }

    // Moves this component to another owner (null: no owner).
    void SetOwner(TComponent* owner) {
        if (owner == FOwner) return;
        if (FOwner) FOwner->RemoveComponent(this);
        FOwner = owner;
        if (FOwner) FOwner->FComponents.push_back(this);
    }

    std::string Name;
    std::intptr_t Tag = 0;

private:
    void RemoveComponent(TComponent* c) {
        auto it = std::find(FComponents.begin(), FComponents.end(), c);
        if (it != FComponents.end()) FComponents.erase(it);
    }
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    bool FDestroying = false;
};

class TCollection;

// One item of a collection; it knows its collection and its position there.
class TCollectionItem : public TObject {
public:
    explicit TCollectionItem(TCollection* collection) : FCollection(collection) {}
    TCollection* Collection() const { return FCollection; }
    int Index() const;
    virtual std::string DisplayName() const { return GetNamePath(); }
    // The generic display name of an item without a name of its own.
    std::string GetNamePath() const;
    // The generic assignment: only the same item kind may be copied, and only if it says so.
    virtual void Assign(const TCollectionItem& source) {
        throw std::invalid_argument("Cannot assign a " + std::string(typeid(source).name()) + " to a " +
                                    std::string(typeid(*this).name()));
    }

private:
    friend class TCollection;
    TCollection* FCollection;
};

// An ordered collection that owns its items; the item kind is fixed at creation.
class TCollection : public TObject {
public:
    using ItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;
    TCollection(TObject* owner, ItemFactory factory) : FOwner(owner), FFactory(std::move(factory)) {}
    TObject* Owner() const { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    TCollectionItem* Add() {
        FItems.push_back(FFactory(this));
        TCollectionItem* item = FItems.back().get();
        Notify(item);
        return item;
    }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }
    int IndexOf(const TCollectionItem* item) const {
        for (std::size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].get() == item) return static_cast<int>(i);
        return -1;
    }
    // Replaces the items by copies of the source's items; the collection stays the same object.
    void Assign(const TCollection& source) {
        if (&source == this) return;
        Clear();
        for (int i = 0; i < source.Count(); ++i)
            Add()->Assign(*source.Items(i));
    }

protected:
    // Runs after an item was inserted.
    virtual void Notify(TCollectionItem* /*item*/) {}

private:
    TObject* FOwner;
    ItemFactory FFactory;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
};

inline int TCollectionItem::Index() const {
    return FCollection ? FCollection->IndexOf(this) : -1;
}
inline std::string TCollectionItem::GetNamePath() const {
    return std::string(typeid(*this).name()) + "[" + std::to_string(Index()) + "]";
}

} // namespace qm
