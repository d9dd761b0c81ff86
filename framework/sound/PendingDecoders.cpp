// Stand-ins for the platform's decoders while they are not in the build:
// nothing decodes (every file fails to load, with a log line). The file
// compiles to nothing once platform/AudioDecoderFormats.h exists; delete it then.
#if !__has_include("platform/AudioDecoderFormats.h")
#include "platform/AudioDecoder.h"
#include "platform/MessageSink.h"

namespace Quib {

std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioFileKind, AudioBytes)
{
    OutputDebugString("No audio decoders in this build\n");
    return nullptr;
}

std::unique_ptr<AudioDecoder> OpenAudioDecoder(AudioBytes bytes) { return OpenAudioDecoder(AudioFileKind::Wav, bytes); }

} // namespace Quib
#endif
