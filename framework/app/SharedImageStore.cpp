#include "framework/app/SharedImageStore.h"

#include "framework/files/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"

#include <mutex>

namespace Quib {

SharedImageStore::SharedImageStore(ImageRegistry* owner) : registry(owner) {}

SharedImageStore::~SharedImageStore()
{
    Clear();
}

void SharedImageStore::Clear()
{
    std::unique_lock<std::recursive_mutex> lock;
    if (registry)
        lock = std::unique_lock(registry->ImageSetLock());
    for (auto& [key, entry] : entries) {
        entry->store = nullptr;
        entry->image.reset();
    }
    entries.clear();
    released = false;
}

SharedImageRef SharedImageStore::GetSharedImage(const std::string& name, const std::string& variant, bool* created)
{
    if (created)
        *created = false;
    const auto key = std::make_pair(StringToUpper(name), StringToUpper(variant));
    std::recursive_mutex& mutex = registry->ImageSetLock();
    {
        std::lock_guard lock(mutex);
        const auto it = entries.find(key);
        if (it != entries.end())
            return SharedImageRef(it->second);
    }

    // The picture is read outside the lock, so that a long load on one
    // thread does not hold up the display; a thread that made the same
    // entry meanwhile wins and this picture is dropped.
    std::unique_ptr<DDImage> image;
    if (!name.empty() && name[0] == '!')
        image = std::make_unique<DDImage>(registry->Display());
    else
        image.reset(registry->CreateImage(name, false));

    std::lock_guard lock(mutex);
    auto& slot = entries[key];
    if (slot)
        return SharedImageRef(slot);
    slot = std::make_shared<SharedImage>();
    slot->image = std::move(image);
    slot->store = this;
    if (created)
        *created = true;
    return SharedImageRef(slot);
}

void SharedImageStore::PurgeReleasedSharedImages()
{
    if (!released.exchange(false))
        return;
    std::lock_guard lock(registry->ImageSetLock());
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->second->useCount.load() <= 0) {
            it->second->store = nullptr;
            it->second->image.reset();
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
}

size_t SharedImageStore::Size() const
{
    return entries.size();
}

} // namespace Quib
