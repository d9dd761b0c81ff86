#pragma once
// The emitter library: named emitters read from .ptc files (format:
// docs/particle-format.md), simulated with the program's random generator,
// and read back particle by particle for drawing. Handles are small
// numbers; 0 is none, and a handle whose file or emitter is gone is refused
// by every call. Main thread only.
#include <cstdint>
#include <string_view>

namespace Quib {

using PtcFile = uint32_t;
using PtcEmitter = uint32_t;

// Result codes.
constexpr int PTC_SUCCESS = -1;
constexpr int PTC_ERROR = 0;

// Kinds of entry a search reports, and its mask (both: 3).
constexpr int PTC_FOLDER = 1;
constexpr int PTC_EMITTER = 2;

// Loop modes: play one lap and end, or repeat laps until interrupted.
constexpr int PTC_LOOP_ONCE = 0;
constexpr int PTC_LOOP_FOREVER = 2;

// A particle as the library shows it; positions are relative to the
// emitter's position.
struct PtcParticle {
    float x = 0, y = 0;
    float size = 0;     // drawn width in pixels
    float angle = 0;    // degrees
    uint32_t color = 0; // 0xAARRGGBB
    int32_t frame = 0;  // index into the particle type's texture frames
};

// One texture frame of a particle type.
struct PtcTexture {
    static constexpr int kHeaderSize = 128;
    // A 128-byte header, then frameWidth x frameHeight 0xAARRGGBB words.
    const uint8_t* data = nullptr;
    // The same for every emitter showing this frame, for as long as any
    // emitter or file holding it lives.
    const void* identity = nullptr;
    // The frame's place in its texture, as fractions of the texture size.
    float left = 0, top = 0, right = 0, bottom = 0;
    int32_t frameWidth = 0, frameHeight = 0;
    int32_t textureWidth = 0, textureHeight = 0;
    // The point drawn at the particle's position, in pixels from the
    // frame's centre.
    float pivotX = 0, pivotY = 0;
};

// A search of one folder of a file.
struct PtcFindData {
    const char* name = nullptr; // valid while the file is open
    int type = 0;               // PTC_FOLDER or PTC_EMITTER
    // Where the search stands.
    uint32_t file = 0;
    const void* folder = nullptr;
    uint32_t next = 0;
    int mask = 0;
};

// Reads a .ptc file through the pak layer. PTC_SUCCESS with the handle in
// *file; PTC_ERROR for a missing or damaged file, with its name and the
// position of the fault in the process log.
int PtcOpenFile(std::string_view path, PtcFile* file);
int PtcCloseFile(PtcFile file);

// The first and following entries of the file's current folder whose kind
// is in the mask; null after the last.
const char* PtcFindFirst(PtcFile file, PtcFindData* data, int mask);
const char* PtcFindNext(PtcFile file, PtcFindData* data);
// Changes the current folder: a folder name inside it, ".." for its
// parent, or a path from the top starting with "\" or "/".
int PtcSetCurrentFolder(PtcFile file, std::string_view path);

// A new emitter of that name: a path from the current folder, or a plain
// name looked up in the current folder first and then in the whole file.
// Names compare without regard to ASCII case.
int PtcLoadEmitter(PtcFile file, std::string_view name, PtcEmitter* emitter);
// A new emitter of the same kind, at its start; 0 for an invalid handle.
PtcEmitter PtcDuplicateEmitter(PtcEmitter emitter);
int PtcUnloadEmitter(PtcEmitter emitter);

// Advances the emitter by the time in milliseconds; false once it has
// ended (its last lap emitted and its last particle gone), or for an
// invalid handle.
bool PtcUpdate(PtcEmitter emitter, double milliseconds);
// When true the caller's step is used; otherwise PtcGetUpdateTime.
bool PtcIsInterpolationMode(PtcEmitter emitter);
double PtcGetUpdateTime(PtcEmitter emitter);
// true: no more particles are emitted; the ones in the air run out.
int PtcSetInterrupt(PtcEmitter emitter, bool interrupt);
int PtcSetLoopMode(PtcEmitter emitter, int mode);
// Back to the start (no particles, first lap, not interrupted), then
// advanced by the time in milliseconds.
int PtcSetPosition(PtcEmitter emitter, double milliseconds);
// The emitter's place, to which the particle positions are relative.
int PtcGetEmitterPosition(PtcEmitter emitter, float* x, float* y);

// Particle types of the emitter, drawn from the last to the first.
int PtcGetParticlesTypeCount(PtcEmitter emitter);
// One type at a time is locked; the calls below act on it. Locking while
// another type is locked is refused.
int PtcLockParticlesType(PtcEmitter emitter, int type);
int PtcUnlockParticlesType();
// The locked type's particles in order, then null.
PtcParticle* PtcGetNextParticle();
// Moves the particle last given by PtcGetNextParticle.
void PtcMoveParticle(float dx, float dy);
int PtcGetTextureCount();
int PtcGetTexture(int index, PtcTexture* texture);
// A number the caller keeps with the locked type (0 at first).
int PtcGetTextureID();
void PtcSetTextureID(int id);
// True when the locked type is drawn additively.
bool PtcIsIntensive();

// Whether a type is locked now, and which (for checks).
bool PtcIsLocked(PtcEmitter* emitter = nullptr, int* type = nullptr);
// Live particles of every type of the emitter.
int PtcGetParticleCount(PtcEmitter emitter);

} // namespace Quib
