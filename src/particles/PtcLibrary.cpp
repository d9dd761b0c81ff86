// The emitter library's calls: handle tables, emitter simulation and the
// locked particle type.
#include "src/particles/PtcLibrary.h"

#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "src/particles/PtcModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Quib {

namespace {

using namespace Ptc;

constexpr float kDegrees = 3.14159265f / 180.0f;
// Longest simulated step; longer updates are cut into steps of this size.
constexpr double kStepSeconds = 0.02;

struct ParticleState {
    PtcParticle shown;
    float vx = 0, vy = 0;
    float age = 0, life = 0;
    float size0 = 0, size1 = 0;
    float spin = 0;
    int32_t frameBase = 0;
};

struct TypeState {
    const TypeDef* def = nullptr;
    std::vector<ParticleState> particles;
    float carry = 0;
    int textureId = 0;
};

struct EmitterState {
    std::shared_ptr<const EmitterDef> def;
    std::vector<TypeState> types;
    double lapTime = 0;      // seconds into the lap
    bool lapStarted = false; // the lap's burst is out
    bool emitting = true;    // false once the last lap has ended
    bool interrupted = false;
    int loopMode = PTC_LOOP_ONCE;
    bool finished = false;
};

struct FileState {
    std::unique_ptr<FileData> data;
    Folder* current = nullptr;
};

// Handles: slot index + 1 in the low 20 bits, the slot's generation above,
// so that a handle of a freed slot never names its next occupant.
template <class T>
class HandleTable {
public:
    uint32_t Add(std::unique_ptr<T> item)
    {
        size_t i = 0;
        while (i < mSlots.size() && mSlots[i])
            ++i;
        if (i == mSlots.size()) {
            if (i >= kIndexMask - 1)
                return 0;
            mSlots.emplace_back();
            mGenerations.push_back(1);
        }
        mSlots[i] = std::move(item);
        return (uint32_t(mGenerations[i]) << kIndexBits) | uint32_t(i + 1);
    }
    T* Get(uint32_t handle) const
    {
        const uint32_t index = handle & kIndexMask;
        if (index == 0 || index > mSlots.size())
            return nullptr;
        return mGenerations[index - 1] == (handle >> kIndexBits) ? mSlots[index - 1].get() : nullptr;
    }
    bool Remove(uint32_t handle)
    {
        if (!Get(handle))
            return false;
        const size_t i = (handle & kIndexMask) - 1;
        mSlots[i].reset();
        mGenerations[i] = uint16_t(mGenerations[i] % kMaxGeneration + 1);
        return true;
    }

private:
    static constexpr int kIndexBits = 20;
    static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
    static constexpr uint16_t kMaxGeneration = 2047;
    std::vector<std::unique_ptr<T>> mSlots;
    std::vector<uint16_t> mGenerations;
};

struct Library {
    HandleTable<FileState> files;
    HandleTable<EmitterState> emitters;
    // The locked type.
    PtcEmitter lockedEmitter = 0;
    int lockedType = -1;
    size_t next = 0;
    size_t last = std::numeric_limits<size_t>::max();
};

// Never destroyed: emitters held in static objects may be unloaded during
// exit, in any order.
Library& Lib()
{
    static auto* library = new Library;
    return *library;
}

TypeState* LockedType()
{
    Library& lib = Lib();
    EmitterState* e = lib.emitters.Get(lib.lockedEmitter);
    if (!e || lib.lockedType < 0 || size_t(lib.lockedType) >= e->types.size())
        return nullptr;
    return &e->types[size_t(lib.lockedType)];
}

// ---- simulation ----

uint8_t UnitByte(float v)
{
    return uint8_t(v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255.0f + 0.5f));
}

uint32_t ColourAt(const std::vector<ColorKey>& keys, float t)
{
    const ColorKey* a = &keys.front();
    const ColorKey* b = a;
    if (t >= keys.back().at) {
        a = b = &keys.back();
    } else {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].at > t) {
                b = &keys[i];
                a = i > 0 ? &keys[i - 1] : b;
                break;
            }
        }
    }
    const float span = b->at - a->at;
    const float f = span > 0 ? (t - a->at) / span : 0.0f;
    const auto mix = [f](float x, float y) { return x + (y - x) * f; };
    return (uint32_t(UnitByte(mix(a->a, b->a))) << 24) | (uint32_t(UnitByte(mix(a->r, b->r))) << 16) |
           (uint32_t(UnitByte(mix(a->g, b->g))) << 8) | UnitByte(mix(a->b, b->b));
}

int32_t FrameCount(const TypeDef& def)
{
    return def.texture && !def.texture->frames.empty() ? int32_t(def.texture->frames.size()) : 1;
}

