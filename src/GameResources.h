#pragma once
#include <string>

namespace Quib {

class Font;
class Image;
class ResourceManager;

// Fonts and images of the "Common" resource group, bound once after the
// group has loaded; null before. Screens, scenes and mini-games draw with them.
extern Font* FONT_BUTTON;
extern Font* FONT_CORBEL;
extern Font* FONT_DEFAULT;
extern Font* FONT_HEAD;
extern Font* FONT_TEXT;
extern Font* FONT_TEXT_BOLD;

extern Image* IMAGE_BUTTON_CROSS;
extern Image* IMAGE_BUTTON_SKIP;
extern Image* IMAGE_BUTTON_SKIP_OVER;
extern Image* IMAGE_CURSOR_AIM;
extern Image* IMAGE_CURSOR_AIM_HIT;
extern Image* IMAGE_CURSOR_AIM_MISS;
extern Image* IMAGE_CURSOR_ARROW;
extern Image* IMAGE_CURSOR_ARROW_RED;
extern Image* IMAGE_CURSOR_DOOR;
extern Image* IMAGE_CURSOR_HAND;
extern Image* IMAGE_CURSOR_HAND2;
extern Image* IMAGE_CURSOR_ITEM;
extern Image* IMAGE_CURSOR_MAGNIFIER;
extern Image* IMAGE_DARK_BACK;
extern Image* IMAGE_FIELD_BORDER;
extern Image* IMAGE_HINT;
extern Image* IMAGE_HINT_CIRCLE;
extern Image* IMAGE_HINT_RECH;
extern Image* IMAGE_LINE;
extern Image* IMAGE_LOOP;
extern Image* IMAGE_PARTS;

// Binds every handle above through the manager's throwing getters, in the
// order listed; throws ResourceManagerException for an id the group lacks.
void BindResources(ResourceManager& manager);
// Clears every handle and lets the bound pictures go.
void UnbindResources();

} // namespace Quib
