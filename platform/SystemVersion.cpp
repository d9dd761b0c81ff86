#include "platform/SystemVersion.h"

namespace Quib {

bool IsWindowsAboveXP()
{
    return true;
}

bool IsWindows9x()
{
    return false;
}

} // namespace Quib
