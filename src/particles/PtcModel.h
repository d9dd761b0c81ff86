#pragma once
// What the emitter library reads from a .ptc file: textures, emitters with
// their particle types, and the folders that hold the emitters.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quib::Ptc {

// Limits that keep a damaged or hostile file within bounds.
constexpr size_t kMaxFileBytes = 4 << 20;
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxNameBytes = 128;
constexpr int kMaxFolderDepth = 32;
constexpr int kMaxEntries = 10000; // folders and emitters of a file
constexpr int kMaxTextures = 256;
constexpr int kMaxTypes = 16;        // particle types of an emitter
constexpr int kMaxParticles = 10000; // live particles of one type
constexpr int kMaxColorKeys = 16;
constexpr int kMaxFrames = 64;
constexpr int kMaxShapeSize = 256;
constexpr int64_t kMaxTexturePixels = 4 << 20; // all the textures of a file

struct Frame {
    std::vector<uint8_t> data; // 128-byte header, then the pixels
    float left = 0, top = 0, right = 0, bottom = 0;
};

struct TextureDef {
    std::string name;
    int32_t frameWidth = 0, frameHeight = 0;
    int32_t textureWidth = 0, textureHeight = 0;
    float pivotX = 0, pivotY = 0;
    std::vector<Frame> frames; // never resized once read: frames are identities
};

struct ColorKey {
    float at = 0; // fraction of the life
    float a = 1, r = 1, g = 1, b = 1;
};

enum class Area { Point, Box, Circle, Ring };
enum class FrameMode { Fixed, Random, Life, Cycle };

struct TypeDef {
    std::string name;
    std::shared_ptr<const TextureDef> texture; // null: not drawn
    bool additive = false;
    float rate = 10;   // particles per second
    int32_t burst = 0; // particles at the start of each lap
    int32_t max = 500; // live particles at most
    Area area = Area::Point;
    float areaWidth = 0, areaHeight = 0; // box size; radius in areaWidth
    float lifeMin = 1, lifeMax = 1;
    float speedMin = 0, speedMax = 0; // pixels per second
    float direction = 90, spread = 0; // degrees; 0 right, 90 up
    float gravityX = 0, gravityY = 0; // pixels per second squared, y down
    float drag = 0;                   // share of the speed lost per second
    float wander = 0;                 // random push, pixels per second squared
    float sizeStart = 16, sizeEnd = 16, sizeVariation = 0;
    float angleMin = 0, angleMax = 0; // degrees at birth
    float spinMin = 0, spinMax = 0;   // degrees per second
    FrameMode frameMode = FrameMode::Fixed;
    int32_t frame = 0;
    float fps = 10;
    std::vector<ColorKey> colors; // at least one
};

struct EmitterDef {
    std::string name;
    float duration = 1; // seconds of one lap
    bool loop = false;
    float offsetX = 0, offsetY = 0;
    bool interpolation = true;
    float updateTime = 10; // milliseconds per update without interpolation
    std::vector<TypeDef> types;
    float maxLife = 0; // the longest life of any type
};

struct Folder;

// A folder or an emitter.
struct Entry {
    std::unique_ptr<Folder> folder;
    std::shared_ptr<const EmitterDef> emitter;
    const std::string& Name() const;
};

struct Folder {
    std::string name;
    Folder* parent = nullptr;
    std::vector<Entry> entries; // in file order
};

inline const std::string& Entry::Name() const
{
    return folder ? folder->name : emitter->name;
}

struct FileData {
    Folder root;
    std::vector<std::shared_ptr<const TextureDef>> textures;
};

// A fault and where it is (1-based line and column).
struct ReadNote {
    int line = 0;
    int column = 0;
    std::string message;
};

// Reads the text of a .ptc file. False with the first fault in *error;
// notes collects what was read but could not be used in full (a texture
// picture that is missing, for one).
bool ReadPtcText(std::string_view text, FileData& out, ReadNote& error, std::vector<ReadNote>& notes);

// The pixels (0xAARRGGBB, rows top down) of one frame of a built-in shape;
// false for an unknown shape name.
bool IsShapeName(std::string_view shape);
void MakeShapeFrame(std::string_view shape, int width, int height, int frame, int frames, uint32_t* pixels);

// Case-insensitive ASCII equality of names.
bool SameName(std::string_view a, std::string_view b);

} // namespace Quib::Ptc
