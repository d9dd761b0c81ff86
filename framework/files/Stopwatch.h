#pragma once

namespace Quib {

// The process-wide stopwatch on the platform clock's performance counter.
// Main thread only.

// Starts (or restarts) it.
void StartStopwatch();
// While running: the ms since the start, kept as the last elapsed time.
// Returns the last elapsed time (running or not).
double GetStopwatchMs();
// While running: takes the elapsed time one last time and stops.
void StopStopwatch();
bool IsStopwatchRunning();

} // namespace Quib
