// Loads any bytes as a layered picture's layers.ini (through the pak layer,
// images not loaded) and checks what came out: no more layers than the
// limit, numbers within it, sorted by z, homes equal to positions, and
// look-ups that find every layer by its name.
#include "FuzzSupport.h"
#include "src/game/quest/PsdPicture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    using namespace Quib::Fuzz;
    FuzzPak pak({{"pic\\layers.ini", std::string(Text(data, size)), {}}});
    PsdPicture picture("PIC/", false);
    if (picture.layers.size() > size_t(PsdPicture::kMaxLayers))
        Fail("more layers than the limit");
    for (size_t i = 0; i < picture.layers.size(); ++i) {
        const PsdPictureLayer* layer = picture.layers[i];
        if (std::abs(layer->x) > PsdPicture::kMaxNumber || std::abs(layer->y) > PsdPicture::kMaxNumber ||
            std::abs(layer->z) > PsdPicture::kMaxNumber)
            Fail("number beyond the limit");
        if (i > 0 && picture.layers[i - 1]->z > layer->z)
            Fail("layers not sorted by z");
        if (layer->homeX != layer->x || layer->homeY != layer->y)
            Fail("home differs from the position");
        const PsdPictureLayer* found = picture.FindLayer(layer->name);
        if (!found || found->name != layer->name)
            Fail("layer not found by its name");
    }
    picture.SetLayerFlag("a", false);
    picture.Offset(3, -3);
    picture.LoadFlaggedImages(); // no application: every image is missing
    return 0;
}
