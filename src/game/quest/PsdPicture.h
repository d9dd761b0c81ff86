#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "src/game/quest/PsdPictureLayer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

class Graphics;

// A picture cut into named layers, each an image file with a position and
// a z, as <folder>layers.ini describes them:
//   [any section]
//   name = x y p3 p4 p5 p6 z
// The file is read lower-cased; the keys of its last section are the
// layers (numbers 3 to 6 are ignored).
class PsdPicture {
public:
    // Limits past which a layers.ini is refused as damaged.
    static constexpr int32_t kMaxLayers = 10000;
    static constexpr int32_t kMaxNumber = 1 << 20; // any number's magnitude
    static constexpr int32_t kMaxFileSize = 4 << 20;

    PsdPicture() = default;
    PsdPicture(const std::string& directory, bool loadImages);
    PsdPicture(const PsdPicture&) = delete;
    PsdPicture& operator=(const PsdPicture&) = delete;
    ~PsdPicture();

    // Reads directory + "/layers.ini" in place of the layers held, sorted
    // by z (equal z in file order). A missing file gives no layers; a file
    // with an absurd number, too many layers or too many bytes is logged
    // and gives no layers.
    void Load(const std::string& directory, bool loadImages);

    // The layer of that name (any case), or null.
    PsdPictureLayer* FindLayer(const std::string& name) const;
    // The layer's position and image size; false (and an empty rectangle)
    // when there is no such layer. With clearDrawn the layer is hidden.
    bool GetLayerRect(Rect& rect, const std::string& name, bool clearDrawn);
    void SetLayerDrawFlag(const std::string& name, bool value);
    // Every layer whose name contains the text (any case); all for "".
    void SetLayerFlag(const std::string& text, bool value);
    // Moves the position and the home position of every layer.
    void Offset(int32_t dx, int32_t dy);

    void LoadFlaggedImages();
    // Layers still flagged for loading.
    int CountImagesToLoad() const;
    // Loads the first layer still flagged and clears its flag; false when
    // none is left.
    bool LoadNextFlaggedImage();
    // directory + name through the application's image loader. A layer that
    // has its image keeps it. A failure is logged once per layer and leaves
    // no image, which draws as nothing.
    void LoadLayerImage(PsdPictureLayer* layer);
    void UpdateFlagged();

    void DrawLayer(PsdPictureLayer* layer, Graphics& g, const Point& origin);
    void DrawAll(Graphics& g);

    void Clear();
    static void Delete(PsdPicture* picture);

    // The layers of a layers.ini text, in file order (not sorted). False,
    // with the reason and its line in error, when the text is refused.
    static bool ParseLayers(std::string_view text, std::vector<PsdPictureLayer*>& layers, std::string& error);

    std::string directory;
    bool sharedImages = false;            // Clear leaves the images to their owner
    std::vector<PsdPictureLayer*> layers; // owned, ascending z after Load
};

} // namespace Quib
