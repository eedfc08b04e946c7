// The common base of the framework's non-visual objects, the object list that
// holds them, and the one exception type every error of the program is raised as.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The general exception: one message, no codes. Every error the program
// raises is one of these, so the program body needs one guard.
class EfwError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by list access outside 0 .. Count() - 1.
class EfwListIndexError : public EfwError {
public:
    explicit EfwListIndexError(int index);
};

// Raised by typed list access when the item is not of the requested class.
class EfwInvalidCast : public EfwError {
public:
    EfwInvalidCast() : EfwError("Invalid type cast") {}
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
// construction. An owning list holds its items as unique_ptr and frees an item
// when it is deleted, removed, or the list is cleared or destroyed; a reference
// list holds plain pointers and never frees anything. Adding to a list of the
// other kind is a broken invariant and raises EfwError.
class TfwObjectlist : public TfwObject {
public:
    explicit TfwObjectlist(bool ownsObjects = true);
    ~TfwObjectlist() override;

    bool OwnsObjects() const { return owns_; }
    int Count() const;

    // Owning list: appends item, which the list owns from now on; the new index.
    int Add(std::unique_ptr<TfwObject> item);
    // Reference list: appends a plain reference; the new index.
    int AddReference(TfwObject* item);
    // As Add and AddReference, at index 0 .. Count().
    void Insert(int index, std::unique_ptr<TfwObject> item);
    void InsertReference(int index, TfwObject* item);

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
    // Takes item i out without freeing it: an owning list hands it over to the
    // caller; a reference list answers an empty pointer (it owned nothing).
    std::unique_ptr<TfwObject> Extract(int index);
    // Moves item from one index to another, as taking it out and inserting it
    // at to would; both indexes are checked before anything moves.
    void Move(int from, int to);
    void Clear();

private:
    void CheckIndex(int index) const;
    void CheckInsertIndex(int index) const;
    void RequireOwning(bool owning, const char* operation) const;

    bool owns_;
    std::vector<std::unique_ptr<TfwObject>> owned_; // the items of an owning list
    std::vector<TfwObject*> referenced_;            // the items of a reference list
};
