#include "fwResource.h"

TfwResource::TfwResource(int32_t tag) : Tag(tag) {}

bool TfwResource::Reload() {
    return LoadFromFile(Name, FileName);
}

bool TfwResource::Unload() {
    return false;
}

TfwResourceManager::TfwResourceManager(bool ownsResources) : Items(ownsResources) {}

int TfwResourceManager::IndexOf(const TfwResource* resource) const {
    return Items.IndexOf(resource);
}

int TfwResourceManager::Add(TfwResource* resource) {
    int index = IndexOf(resource);
    if (index >= 0)
        return index;
    return Items.AddReference(resource); // EfwError on an owning registry
}

TfwResourceItem::TfwResourceItem(TfwResource* resource, std::string name, std::string fileName)
    : Resource(resource), Name(std::move(name)), FileName(std::move(fileName)) {}

void TfwResourceItem::Load() {
    if (Resource != nullptr)
        Resource->LoadFromFile(Name, FileName);
}

TfwResourceLoader::TfwResourceLoader() : Items(true) {}

void TfwResourceLoader::AddItem(TfwResource* resource, const std::string& name,
                                const std::string& fileName) {
    Items.Add(std::make_unique<TfwResourceItem>(resource, name, fileName));
}

void TfwResourceLoader::LoadAll(const TfwProgressEvent& onProgress) {
    if (onProgress)
        onProgress(0, Items.Count());
    const int count = Items.Count(); // the batch is the entries present at the start
    for (int i = 0; i < count; ++i) {
        Items.ItemAs<TfwResourceItem>(i)->Load();
        if (onProgress)
            onProgress(i + 1, Items.Count());
    }
}

bool TfwResourceLoader::LoadNext(const TfwProgressEvent& onProgress) {
    if (next_ > Items.Count())
        return false;
    if (next_ > 0)
        Items.ItemAs<TfwResourceItem>(next_ - 1)->Load();
    if (onProgress)
        onProgress(next_, Items.Count());
    ++next_;
    return true;
}
