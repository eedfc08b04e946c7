// Media objects: the resource base, the registry that holds resources without
// duplicates (owning or not), and the batch loader with its progress report.
#pragma once

#include "fwObject.h"

#include <functional>
#include <memory>
#include <string>

// Base of images, fonts, sounds and music: a name, the file it came from, a
// loaded flag and an integer tag that the framework carries but never reads.
class TfwResource : public TfwObject {
public:
    explicit TfwResource(int32_t tag);

    int32_t Tag;
    bool Loaded = false;
    std::string FileName;
    std::string Name;

    // Loads the data under Name from FileName; on success sets Name, FileName
    // and Loaded. Failures are logged by the descendant and answered false.
    virtual bool LoadFromFile(const std::string& name, const std::string& fileName) = 0;
    // LoadFromFile with the stored Name and FileName.
    virtual bool Reload();
    // Releases the data; true when there was data to release.
    virtual bool Unload();
};

// A registry of resources by identity, never holding one twice.
class TfwResourceManager : public TfwObject {
public:
    explicit TfwResourceManager(bool ownsResources);

    TfwObjectlist Items;

    int Count() const { return Items.Count(); }
    TfwResource* Resources(int index) const { return Items.ItemAs<TfwResource>(index); }
    // Position of that very object, or -1.
    int IndexOf(const TfwResource* resource) const;
    // Appends unless present; the position either way. A reference registry
    // holds a plain reference. An owning registry takes resources over through
    // Adopt only: Add answers the position of one it holds, and raises EfwError
    // for any other.
    int Add(TfwResource* resource);
    // Owning registry: takes resource over and hands back a plain reference
    // (EfwError on a reference registry).
    template <class T> T* Adopt(std::unique_ptr<T> resource) {
        T* r = resource.get();
        Items.Add(std::move(resource));
        return r;
    }
};

// One queued load: a resource (not owned), the name and the file to load it from.
class TfwResourceItem : public TfwObject {
public:
    TfwResourceItem(TfwResource* resource, std::string name, std::string fileName);

    TfwResource* Resource;
    std::string Name;
    std::string FileName;

    // Resource->LoadFromFile(Name, FileName); the result is dropped.
    void Load();
};

// Progress of a batch: (index, count), index running 0 .. count.
using TfwProgressEvent = std::function<void(int32_t index, int32_t count)>;

// A batch of loads, run in the order they were added, with a progress call
// before the first and after each one. Owns its entries, never the resources.
class TfwResourceLoader : public TfwObject {
public:
    TfwResourceLoader();

    TfwObjectlist Items;

    // Queues a load and hands the resource back.
    template <class T> T* Add(T* resource, const std::string& name, const std::string& fileName) {
        AddItem(resource, name, fileName);
        return resource;
    }
    void AddItem(TfwResource* resource, const std::string& name, const std::string& fileName);

    // Loads every entry; a failing entry does not stop the batch.
    void LoadAll(const TfwProgressEvent& onProgress);
    // LoadAll one progress call at a time: the first call reports (0, count),
    // each later one loads the next entry and reports it; false, doing
    // nothing, once all count + 1 are done.
    bool LoadNext(const TfwProgressEvent& onProgress);

private:
    int next_ = 0; // LoadNext's next progress call
};