void Appearance(const TypeDef& def, ParticleState& p)
{
    const float t = p.life > 0 ? std::clamp(p.age / p.life, 0.0f, 1.0f) : 1.0f;
    p.shown.size = p.size0 + (p.size1 - p.size0) * t;
    p.shown.color = ColourAt(def.colors, t);
    const int32_t frames = FrameCount(def);
    int64_t frame = p.frameBase;
    if (def.frameMode == FrameMode::Life)
        frame = int64_t(std::min(t * float(frames), float(frames - 1)));
    else if (def.frameMode == FrameMode::Cycle)
        frame += int64_t(std::fmod(double(p.age) * def.fps, double(frames)));
    p.shown.frame = int32_t(frame % frames);
}

void Spawn(TypeState& type)
{
    const TypeDef& d = *type.def;
    ParticleState p;
    p.life = RandomFloat(d.lifeMin, d.lifeMax);
    switch (d.area) {
    case Area::Point: break;
    case Area::Box:
        p.shown.x = RandomFloat(-d.areaWidth * 0.5f, d.areaWidth * 0.5f);
        p.shown.y = RandomFloat(-d.areaHeight * 0.5f, d.areaHeight * 0.5f);
        break;
    case Area::Circle:
    case Area::Ring: {
        const float a = RandomFloat(0, 360) * kDegrees;
        const float r = d.area == Area::Ring ? d.areaWidth : d.areaWidth * std::sqrt(RandomFloat(0, 1));
        p.shown.x = std::cos(a) * r;
        p.shown.y = -std::sin(a) * r;
        break;
    }
    }
    const float direction = (d.direction + RandomFloat(-d.spread * 0.5f, d.spread * 0.5f)) * kDegrees;
    const float speed = RandomFloat(d.speedMin, d.speedMax);
    p.vx = std::cos(direction) * speed;
    p.vy = -std::sin(direction) * speed;
    const float factor = 1.0f + RandomFloat(-d.sizeVariation, d.sizeVariation);
    p.size0 = d.sizeStart * factor;
    p.size1 = d.sizeEnd * factor;
    p.shown.angle = RandomFloat(d.angleMin, d.angleMax);
    p.spin = RandomFloat(d.spinMin, d.spinMax);
    const int32_t frames = FrameCount(d);
    if (d.frameMode == FrameMode::Random || d.frameMode == FrameMode::Cycle)
        p.frameBase = std::min(int32_t(RandomFloat(0, float(frames))), frames - 1);
    else
        p.frameBase = d.frame;
    Appearance(d, p);
    type.particles.push_back(p);
}

void SpawnSome(TypeState& type, double count)
{
    const size_t room = size_t(type.def->max) > type.particles.size()
                            ? size_t(type.def->max) - type.particles.size()
                            : 0;
    const size_t n = count <= 0 ? 0 : std::min(room, size_t(count));
    for (size_t i = 0; i < n; ++i)
        Spawn(type);
}

bool EmitsMore(const EmitterState& e)
{
    return e.emitting && !e.interrupted;
}

void Step(EmitterState& e, double step)
{
    const float dt = float(step);
    for (TypeState& type : e.types) {
        const TypeDef& d = *type.def;
        const float keep = d.drag > 0 ? std::max(0.0f, 1.0f - d.drag * dt) : 1.0f;
        size_t out = 0;
        for (size_t i = 0; i < type.particles.size(); ++i) {
            ParticleState& p = type.particles[i];
            p.age += dt;
            if (p.age >= p.life)
                continue;
            if (d.wander > 0) {
                p.vx += RandomFloat(-d.wander, d.wander) * dt;
                p.vy += RandomFloat(-d.wander, d.wander) * dt;
            }
            p.vx = (p.vx + d.gravityX * dt) * keep;
            p.vy = (p.vy + d.gravityY * dt) * keep;
            p.shown.x += p.vx * dt;
            p.shown.y += p.vy * dt;
            p.shown.angle = std::fmod(p.shown.angle + p.spin * dt, 360.0f);
            Appearance(d, p);
            if (out != i)
                type.particles[out] = p;
            ++out;
        }
        type.particles.resize(out);
    }
    if (!EmitsMore(e))
        return;
    if (!e.lapStarted) {
        for (TypeState& type : e.types)
            SpawnSome(type, type.def->burst);
        e.lapStarted = true;
    }
    for (TypeState& type : e.types) {
        // A hair over, so that rate x step lands on the whole number it means.
        const double c = double(type.def->rate) * step + type.carry;
        const double whole = std::floor(c + 1e-9);
        type.carry = float(std::max(0.0, c - whole));
        SpawnSome(type, whole);
    }
    e.lapTime += step;
    const double duration = e.def->duration;
    if (e.lapTime >= duration - 1e-9) {
        if (e.loopMode != PTC_LOOP_ONCE) {
            e.lapTime = std::max(0.0, e.lapTime - duration);
            e.lapStarted = false;
        } else {
            e.emitting = false;
        }
    }
}

