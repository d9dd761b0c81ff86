#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

namespace Quib {

class DDImage;
class Image;
class SharedImageStore;

// One picture of the application's shared-image store and the number of
// references that use it. References keep the record itself alive, so one
// that outlives the store only finds the picture gone.
struct SharedImage {
    std::unique_ptr<DDImage> image; // null for a file that could not be read
    std::atomic<int32_t> useCount{0};
    SharedImageStore* store = nullptr; // null once the store is gone
};

// A counted reference to a shared picture. Every copy and every assignment
// counts one more use; releasing the last use tells the store that the
// picture may go (it is deleted at its next purge). A reference may also
// carry a picture of its own, shared by its copies, which GetImage prefers.
class SharedImageRef {
public:
    SharedImageRef() = default;
    // Counts one use of the record (none for null).
    explicit SharedImageRef(std::shared_ptr<SharedImage> sharedRecord);
    SharedImageRef(const SharedImageRef& other);
    SharedImageRef(SharedImageRef&& other) noexcept;
    SharedImageRef& operator=(const SharedImageRef& other);
    SharedImageRef& operator=(SharedImageRef&& other) noexcept;
    ~SharedImageRef();

    // Drops the own picture and the use of the record.
    void Release();
    // The own picture when set, else the record's picture; null when none.
    Image* GetImage() const;
    // The record's picture; null without a record.
    DDImage* GetRecordImage() const;

    std::shared_ptr<SharedImage> record;
    std::shared_ptr<Image> ownImage;
};

} // namespace Quib
