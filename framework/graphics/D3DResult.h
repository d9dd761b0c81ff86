#pragma once
// How 3-D device failures are recorded: the last one's text, process-wide,
// which makes the next presentation leave 3-D mode, and the same text kept
// in the settings as Test3D\RuntimeError.

#include "platform/DisplaySurface.h"

#include <atomic>
#include <functional>
#include <string>

namespace Quib {

// False for a success code. For a failure: callName + ": " + the result's
// name becomes the Direct3D error text (replacing the one before), goes to
// the debugger output and to the runtime-error writer, and the result is
// true. Callers record and go on drawing.
bool D3DCheckResult(const char* callName, HRESULT result);

// The last recorded failure; empty when none since it was last cleared.
std::string D3DErrorText();
// Cleared when a device starts and when a frame's scene ends.
void ClearD3DErrorText();

// Writes a string value into the application's settings: called with
// "Test3D\RuntimeError" and the error text. The application installs one
// (writing nothing during demo playback); without one nothing is written.
using SettingsStringWriter = std::function<void(const std::string& name, const std::string& value)>;
void SetD3DRuntimeErrorWriter(SettingsStringWriter writer);

// Set when the device refused the render target at the start of a frame's
// drawing, cleared when it took it (and by a failed presentation).
extern std::atomic<bool> gD3DRenderTargetFailed;

} // namespace Quib
