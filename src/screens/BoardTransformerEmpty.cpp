#include "src/screens/BoardTransformerEmpty.h"

namespace Quib {

void BoardTransformerEmpty::Advance(float)
{
    Finish();
}

} // namespace Quib
