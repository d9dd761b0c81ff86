#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileNames.h"

namespace Quib {

// Archive members are found by name first; everything else is read from
// disk. Names use backslashes and any letter case.

constexpr uint32_t PAK_MAGIC = 0xBAC04AC0;
constexpr uint32_t PAK_VERSION = 0;
constexpr uint8_t PAK_KEY = 0x9B;           // every stored byte is XOR-ed with it
constexpr uint8_t PAK_END_OF_DIRECTORY = 0x80;
constexpr size_t PAK_MAX_PATH = 259;        // longest name the layer accepts

constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

// XORs every byte with PAK_KEY (reading and writing alike).
void PakScramble(uint8_t* data, size_t size);
// Copies size bytes from src to dest, XOR-ing them with PAK_KEY.
void PakUnscrambleCopy(void* dest, const uint8_t* src, size_t size);

// 100-ns intervals since 1601-01-01, as two 32-bit words.
struct FileTime {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;
};
FileTime FileTimeFromUnixSeconds(int64_t seconds);

// One mapped archive; the view stays valid while the interface lives.
struct PakArchive {
    std::string mPath;
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
};

struct PakEntry {
    PakArchive* mArchive = nullptr;
    std::string mName;       // as stored in the directory
    FileTime mFileTime;
    int32_t mStartPos = 0;   // from the start of the archive file
    int32_t mSize = 0;
};

// The handle of every open file: a member (mEntry set) or a disk file (mFile).
struct PakFile {
    PakEntry* mEntry = nullptr;
    int32_t mPos = 0;
    FILE* mFile = nullptr;
    std::unique_ptr<char[]> mBuffer; // the read buffer of mFile, freed after it closes
};

// What a search reports per file (the fields of WIN32_FIND_DATA).
struct PakFindData {
    uint32_t dwFileAttributes = 0;
    FileTime ftCreationTime;
    FileTime ftLastAccessTime;
    FileTime ftLastWriteTime;
    uint32_t nFileSizeHigh = 0;
    uint32_t nFileSizeLow = 0;
    uint32_t dwReserved0 = 0;
    uint32_t dwReserved1 = 0;
    char cFileName[260] = {};
    char cAlternateFileName[14] = {};
};

// The handle of a search: archive members first, in key order, then disk.
struct PakFindRecord {
    bool mOnDisk = false;          // the disk half has started
    std::vector<DiskFindEntry> mDiskEntries;
    size_t mDiskNext = 0;
    std::string mLastKey;          // key of the last member returned
    std::string mPattern;          // normalised
};
using PakFindHandle = PakFindRecord*;   // null: no search (INVALID_HANDLE_VALUE)

class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase() = default;
    // The 16-bit forms open and read nothing: pak names and lines are narrow.
    virtual PakFile* FOpen(const char16_t* name, const char16_t* mode) = 0;
    virtual PakFile* FOpen(std::string_view name, const char* mode) = 0;
    virtual int FClose(PakFile* file) = 0;
    virtual int FSeek(PakFile* file, int32_t offset, int origin) = 0;
    virtual int32_t FTell(PakFile* file) = 0;
    virtual size_t FRead(void* buffer, size_t size, size_t count, PakFile* file) = 0;
    virtual int FGetC(PakFile* file) = 0;
    virtual int UnGetC(int c, PakFile* file) = 0;
    virtual char16_t* FGetS(char16_t* buffer, int size, PakFile* file) = 0;
    virtual char* FGetS(char* buffer, int size, PakFile* file) = 0;
    virtual int FEof(PakFile* file) = 0;
    virtual PakFindHandle FindFirstFile(std::string_view pattern, PakFindData* data) = 0;
    virtual bool FindNextFile(PakFindHandle handle, PakFindData* data) = 0;
    virtual bool FindClose(PakFindHandle handle) = 0;
};

class PakInterface : public PakInterfaceBase {
public:
    // Publishes itself when no interface is published yet.
    PakInterface();
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Maps an archive and registers its members (a later archive hides
    // members of the same name). False when the file is missing, not an
    // archive, or damaged (then no member of it is registered, and a
    // debugger line and refusedReason tell why).
    bool AddPakFile(std::string_view path);
    // Why the last AddPakFile refused a file that is there; empty when it
    // took the file or there was none.
    std::string refusedReason;

    PakFile* FOpen(const char16_t* name, const char16_t* mode) override;
    PakFile* FOpen(std::string_view name, const char* mode) override;
    int FClose(PakFile* file) override;
    int FSeek(PakFile* file, int32_t offset, int origin) override;
    int32_t FTell(PakFile* file) override;
    size_t FRead(void* buffer, size_t size, size_t count, PakFile* file) override;
    int FGetC(PakFile* file) override;
    int UnGetC(int c, PakFile* file) override;
    char16_t* FGetS(char16_t* buffer, int size, PakFile* file) override;
    char* FGetS(char* buffer, int size, PakFile* file) override;
    int FEof(PakFile* file) override;
    PakFindHandle FindFirstFile(std::string_view pattern, PakFindData* data) override;
    bool FindNextFile(PakFindHandle handle, PakFindData* data) override;
    bool FindClose(PakFindHandle handle) override;

    // Replacement names: key and value as the writer stored them; look-ups
    // use the normalised name (LookupPakPathAlias).
    std::map<std::string, std::string> mPathAliases;
    // Upper-cased member name -> entry, for every archive.
    std::map<std::string, PakEntry> mEntries;

private:
    bool FindInPak(PakFindRecord* record, PakFindData* data);
    std::list<PakArchive> mArchives;
};

// The process-wide interface, constructed (and published) at start-up.
PakInterface& GlobalPakInterface();
// The published interface, or null.
PakInterface* GetSharedPakInterface();
// Replaces the published pointer and returns the old one (tests run the
// helpers against an interface of their own, or none).
PakInterface* SetSharedPakInterface(PakInterface* pak);

// Normalised form of a name: one backslash between components, "." and
// ".." resolved, the working-directory prefix dropped, upper case. Empty
// for a name longer than PAK_MAX_PATH.
std::string NormalizePakPath(std::string_view name);
// The replacement stored for the normalised name, or empty.
std::string LookupPakPathAlias(std::string_view name);

// The helpers every reader uses: through the published interface, or
// straight to disk when there is none. Disk names are found without regard
// to case (platform OpenFile).
PakFile* PakFOpen(std::string_view name);       // "rb", with the alias retry
PakFile* PakFOpenText(std::string_view name);   // "r", with the alias retry
size_t PakFRead(void* buffer, size_t size, size_t count, PakFile* file);
int PakFSeek(PakFile* file, int32_t offset, int origin);
int32_t PakFTell(PakFile* file);
int PakFClose(PakFile* file);
int PakFEof(PakFile* file);
int PakFGetC(PakFile* file);
int PakUnGetC(int c, PakFile* file);
// Writes to a disk file; 0 for a member.
size_t PakFWrite(const void* buffer, size_t length, PakFile* file);
PakFindHandle PakFindFirstFile(std::string_view pattern, PakFindData* data);
bool PakFindNextFile(PakFindHandle handle, PakFindData* data);
// Ends a search of either helper above.
bool PakFindClose(PakFindHandle handle);

constexpr size_t PAK_MAX_LINE = 500;
// Reads one line of at most PAK_MAX_LINE bytes without its line end (CR LF,
// LF or CR). False at the end of the file when nothing was read.
bool PakReadLine(PakFile* file, std::string& line);
// The whole file; empty when it cannot be read or is empty.
std::string PakReadWholeFile(std::string_view name);

} // namespace Quib
