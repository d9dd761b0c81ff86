#pragma once
#include "framework/core/Rect.h"

#include <string>

namespace Quib {

class Image;

// One page of the journal.
struct QstBookPage {
    std::u16string head; // on a record's first page only
    std::u16string text;
    Rect textRect;              // journal coordinates
    Image* note = nullptr;      // the layout's, on a record's first page only
    int32_t noteX = 0;
    int32_t noteY = 0;
};

} // namespace Quib
