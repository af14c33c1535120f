// An owned list of protocol items: Add makes an empty item at the end, Clear frees them in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/component.h"
#include "protocol/errors.h"

namespace qm {

template <class T> class TQmList : public TObject {
public:
    TQmList() = default;
    TQmList(const TQmList&) = delete;
    TQmList& operator=(const TQmList&) = delete;
    ~TQmList() override { Clear(); }

    int Add() {
        FItems.push_back(std::make_unique<T>());
        return static_cast<int>(FItems.size()) - 1;
    }
    // Takes ownership of an item made elsewhere; returns its index.
    int Add(std::unique_ptr<T> item) {
        FItems.push_back(std::move(item));
        return static_cast<int>(FItems.size()) - 1;
    }
    // Frees the items from the first to the last.
    void Clear() {
        for (auto& item : FItems)
            item.reset();
        FItems.clear();
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    T& Items(int index) const {
        if (index < 0 || index >= Count())
            throw EListError("List index out of bounds (" + std::to_string(index) + ")");
        return *FItems[static_cast<std::size_t>(index)];
    }
    T& Last() const { return Items(Count() - 1); }

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<T>> FItems;
};

} // namespace qm
