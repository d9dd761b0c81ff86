#include "src/screens/BaseBoard.h"

#include "framework/files/FrameTimer.h"
#include "framework/files/Process.h"

namespace Quib {

BaseBoard::BaseBoard(bool loading) : needsLoading(loading) {}

void BaseBoard::Start()
{
    FrameTimer::GetInstance().Reset();
    OnStart();
}

void BaseBoard::Update()
{
    const float average = FrameTimer::GetInstance().Step();
    if (stepsProcesses)
        Process::StepAll(average);
    UpdateBoard(average);
    ++updateCount;
    Invalidate();
}

} // namespace Quib
