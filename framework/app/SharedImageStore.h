#pragma once
#include "framework/app/SharedImageRef.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace Quib {

class ImageRegistry;

// The pictures shared by name: one entry per (file name, variant), letter
// case ignored, with its number of users. The map is guarded by the
// registry's image-set lock (the display's critical section).
class SharedImageStore {
public:
    explicit SharedImageStore(ImageRegistry* owner);
    // Deletes every picture (Clear); references still held find none.
    ~SharedImageStore();
    SharedImageStore(const SharedImageStore&) = delete;
    SharedImageStore& operator=(const SharedImageStore&) = delete;

    // The entry of (name, variant), made when missing, with one more user.
    // A new entry gets an empty display image for a name starting with "!",
    // else the registry's image of the file (null when it cannot be read).
    // created (may be null) tells whether this call made the entry.
    SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created);
    // When a use count reached 0 since the last purge: deletes every entry
    // that has no user left (and its picture).
    void PurgeReleasedSharedImages();
    // Deletes every entry and its picture, whatever its users: references
    // still held find no picture. The application's exit runs it while the
    // display still exists.
    void Clear();
    // Number of entries.
    size_t Size() const;

    ImageRegistry* registry;
    // Set when a use count drops to 0.
    std::atomic<bool> released{false};
    std::map<std::pair<std::string, std::string>, std::shared_ptr<SharedImage>> entries;
};

} // namespace Quib
