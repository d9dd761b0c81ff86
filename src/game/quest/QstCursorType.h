#pragma once

namespace Quib {

// The cursor kind an item state asks for; the field maps it to the
// application's cursor.
enum EQstCursorType : int {
    QST_CURSOR_NONE = 0,    // nothing to do
    QST_CURSOR_LEAVE = 1,   // goes to another scene or a movie
    QST_CURSOR_UNUSED = 2,
    QST_CURSOR_HOG = 3,     // hidden-object level
    QST_CURSOR_USE = 4,     // hand
    QST_CURSOR_HINT = 5,    // a click shows the hint text
    QST_CURSOR_CLOSEUP = 6, // opens a popup field
};

} // namespace Quib