void ClearParticles(EmitterState& e)
{
    for (TypeState& type : e.types) {
        type.particles.clear();
        type.carry = 0;
    }
}

// Moves the clock on without simulating: used for the part of a long step
// whose particles would all be gone by its end.
void SkipAhead(EmitterState& e, double seconds)
{
    ClearParticles(e);
    if (!EmitsMore(e))
        return;
    const double duration = e.def->duration;
    if (e.loopMode != PTC_LOOP_ONCE) {
        e.lapTime = std::fmod(e.lapTime + seconds, duration);
        e.lapStarted = true;
    } else if (e.lapTime + seconds >= duration) {
        e.emitting = false;
    } else {
        e.lapTime += seconds;
    }
}

bool IsEmpty(const EmitterState& e)
{
    for (const TypeState& type : e.types)
        if (!type.particles.empty())
            return false;
    return true;
}

std::unique_ptr<EmitterState> NewEmitter(std::shared_ptr<const EmitterDef> def, int loopMode)
{
    auto e = std::make_unique<EmitterState>();
    e->types.resize(def->types.size());
    for (size_t i = 0; i < def->types.size(); ++i)
        e->types[i].def = &def->types[i];
    e->def = std::move(def);
    e->loopMode = loopMode;
    return e;
}

// ---- folders ----

const Entry* FindIn(const Folder& folder, std::string_view name, bool wantFolder)
{
    for (const Entry& e : folder.entries)
        if (bool(e.folder) == wantFolder && SameName(e.Name(), name))
            return &e;
    return nullptr;
}

const Entry* FindAnywhere(const Folder& folder, std::string_view name)
{
    if (const Entry* e = FindIn(folder, name, false))
        return e;
    for (const Entry& e : folder.entries)
        if (e.folder)
            if (const Entry* found = FindAnywhere(*e.folder, name))
                return found;
    return nullptr;
}

// Follows the folder part of a path; null when a folder is missing.
Folder* Walk(const FileState& f, std::string_view path, std::string_view* last)
{
    Folder* folder = f.current;
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
        folder = &f.data->root;
        path.remove_prefix(1);
    }
    while (true) {
        const size_t sep = path.find_first_of("\\/");
        const std::string_view part = path.substr(0, sep);
        if (sep == std::string_view::npos && last) {
            *last = part;
            return folder;
        }
        if (part == "..") {
            if (!folder->parent)
                return nullptr;
            folder = folder->parent;
        } else if (!part.empty() && part != ".") {
            const Entry* e = FindIn(*folder, part, true);
            if (!e)
                return nullptr;
            folder = e->folder.get();
        }
        if (sep == std::string_view::npos)
            return folder;
        path.remove_prefix(sep + 1);
    }
}

std::shared_ptr<const EmitterDef> FindEmitter(const FileState& f, std::string_view name)
{
    std::string_view last;
    const Folder* folder = Walk(f, name, &last);
    if (!folder || last.empty())
        return nullptr;
    if (const Entry* e = FindIn(*folder, last, false))
        return e->emitter;
    if (name.find_first_of("\\/") != std::string_view::npos)
        return nullptr;
    // A plain name: anywhere in the file, in file order.
    const Entry* e = FindAnywhere(f.data->root, name);
    return e ? e->emitter : nullptr;
}

const char* FindFrom(PtcFindData* data)
{
    const FileState* f = Lib().files.Get(data->file);
    if (!f || !data->folder)
        return nullptr;
    const auto* folder = static_cast<const Folder*>(data->folder);
    while (data->next < folder->entries.size()) {
        const Entry& e = folder->entries[data->next++];
        const int type = e.folder ? PTC_FOLDER : PTC_EMITTER;
        if (data->mask & type) {
            data->type = type;
            data->name = e.Name().c_str();
            return data->name;
        }
    }
    data->name = nullptr;
    return nullptr;
}

