#include "framework/widgets/FlashSink.h"

#include "framework/widgets/FlashWidget.h"

namespace Quib {

void FlashSink::OnMovieCommand(const std::string& command, const std::string& argument)
{
    mWidget->OnFSCommand(command, argument);
}

} // namespace Quib
