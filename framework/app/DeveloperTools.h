#pragma once
#include "framework/app/DebugOverlays.h"
#include "framework/app/DeveloperHost.h"

#include <memory>

namespace Quib {

class Image;
class QuibAppBase;

// The developer tools of the application: the debug keys and the overlays.
// What they need of the main loop, the display and the reports comes from
// the host (the application's, or one answering as a bare system).
class DeveloperTools {
public:
    // The host set, else the application's, else one answering as a bare
    // system would.
    DeveloperHost& Host() { return host ? *host : appHost ? *appHost : bareHost; }

    // One key press (virtual key): true when the key is used up here. Shift,
    // Ctrl and Alt are read from the widget manager's key table.
    bool DebugKey(QuibAppBase& app, int virtualKey);
    // Before the screen is drawn: the overlays' images, while they are on.
    void UpdateOverlays(QuibAppBase& app);
    // After the screen is drawn: the overlays into the target (the back
    // buffer) within the application's width and height, while they are on.
    void DrawOverlays(QuibAppBase& app, Image* target);

    DeveloperHost* host = nullptr; // not owned; tests set one
    std::unique_ptr<DeveloperHost> appHost;
    DebugOverlays overlays;

    // Played when the live-tunable constants were reloaded.
    static constexpr const char* kReloadSound = "c:\\windows\\media\\Windows XP Menu Command.wav";

private:
    DeveloperHost bareHost;
};

} // namespace Quib