std::string ReadFile(std::string_view path, bool& opened)
{
    std::string bytes;
    PakFile* file = PakFOpen(path);
    opened = file != nullptr;
    if (!file)
        return bytes;
    char buffer[16384];
    size_t got;
    while ((got = PakFRead(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
        if (bytes.size() > kMaxFileBytes)
            break;
    }
    PakFClose(file);
    return bytes;
}

} // namespace

// ---- files ----

int PtcOpenFile(std::string_view path, PtcFile* file)
{
    if (file)
        *file = 0;
    bool opened = false;
    const std::string text = ReadFile(path, opened);
    const std::string name(path);
    if (!opened) {
        QUIB_LOG_ERROR("Particle file %s cannot be opened", name.c_str());
        return PTC_ERROR;
    }
    auto state = std::make_unique<FileState>();
    state->data = std::make_unique<FileData>();
    ReadNote error;
    std::vector<ReadNote> notes;
    const bool ok = ReadPtcText(text, *state->data, error, notes);
    for (const ReadNote& note : notes)
        QUIB_LOG_ERROR("Particle file %s, line %d, column %d: %s", name.c_str(), note.line, note.column,
                       note.message.c_str());
    if (!ok) {
        QUIB_LOG_ERROR("Particle file %s refused at line %d, column %d: %s", name.c_str(), error.line, error.column,
                       error.message.c_str());
        return PTC_ERROR;
    }
    state->current = &state->data->root;
    const PtcFile handle = Lib().files.Add(std::move(state));
    if (!handle)
        return PTC_ERROR;
    if (file)
        *file = handle;
    return PTC_SUCCESS;
}

int PtcCloseFile(PtcFile file)
{
    return Lib().files.Remove(file) ? PTC_SUCCESS : PTC_ERROR;
}

const char* PtcFindFirst(PtcFile file, PtcFindData* data, int mask)
{
    if (!data)
        return nullptr;
    *data = PtcFindData();
    const FileState* f = Lib().files.Get(file);
    if (!f)
        return nullptr;
    data->file = file;
    data->folder = f->current;
    data->mask = mask;
    return FindFrom(data);
}

const char* PtcFindNext(PtcFile file, PtcFindData* data)
{
    if (!data || data->file != file)
        return nullptr;
    return FindFrom(data);
}

int PtcSetCurrentFolder(PtcFile file, std::string_view path)
{
    FileState* f = Lib().files.Get(file);
    if (!f)
        return PTC_ERROR;
    Folder* folder = Walk(*f, path, nullptr);
    if (!folder)
        return PTC_ERROR;
    f->current = folder;
    return PTC_SUCCESS;
}

// ---- emitters ----

int PtcLoadEmitter(PtcFile file, std::string_view name, PtcEmitter* emitter)
{
    if (emitter)
        *emitter = 0;
    const FileState* f = Lib().files.Get(file);
    if (!f || !emitter)
        return PTC_ERROR;
    std::shared_ptr<const EmitterDef> def = FindEmitter(*f, name);
    if (!def)
        return PTC_ERROR;
    const int loop = def->loop ? PTC_LOOP_FOREVER : PTC_LOOP_ONCE;
    *emitter = Lib().emitters.Add(NewEmitter(std::move(def), loop));
    return *emitter ? PTC_SUCCESS : PTC_ERROR;
}

PtcEmitter PtcDuplicateEmitter(PtcEmitter emitter)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    if (!e)
        return 0;
    return Lib().emitters.Add(NewEmitter(e->def, e->loopMode));
}

int PtcUnloadEmitter(PtcEmitter emitter)
{
    Library& lib = Lib();
    if (lib.lockedEmitter == emitter)
        PtcUnlockParticlesType();
    return lib.emitters.Remove(emitter) ? PTC_SUCCESS : PTC_ERROR;
}

bool PtcUpdate(PtcEmitter emitter, double milliseconds)
{
    EmitterState* e = Lib().emitters.Get(emitter);
    if (!e || e->finished)
        return false;
    if (milliseconds > 0) {
        double seconds = std::min(milliseconds / 1000.0, 1e9);
        // Particles born before the last (longest life + 1 s) are gone by
        // the end: skip that part of a long step.
        const double window = double(e->def->maxLife) + 1.0;
        if (seconds > window + kStepSeconds) {
            SkipAhead(*e, seconds - window);
            seconds = window;
        }
        while (seconds > 1e-9) {
            const double dt = std::min(seconds, kStepSeconds);
            Step(*e, dt);
            seconds -= dt;
        }
    }
    e->finished = !EmitsMore(*e) && IsEmpty(*e);
    return !e->finished;
}

bool PtcIsInterpolationMode(PtcEmitter emitter)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    return e && e->def->interpolation;
}

double PtcGetUpdateTime(PtcEmitter emitter)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    return e ? e->def->updateTime : 0.0;
}

