#pragma once
#include "src/particles/PtcLibrary.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Quib {

class DDImage;

// The pictures made from the emitter library's texture frames, one per
// distinct frame set, found again by id (index + 1; 0 is none).
class Particles2_TextureManager {
public:
    struct Entry {
        std::unique_ptr<DDImage> image;
        int32_t frameCount = 0;
        std::vector<const void*> frames; // the frames' identities, in order
    };

    Particles2_TextureManager();
    ~Particles2_TextureManager();
    Particles2_TextureManager(const Particles2_TextureManager&) = delete;
    Particles2_TextureManager& operator=(const Particles2_TextureManager&) = delete;

    // The id of the entry made from exactly these frames, in order; 0 when
    // there is none.
    int Find(const PtcTexture* frames, int count) const;
    // True when the id names an entry made from these frames.
    bool Matches(int id, const PtcTexture* frames, int count) const;
    // A new entry holding the frames at their places in one picture; its
    // id, or 0 for no frames or frames that cannot be read.
    int Create(const PtcTexture* frames, int count);
    DDImage* GetImage(int id) const;
    size_t Count() const { return mEntries.size(); }

private:
    std::vector<Entry> mEntries;
};

} // namespace Quib
