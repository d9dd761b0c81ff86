#include "src/particles/Particles2_TextureManager.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"

#include <cmath>
#include <cstring>

namespace Quib {

namespace {

constexpr int32_t kMaxSide = 4096;

bool Usable(const PtcTexture& t)
{
    return t.data && t.identity && t.frameWidth > 0 && t.frameHeight > 0 && t.frameWidth <= kMaxSide &&
           t.frameHeight <= kMaxSide;
}

// A picture of the frame's pixels, read after the record's header.
std::unique_ptr<DDImage> FrameImage(const PtcTexture& t)
{
    std::vector<uint32_t> words(size_t(t.frameWidth) * size_t(t.frameHeight));
    std::memcpy(words.data(), t.data + PtcTexture::kHeaderSize, words.size() * 4);
    auto image = std::make_unique<DDImage>();
    image->AssignPixels(words.data(), t.frameWidth, t.frameHeight, true);
    return image;
}

// Texture size x fraction, truncated; 0 for what is not a usable number.
int32_t Place(int32_t size, float fraction)
{
    const float v = float(size) * fraction;
    return v > 0 && v < float(kMaxSide) ? int32_t(v) : 0;
}

} // namespace

Particles2_TextureManager::Particles2_TextureManager() = default;
Particles2_TextureManager::~Particles2_TextureManager() = default;

bool Particles2_TextureManager::Matches(int id, const PtcTexture* frames, int count) const
{
    if (id <= 0 || size_t(id) > mEntries.size())
        return false;
    const Entry& e = mEntries[size_t(id) - 1];
    if (e.frameCount != count)
        return false;
    for (int i = 0; i < count; ++i)
        if (e.frames[size_t(i)] != frames[i].identity)
            return false;
    return true;
}

int Particles2_TextureManager::Find(const PtcTexture* frames, int count) const
{
    for (size_t i = 0; i < mEntries.size(); ++i)
        if (Matches(int(i) + 1, frames, count))
            return int(i) + 1;
    return 0;
}

int Particles2_TextureManager::Create(const PtcTexture* frames, int count)
{
    if (count <= 0)
        return 0;
    for (int i = 0; i < count; ++i)
        if (!Usable(frames[i]))
            return 0;
    Entry e;
    if (count == 1) {
        e.image = FrameImage(frames[0]);
    } else {
        // Every frame at its place; the picture reaches from (0, 0) to the
        // far corner of the frames' union.
        std::vector<Rect> places;
        Rect all;
        for (int i = 0; i < count; ++i) {
            const PtcTexture& t = frames[i];
            places.emplace_back(Place(t.textureWidth, t.left), Place(t.textureHeight, t.top), t.frameWidth,
                                t.frameHeight);
            all = i == 0 ? places.back() : all.Union(places.back());
        }
        const int32_t w = all.x + all.width, h = all.y + all.height;
        if (w > kMaxSide || h > kMaxSide)
            return 0;
        std::vector<uint32_t> words(size_t(w) * size_t(h), 0);
        e.image = std::make_unique<DDImage>();
        e.image->AssignPixels(words.data(), w, h, true);
        Graphics g(e.image.get());
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<DDImage> frame = FrameImage(frames[i]);
            g.DrawImageAt(frame.get(), places[size_t(i)].x, places[size_t(i)].y);
        }
    }
    e.frameCount = count;
    for (int i = 0; i < count; ++i)
        e.frames.push_back(frames[i].identity);
    mEntries.push_back(std::move(e));
    return int(mEntries.size());
}

DDImage* Particles2_TextureManager::GetImage(int id) const
{
    return id > 0 && size_t(id) <= mEntries.size() ? mEntries[size_t(id) - 1].image.get() : nullptr;
}

} // namespace Quib
