#include "framework/app/SharedImageRef.h"

#include "framework/app/SharedImageStore.h"
#include "framework/graphics/DDImage.h"

#include <utility>

namespace Quib {

SharedImageRef::SharedImageRef(std::shared_ptr<SharedImage> sharedRecord) : record(std::move(sharedRecord))
{
    if (record)
        record->useCount.fetch_add(1);
}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : record(other.record), ownImage(other.ownImage)
{
    if (record)
        record->useCount.fetch_add(1);
}

SharedImageRef::SharedImageRef(SharedImageRef&& other) noexcept
    : record(std::move(other.record)), ownImage(std::move(other.ownImage))
{
}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other)
{
    // The other's use is counted before this one's is dropped, so assigning
    // a reference to itself (or to a copy of itself) keeps the picture.
    SharedImageRef copy(other);
    *this = std::move(copy);
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImageRef&& other) noexcept
{
    if (this != &other) {
        Release();
        record = std::move(other.record);
        ownImage = std::move(other.ownImage);
    }
    return *this;
}

SharedImageRef::~SharedImageRef()
{
    Release();
}

void SharedImageRef::Release()
{
    ownImage.reset();
    if (!record)
        return;
    if (record->useCount.fetch_sub(1) == 1 && record->store)
        record->store->released = true;
    record.reset();
}

Image* SharedImageRef::GetImage() const
{
    if (ownImage)
        return ownImage.get();
    return GetRecordImage();
}

DDImage* SharedImageRef::GetRecordImage() const
{
    return record ? record->image.get() : nullptr;
}

} // namespace Quib
