#include "src/GameResources.h"

#include "framework/app/ResourceManager.h"
#include "framework/app/SharedImageRef.h"

#include <array>

namespace Quib {

Font* FONT_BUTTON = nullptr;
Font* FONT_CORBEL = nullptr;
Font* FONT_DEFAULT = nullptr;
Font* FONT_HEAD = nullptr;
Font* FONT_TEXT = nullptr;
Font* FONT_TEXT_BOLD = nullptr;

Image* IMAGE_BUTTON_CROSS = nullptr;
Image* IMAGE_BUTTON_SKIP = nullptr;
Image* IMAGE_BUTTON_SKIP_OVER = nullptr;
Image* IMAGE_CURSOR_AIM = nullptr;
Image* IMAGE_CURSOR_AIM_HIT = nullptr;
Image* IMAGE_CURSOR_AIM_MISS = nullptr;
Image* IMAGE_CURSOR_ARROW = nullptr;
Image* IMAGE_CURSOR_ARROW_RED = nullptr;
Image* IMAGE_CURSOR_DOOR = nullptr;
Image* IMAGE_CURSOR_HAND = nullptr;
Image* IMAGE_CURSOR_HAND2 = nullptr;
Image* IMAGE_CURSOR_ITEM = nullptr;
Image* IMAGE_CURSOR_MAGNIFIER = nullptr;
Image* IMAGE_DARK_BACK = nullptr;
Image* IMAGE_FIELD_BORDER = nullptr;
Image* IMAGE_HINT = nullptr;
Image* IMAGE_HINT_CIRCLE = nullptr;
Image* IMAGE_HINT_RECH = nullptr;
Image* IMAGE_LINE = nullptr;
Image* IMAGE_LOOP = nullptr;
Image* IMAGE_PARTS = nullptr;

namespace {

struct FontBinding {
    const char* id;
    Font** handle;
};
struct ImageBinding {
    const char* id;
    Image** handle;
};

const std::array<FontBinding, 6> kFonts{{
    {"FONT_BUTTON", &FONT_BUTTON},
    {"FONT_CORBEL", &FONT_CORBEL},
    {"FONT_DEFAULT", &FONT_DEFAULT},
    {"FONT_HEAD", &FONT_HEAD},
    {"FONT_TEXT", &FONT_TEXT},
    {"FONT_TEXT_BOLD", &FONT_TEXT_BOLD},
}};
const std::array<ImageBinding, 21> kImages{{
    {"IMAGE_BUTTON_CROSS", &IMAGE_BUTTON_CROSS},
    {"IMAGE_BUTTON_SKIP", &IMAGE_BUTTON_SKIP},
    {"IMAGE_BUTTON_SKIP_OVER", &IMAGE_BUTTON_SKIP_OVER},
    {"IMAGE_CURSOR_AIM", &IMAGE_CURSOR_AIM},
    {"IMAGE_CURSOR_AIM_HIT", &IMAGE_CURSOR_AIM_HIT},
    {"IMAGE_CURSOR_AIM_MISS", &IMAGE_CURSOR_AIM_MISS},
    {"IMAGE_CURSOR_ARROW", &IMAGE_CURSOR_ARROW},
    {"IMAGE_CURSOR_ARROW_RED", &IMAGE_CURSOR_ARROW_RED},
    {"IMAGE_CURSOR_DOOR", &IMAGE_CURSOR_DOOR},
    {"IMAGE_CURSOR_HAND", &IMAGE_CURSOR_HAND},
    {"IMAGE_CURSOR_HAND2", &IMAGE_CURSOR_HAND2},
    {"IMAGE_CURSOR_ITEM", &IMAGE_CURSOR_ITEM},
    {"IMAGE_CURSOR_MAGNIFIER", &IMAGE_CURSOR_MAGNIFIER},
    {"IMAGE_DARK_BACK", &IMAGE_DARK_BACK},
    {"IMAGE_FIELD_BORDER", &IMAGE_FIELD_BORDER},
    {"IMAGE_HINT", &IMAGE_HINT},
    {"IMAGE_HINT_CIRCLE", &IMAGE_HINT_CIRCLE},
    {"IMAGE_HINT_RECH", &IMAGE_HINT_RECH},
    {"IMAGE_LINE", &IMAGE_LINE},
    {"IMAGE_LOOP", &IMAGE_LOOP},
    {"IMAGE_PARTS", &IMAGE_PARTS},
}};

// The bound pictures stay referenced while their handles are in use.
std::array<SharedImageRef, 21> gImageRefs;

} // namespace

void BindResources(ResourceManager& manager)
{
    for (const FontBinding& font : kFonts)
        *font.handle = manager.GetFontThrow(font.id);
    for (size_t i = 0; i < kImages.size(); ++i) {
        gImageRefs[i] = manager.GetImageThrow(kImages[i].id);
        *kImages[i].handle = gImageRefs[i].GetImage();
    }
}

void UnbindResources()
{
    for (const FontBinding& font : kFonts)
        *font.handle = nullptr;
    for (size_t i = 0; i < kImages.size(); ++i) {
        *kImages[i].handle = nullptr;
        gImageRefs[i] = SharedImageRef();
    }
}

} // namespace Quib
