#pragma once
// What the sound-file readers share: little reads through the pak layer and
// the creation of the id's buffer, locked whole for filling.
#include "framework/files/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

class DSoundManager;
class SoundBuffer;
struct SoundFormat;

bool ReadBytes(PakFile* file, void* out, size_t size);
bool ReadU16Le(PakFile* file, uint16_t& value);
bool ReadU32Le(PakFile* file, uint32_t& value);
bool ReadU32Be(PakFile* file, uint32_t& value);
// Bytes from the read position to the end of the file; -1 when unknown.
int64_t RemainingBytes(PakFile* file);

// For an Ogg file: what shows it cut short, walking its pages from the read
// position (a page that ends past the file, or a last page without the
// end-of-stream flag); empty when it ends whole or is not an Ogg stream
// there. The read position is left where it was.
std::string OggStreamDamage(PakFile* file);

// Creates the id's buffer of the format and size (whole frames, at most
// kMaxSoundBytes) and locks all of it; null on failure.
uint8_t* CreateLockedSoundBuffer(DSoundManager& manager, unsigned int id, const SoundFormat& format,
    uint64_t bytes, std::shared_ptr<SoundBuffer>& buffer);

} // namespace Quib
