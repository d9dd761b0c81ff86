#pragma once
#include <atomic>
#include <cstdint>

namespace Quib {

class DDImage;
class Image;

// One picture of the application's shared-image store and the number of
// references to it.
struct SharedImage {
    DDImage* image = nullptr; // owned by the store
    std::atomic<int32_t> users{0};
};

// A counted reference to a shared picture, or to a picture of its own.
class SharedImageRef {
public:
    SharedImageRef() = default;
    // Takes one more use of the store entry.
    explicit SharedImageRef(SharedImage* entry);
    // Shares the entry (one more use) and the own picture, without owning
    // it.
    SharedImageRef(const SharedImageRef& other);
    SharedImageRef(SharedImageRef&& other) noexcept;
    // Releases, then shares the other's entry; no own picture.
    SharedImageRef& operator=(const SharedImageRef& other);
    SharedImageRef& operator=(SharedImageRef&& other) noexcept;
    ~SharedImageRef();

    // Deletes an owned own picture and gives up the use of the entry; the
    // last use tells the application to purge the entry.
    void Release();
    // The own picture when there is one, else the entry's.
    Image* GetImage() const;
    // The entry's picture; null without an entry.
    DDImage* GetRecordImage() const;

    SharedImage* record = nullptr;
    Image* ownImage = nullptr;
    bool ownsOwnImage = false;
};

} // namespace Quib
