#include "fwObject.h"

#include <algorithm>

namespace {
// Process-wide serial number of TfwObject constructions; only ever increased.
int32_t objectCounter = 0;
} // namespace

EfwListIndexError::EfwListIndexError(int index)
    : EfwError("List index out of bounds (" + std::to_string(index) + ")") {}

TfwObject::TfwObject() : ID(++objectCounter) {}

int32_t TfwObject::LastID() {
    return objectCounter;
}

namespace {
// Moves entry from to position to, as erasing it and inserting it there would.
template <class Entries> void MoveEntry(Entries& entries, size_t from, size_t to) {
    auto at = [&](size_t i) { return entries.begin() + static_cast<std::ptrdiff_t>(i); };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
}
} // namespace

TfwObjectlist::TfwObjectlist(bool ownsObjects) : owns_(ownsObjects) {}

TfwObjectlist::~TfwObjectlist() {
    Clear();
}

int TfwObjectlist::Count() const {
    return static_cast<int>(owns_ ? owned_.size() : referenced_.size());
}

void TfwObjectlist::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EfwListIndexError(index);
}

void TfwObjectlist::CheckInsertIndex(int index) const {
    if (index < 0 || index > Count())
        throw EfwListIndexError(index);
}

void TfwObjectlist::RequireOwning(bool owning, const char* operation) const {
    if (owns_ != owning)
        throw EfwError(std::string("TfwObjectlist::") + operation +
                       (owns_ ? " on an owning list" : " on a reference list"));
}

int TfwObjectlist::Add(std::unique_ptr<TfwObject> item) {
    Insert(Count(), std::move(item));
    return Count() - 1;
}

int TfwObjectlist::AddReference(TfwObject* item) {
    InsertReference(Count(), item);
    return Count() - 1;
}

void TfwObjectlist::Insert(int index, std::unique_ptr<TfwObject> item) {
    RequireOwning(true, "Insert");
    CheckInsertIndex(index);
    owned_.insert(owned_.begin() + index, std::move(item));
}

void TfwObjectlist::InsertReference(int index, TfwObject* item) {
    RequireOwning(false, "InsertReference");
    CheckInsertIndex(index);
    referenced_.insert(referenced_.begin() + index, item);
}

TfwObject* TfwObjectlist::Items(int index) const {
    CheckIndex(index);
    const auto i = static_cast<size_t>(index);
    return owns_ ? owned_[i].get() : referenced_[i];
}

int TfwObjectlist::IndexOf(const TfwObject* item) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i) == item)
            return i;
    return -1;
}

void TfwObjectlist::Delete(int index) {
    // The extracted item is freed here, after it has left the list.
    Extract(index);
}

int TfwObjectlist::Remove(TfwObject* item) {
    int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

std::unique_ptr<TfwObject> TfwObjectlist::Extract(int index) {
    CheckIndex(index);
    if (!owns_) {
        referenced_.erase(referenced_.begin() + index);
        return nullptr;
    }
    std::unique_ptr<TfwObject> item = std::move(owned_[static_cast<size_t>(index)]);
    owned_.erase(owned_.begin() + index);
    return item;
}

void TfwObjectlist::Move(int from, int to) {
    CheckIndex(from);
    CheckIndex(to);
    if (owns_)
        MoveEntry(owned_, static_cast<size_t>(from), static_cast<size_t>(to));
    else
        MoveEntry(referenced_, static_cast<size_t>(from), static_cast<size_t>(to));
}

void TfwObjectlist::Clear() {
    // Take the items out first, so that a destructor that looks at this list
    // (a world object's subtree) never sees a freed entry.
    std::vector<std::unique_ptr<TfwObject>> owned;
    owned.swap(owned_);
    referenced_.clear();
    for (std::unique_ptr<TfwObject>& item : owned)
        item.reset(); // in list order
}
