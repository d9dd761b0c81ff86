#include "framework/app/SharedImageRef.h"

#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"

#include <utility>

namespace Quib {

SharedImageRef::SharedImageRef(SharedImage* entry) : record(entry)
{
    if (record)
        record->users.fetch_add(1);
}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : record(other.record), ownImage(other.ownImage)
{
    if (record)
        record->users.fetch_add(1);
}

SharedImageRef::SharedImageRef(SharedImageRef&& other) noexcept
    : record(std::exchange(other.record, nullptr)), ownImage(std::exchange(other.ownImage, nullptr)),
      ownsOwnImage(std::exchange(other.ownsOwnImage, false))
{
}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other)
{
    if (this == &other)
        return *this;
    SharedImage* entry = other.record;
    if (entry)
        entry->users.fetch_add(1); // before the release: other may be the last user of the same entry
    Release();
    record = entry;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImageRef&& other) noexcept
{
    if (this == &other)
        return *this;
    Release();
    record = std::exchange(other.record, nullptr);
    ownImage = std::exchange(other.ownImage, nullptr);
    ownsOwnImage = std::exchange(other.ownsOwnImage, false);
    return *this;
}

SharedImageRef::~SharedImageRef()
{
    Release();
}

void SharedImageRef::Release()
{
    if (ownsOwnImage)
        delete ownImage;
    ownImage = nullptr;
    ownsOwnImage = false;
    if (record && record->users.fetch_sub(1) == 1 && gQuibAppBase)
        gQuibAppBase->sharedImagesReleased.store(true);
    record = nullptr;
}

Image* SharedImageRef::GetImage() const
{
    if (ownImage)
        return ownImage;
    return GetRecordImage();
}

DDImage* SharedImageRef::GetRecordImage() const
{
    return record ? record->image : nullptr;
}

} // namespace Quib
