// The common base of the framework's non-visual objects, the object list that
// holds them, and the one exception type every error of the program is raised as.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

// The general exception: one message, no codes. The program body catches it.
class EfwError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by list access outside 0 .. Count() - 1.
class EfwListIndexError : public std::out_of_range {
public:
    explicit EfwListIndexError(int index);
};

// Raised by typed list access when the item is not of the requested class.
class EfwInvalidCast : public std::bad_cast {
public:
    const char* what() const noexcept override { return "Invalid type cast"; }
};

// Base of resources, sequences, world objects and modifiers. Every construction
// takes the next number of a process-wide counter: the first object is 1.
class TfwObject {
public:
    TfwObject();
    virtual ~TfwObject() = default;
    TfwObject(const TfwObject&) = delete;
    TfwObject& operator=(const TfwObject&) = delete;

    int32_t ID;

    // The number the last construction took (0 before the first).
    static int32_t LastID();
};

// Ordered, index-addressed list of objects that owns its items or not, fixed at
// construction. An owning list frees an item when it is deleted, removed, or the
// list is cleared or destroyed; a reference list never frees anything.
class TfwObjectlist : public TfwObject {
public:
    explicit TfwObjectlist(bool ownsObjects = true);
    ~TfwObjectlist() override;

    bool OwnsObjects() const { return owns_; }
    int Count() const { return static_cast<int>(items_.size()); }

    // Appends and returns the new index. On an owning list the list takes the
    // object over; the unique_ptr form makes that explicit at the call site.
    int Add(TfwObject* item);
    int Add(std::unique_ptr<TfwObject> item) { return Add(item.release()); }
    void Insert(int index, TfwObject* item);

    // The stored item; EfwListIndexError outside the list.
    TfwObject* Items(int index) const;
    // The item as T, with the class test: EfwInvalidCast for another class.
    template <class T> T* ItemAs(int index) const {
        TfwObject* o = Items(index);
        if (o == nullptr)
            return nullptr;
        T* t = dynamic_cast<T*>(o);
        if (t == nullptr)
            throw EfwInvalidCast();
        return t;
    }

    int IndexOf(const TfwObject* item) const;
    // Takes item i out and frees it when the list owns its items.
    void Delete(int index);
    // Takes item out (freed when owned); its former index, or -1.
    int Remove(TfwObject* item);
    // Takes item i out without freeing it, whatever the ownership.
    TfwObject* Extract(int index);
    // Moves item from one index to another (take out, then insert).
    void Move(int from, int to);
    void Clear();

private:
    void CheckIndex(int index) const;
    void Free(TfwObject* item) const;

    bool owns_;
    std::vector<TfwObject*> items_;
};