int PtcSetInterrupt(PtcEmitter emitter, bool interrupt)
{
    EmitterState* e = Lib().emitters.Get(emitter);
    if (!e)
        return PTC_ERROR;
    e->interrupted = interrupt;
    return PTC_SUCCESS;
}

int PtcSetLoopMode(PtcEmitter emitter, int mode)
{
    EmitterState* e = Lib().emitters.Get(emitter);
    if (!e)
        return PTC_ERROR;
    e->loopMode = mode;
    return PTC_SUCCESS;
}

int PtcSetPosition(PtcEmitter emitter, double milliseconds)
{
    EmitterState* e = Lib().emitters.Get(emitter);
    if (!e)
        return PTC_ERROR;
    ClearParticles(*e);
    e->lapTime = 0;
    e->lapStarted = false;
    e->emitting = true;
    e->interrupted = false;
    e->finished = false;
    if (milliseconds > 0)
        PtcUpdate(emitter, milliseconds);
    return PTC_SUCCESS;
}

int PtcGetEmitterPosition(PtcEmitter emitter, float* x, float* y)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    if (x)
        *x = e ? e->def->offsetX : 0.0f;
    if (y)
        *y = e ? e->def->offsetY : 0.0f;
    return e ? PTC_SUCCESS : PTC_ERROR;
}

int PtcGetParticleCount(PtcEmitter emitter)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    int n = 0;
    if (e)
        for (const TypeState& type : e->types)
            n += int(type.particles.size());
    return n;
}

// ---- the locked type ----

int PtcGetParticlesTypeCount(PtcEmitter emitter)
{
    const EmitterState* e = Lib().emitters.Get(emitter);
    return e ? int(e->types.size()) : 0;
}

int PtcLockParticlesType(PtcEmitter emitter, int type)
{
    Library& lib = Lib();
    if (LockedType())
        return PTC_ERROR;
    const EmitterState* e = lib.emitters.Get(emitter);
    if (!e || type < 0 || size_t(type) >= e->types.size())
        return PTC_ERROR;
    lib.lockedEmitter = emitter;
    lib.lockedType = type;
    lib.next = 0;
    lib.last = std::numeric_limits<size_t>::max();
    return PTC_SUCCESS;
}

int PtcUnlockParticlesType()
{
    Library& lib = Lib();
    const bool was = LockedType() != nullptr;
    lib.lockedEmitter = 0;
    lib.lockedType = -1;
    return was ? PTC_SUCCESS : PTC_ERROR;
}

bool PtcIsLocked(PtcEmitter* emitter, int* type)
{
    const bool locked = LockedType() != nullptr;
    if (emitter)
        *emitter = locked ? Lib().lockedEmitter : 0;
    if (type)
        *type = locked ? Lib().lockedType : -1;
    return locked;
}

PtcParticle* PtcGetNextParticle()
{
    TypeState* type = LockedType();
    Library& lib = Lib();
    if (!type || lib.next >= type->particles.size())
        return nullptr;
    lib.last = lib.next++;
    return &type->particles[lib.last].shown;
}

void PtcMoveParticle(float dx, float dy)
{
    TypeState* type = LockedType();
    const size_t last = Lib().last;
    if (!type || last >= type->particles.size())
        return;
    type->particles[last].shown.x += dx;
    type->particles[last].shown.y += dy;
}

int PtcGetTextureCount()
{
    const TypeState* type = LockedType();
    return type && type->def->texture ? int(type->def->texture->frames.size()) : 0;
}

int PtcGetTexture(int index, PtcTexture* texture)
{
    const TypeState* type = LockedType();
    if (!type || !texture || !type->def->texture || index < 0 || size_t(index) >= type->def->texture->frames.size())
        return PTC_ERROR;
    const TextureDef& tex = *type->def->texture;
    const Frame& frame = tex.frames[size_t(index)];
    texture->data = frame.data.data();
    texture->identity = &frame;
    texture->left = frame.left;
    texture->top = frame.top;
    texture->right = frame.right;
    texture->bottom = frame.bottom;
    texture->frameWidth = tex.frameWidth;
    texture->frameHeight = tex.frameHeight;
    texture->textureWidth = tex.textureWidth;
    texture->textureHeight = tex.textureHeight;
    texture->pivotX = tex.pivotX;
    texture->pivotY = tex.pivotY;
    return PTC_SUCCESS;
}

int PtcGetTextureID()
{
    const TypeState* type = LockedType();
    return type ? type->textureId : 0;
}

void PtcSetTextureID(int id)
{
    if (TypeState* type = LockedType())
        type->textureId = id;
}

bool PtcIsIntensive()
{
    const TypeState* type = LockedType();
    return type && type->def->additive;
}

} // namespace Quib
