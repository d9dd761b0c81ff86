#pragma once
// Runs the picture loader over fuzz input stored as a member of a pak
// archive, with the alpha-picture look-up on as the application loads.
// Inputs of even length are both the picture and its alpha picture (so the
// two are merged); odd ones are only the alpha picture.
#include "FuzzSupport.h"
#include "framework/graphics/ImageLib.h"

namespace Quib::Fuzz {

inline int LoadImageFromPak(const uint8_t* data, size_t size, const char* extension)
{
    const std::string bytes(Text(data, size));
    const std::string name = std::string("gfx\\pic") + extension;
    std::vector<PakMember> members{{std::string("gfx\\_pic") + extension, bytes, {}}};
    if (size % 2 == 0)
        members.push_back({name, bytes, {}});
    ImageLib::LoadJ2kCodec();
    FuzzPak pak(members);
    std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(name, true);
    if (image && (image->width <= 0 || image->height <= 0 || !image->pixels))
        Fail("an empty picture was returned");
    return 0;
}

} // namespace Quib::Fuzz
