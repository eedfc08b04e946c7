#include "fwObject.h"

#include <algorithm>

namespace {
// Process-wide serial number of TfwObject constructions; only ever increased.
int32_t objectCounter = 0;
} // namespace

EfwListIndexError::EfwListIndexError(int index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

TfwObject::TfwObject() : ID(++objectCounter) {}

int32_t TfwObject::LastID() {
    return objectCounter;
}

TfwObjectlist::TfwObjectlist(bool ownsObjects) : owns_(ownsObjects) {}

TfwObjectlist::~TfwObjectlist() {
    Clear();
}

void TfwObjectlist::Free(TfwObject* item) const {
    // The owning list is the one place that frees what it holds.
    if (owns_)
        std::unique_ptr<TfwObject> release(item);
}

void TfwObjectlist::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EfwListIndexError(index);
}

int TfwObjectlist::Add(TfwObject* item) {
    items_.push_back(item);
    return Count() - 1;
}

void TfwObjectlist::Insert(int index, TfwObject* item) {
    if (index < 0 || index > Count())
        throw EfwListIndexError(index);
    items_.insert(items_.begin() + index, item);
}

TfwObject* TfwObjectlist::Items(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

int TfwObjectlist::IndexOf(const TfwObject* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TfwObjectlist::Delete(int index) {
    Free(Extract(index));
}

int TfwObjectlist::Remove(TfwObject* item) {
    int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

TfwObject* TfwObjectlist::Extract(int index) {
    CheckIndex(index);
    TfwObject* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    return item;
}

void TfwObjectlist::Move(int from, int to) {
    TfwObject* item = Extract(from);
    Insert(to, item);
}

void TfwObjectlist::Clear() {
    // Take the items out first, so that a destructor that looks at this list
    // (a world object's subtree) never sees a freed entry.
    std::vector<TfwObject*> items;
    items.swap(items_);
    for (TfwObject* item : items)
        Free(item);
}
