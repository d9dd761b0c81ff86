// The program: the game application in a real window with sound.
#include "platform/CommandLine.h"
#include "platform/MessageSink.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlMessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "framework/files/Singletone.h"
#include "framework/sound/SoundOutput.h"
#include "src/GameApp.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    using namespace Quib;
    auto system = SdlWindowSystem::Create();
    if (!system) {
        std::fprintf(stderr, "pelleranthe: no window system could be opened\n");
        return 1;
    }
    SetWindowSystem(system.get());
    SetProcessArguments(argc, argv);
    SdlMessageSink sink(system.get());
    SetMessageSink(&sink);
    // Without a sound device the game runs silent.
    SoundOutput::SetDevice(std::shared_ptr<AudioDevice>(SdlAudioDevice::Open()));
    {
        auto app = std::make_unique<GameApp>();
        app->Initialize();
        app->Run();
    }
    // The game's singletons (profiles, texts, controllers) write and go
    // while the file layer is still there.
    SingletoneBase::DestroyAll();
    SoundOutput::SetDevice(nullptr);
    SetMessageSink(nullptr);
    SetWindowSystem(nullptr);
    return 0;
}
