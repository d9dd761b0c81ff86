#pragma once
#include <string>

namespace Quib {

// An edit field offers every change here first; the Allow calls may refuse.
class EditListener {
public:
    virtual ~EditListener() = default;

    // Enter was pressed.
    virtual void EditTextEntered(int /*id*/, const std::u16string& /*text*/) {}
    virtual bool AllowKey(int /*id*/, int /*virtualKey*/) { return true; }
    virtual bool AllowChar(int /*id*/, char16_t /*ch*/) { return true; }
    virtual bool AllowText(int /*id*/, const std::u16string& /*newText*/) { return true; }
};

} // namespace Quib
