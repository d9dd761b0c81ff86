#pragma once
// The text movie format (docs/movie-format.md): its parsed form and its
// parser. The parser reads text only; images are loaded by the player.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// Limits of a movie; anything beyond them is an error.
struct MovieLimits {
    static constexpr size_t kMaxFileBytes = 1 << 20;
    static constexpr size_t kMaxLineBytes = 1024;
    static constexpr size_t kMaxNameBytes = 64;    // images, layers, commands, variables
    static constexpr size_t kMaxTextBytes = 256;   // command arguments, variable values
    static constexpr size_t kMaxPathBytes = 259;   // image paths
    static constexpr int32_t kMaxStageSize = 4096; // width and height
    static constexpr int32_t kMaxFramesPerSecond = 120;
    static constexpr int32_t kMaxFrame = 100000; // the end frame
    static constexpr size_t kMaxImages = 256;
    static constexpr size_t kMaxLayers = 256;
    static constexpr size_t kMaxKeys = 65536; // over all layers
    static constexpr size_t kMaxCommands = 65536;
    static constexpr size_t kMaxWaits = 65536;
    static constexpr double kMaxPosition = 100000; // |x| and |y|
    static constexpr double kMaxScale = 100;
};

struct MovieImageRef {
    std::string name;
    std::string path; // as the application's image loader takes it
    int32_t line = 0;
};

// A layer's values from its key on: position of the image's top left
// corner, opacity 0..1 and size factor.
struct MovieKey {
    int32_t frame = 0;
    double x = 0;
    double y = 0;
    double alpha = 1;
    double scale = 1;
};

struct MovieLayer {
    std::string name;
    size_t image = 0;           // index into MovieScript::images
    std::vector<MovieKey> keys; // frames strictly rising
};

struct MovieCommand {
    int32_t frame = 0;
    std::string command;
    std::string argument;
};

struct MovieWait {
    int32_t frame = 0;
    std::string variable;
    std::string value;
};

struct MovieScript {
    int32_t width = 0;
    int32_t height = 0;
    int32_t framesPerSecond = 0;
    int32_t endFrame = 0;
    std::vector<MovieImageRef> images;
    std::vector<MovieLayer> layers;     // bottom first
    std::vector<MovieCommand> commands; // by frame, file order within a frame
    std::vector<MovieWait> waits;       // by frame, at most one per frame
};

// Parses a whole movie file. False with `error` set to "line N: what is
// wrong" (the first fault found) when the text is not a valid movie.
bool ParseMovieScript(std::string_view text, MovieScript& script, std::string& error);

} // namespace Quib
