#pragma once
// The sound-file readers: each decodes a whole file into the id's buffer of
// the manager and answers whether the buffer was filled. Files are read
// through the pak layer.
#include "framework/files/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct OggVorbis_File;

namespace Quib {

class DSoundManager;

// The most PCM a reader decodes for one sound.
constexpr uint64_t kMaxSoundBytes = 256ull << 20;

bool LoadWavSound(const std::string& fileName, DSoundManager& manager, unsigned int id);
bool LoadOggSound(const std::string& fileName, DSoundManager& manager, unsigned int id);
bool LoadAuSound(const std::string& fileName, DSoundManager& manager, unsigned int id);
// MP3 (FMOD mode only), decoded by the platform.
bool LoadMp3Sound(const std::string& fileName, DSoundManager& manager, unsigned int id);

// Opens a Tremor stream over an open pak file, reading, seeking and closing
// through the pak layer; negative on failure (the file then stays open).
int OpenOggPakStream(PakFile* file, OggVorbis_File* stream);

// Last-write time of a disk file; false (and a zero time) when it cannot be
// opened.
bool GetFileLastWriteTime(const std::string& path, FileTime& time);

// One µ-law byte as a 16-bit sample.
int16_t MuLawToSample(uint8_t byte);

} // namespace Quib
