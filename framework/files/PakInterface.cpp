#include "framework/files/PakInterface.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quib {

namespace {

std::atomic<PakInterface*> gSharedPak{nullptr};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string UpperKey(std::string_view name)
{
    std::string key(name);
    for (char& c : key)
        c = UpperAscii(c);
    return key;
}

bool IsPakReadMode(const char* mode)
{
    std::string m = UpperKey(mode);
    return m == "R" || m == "RB" || m == "RT";
}

// Reads the unscrambled header and directory of a mapped archive.
class DirectoryReader {
public:
    DirectoryReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    bool AtEnd() const { return mPos >= mSize; }
    size_t Pos() const { return mPos; }
    bool Bytes(void* out, size_t n)
    {
        if (n > mSize - mPos)
            return false;
        PakUnscrambleCopy(out, mData + mPos, n);
        mPos += n;
        return true;
    }
    bool U8(uint8_t& v) { return Bytes(&v, 1); }
    bool U32(uint32_t& v)
    {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

const uint8_t* MemberBytes(const PakFile* file) { return file->mEntry->mArchive->mData + file->mEntry->mStartPos; }

int32_t MemberLeft(const PakFile* file) { return std::max<int32_t>(0, file->mEntry->mSize - file->mPos); }

// The operations on one handle: a member is read from the mapping, a disk
// file through the C runtime. Both the interface and the helpers without
// one use them.
PakFile* OpenDiskFile(std::string_view name, const char* mode)
{
    FILE* f = OpenFile(name, mode);
    if (!f)
        return nullptr;
    auto* file = new PakFile{nullptr, 0, f, nullptr};
    // Files opened only to be read come in with few, large reads.
    if (std::string_view(mode) == "rb" || std::string_view(mode) == "r") {
        constexpr size_t kReadBuffer = 64 * 1024;
        file->mBuffer.reset(new (std::nothrow) char[kReadBuffer]);
        if (file->mBuffer && std::setvbuf(f, file->mBuffer.get(), _IOFBF, kReadBuffer) != 0)
            file->mBuffer.reset();
    }
    return file;
}

int CloseFile(PakFile* file)
{
    if (!file)
        return -1;
    int result = file->mFile ? std::fclose(file->mFile) : 0;
    delete file;
    return result;
}

int SeekFile(PakFile* file, int32_t offset, int origin)
{
    if (!file)
        return -1;
    if (!file->mEntry)
        return file->mFile ? std::fseek(file->mFile, offset, origin) : -1;
    int64_t pos = file->mPos;
    switch (origin) {
    case SEEK_SET: pos = offset; break;
    case SEEK_CUR: pos += offset; break;
    case SEEK_END: pos = int64_t(file->mEntry->mSize) + offset; break;
    default: break;
    }
    file->mPos = int32_t(std::clamp<int64_t>(pos, 0, file->mEntry->mSize));
    return 0;
}

int32_t TellFile(PakFile* file)
{
    if (!file)
        return -1;
    if (!file->mEntry) {
        if (!file->mFile)
            return -1;
        long pos = std::ftell(file->mFile);
        return pos > INT32_MAX ? -1 : int32_t(pos);
    }
    return file->mPos;
}

size_t ReadFile(void* buffer, size_t size, size_t count, PakFile* file)
{
    if (!file || !buffer || size == 0)
        return 0;
    if (!file->mEntry)
        return file->mFile ? std::fread(buffer, size, count, file->mFile) : 0;
    size_t want;
    if (__builtin_mul_overflow(size, count, &want))
        want = SIZE_MAX;
    size_t bytes = std::min(want, size_t(MemberLeft(file)));
    if (bytes == 0)
        return 0;
    PakUnscrambleCopy(buffer, MemberBytes(file) + file->mPos, bytes);
    file->mPos += int32_t(bytes);
    return bytes / size;
}

int GetCFile(PakFile* file)
{
    if (!file)
        return EOF;
    if (!file->mEntry)
        return file->mFile ? std::fgetc(file->mFile) : EOF;
    // Members read as text: carriage returns are skipped.
    const uint8_t* bytes = MemberBytes(file);
    while (MemberLeft(file) > 0) {
        uint8_t c = bytes[file->mPos++] ^ PAK_KEY;
        if (c != '\r')
            return c;
    }
    return EOF;
}

int UnGetCFile(int c, PakFile* file)
{
    if (!file)
        return EOF;
    if (!file->mEntry)
        return file->mFile ? std::ungetc(c, file->mFile) : EOF;
    if (file->mPos > 0)
        --file->mPos;
    return c;
}

char* GetSFile(char* buffer, int size, PakFile* file)
{
    if (!file || !buffer || size < 1)
        return nullptr;
    if (!file->mEntry)
        return file->mFile ? std::fgets(buffer, size, file->mFile) : nullptr;
    const uint8_t* bytes = MemberBytes(file);
    int stored = 0;
    bool ended = false;
    while (stored < size - 1) {
        if (MemberLeft(file) == 0) {
            ended = true;
            break;
        }
        char c = char(bytes[file->mPos++] ^ PAK_KEY);
        if (c == '\r')
            continue;
        buffer[stored++] = c;
        if (c == '\n')
            break;
    }
    buffer[stored] = '\0';
    return ended && stored == 0 ? nullptr : buffer;
}

int EofFile(PakFile* file)
{
    if (!file)
        return 1;
    if (!file->mEntry)
        return file->mFile ? std::feof(file->mFile) : 1;
    return file->mPos >= file->mEntry->mSize;
}

void CopyFileName(PakFindData* data, std::string_view name)
{
    size_t n = std::min(name.size(), sizeof(data->cFileName) - 1);
    std::memcpy(data->cFileName, name.data(), n);
    data->cFileName[n] = '\0';
}

bool NextOnDisk(PakFindRecord* record, PakFindData* data)
{
    if (record->mDiskNext >= record->mDiskEntries.size())
        return false;
    const DiskFindEntry& e = record->mDiskEntries[record->mDiskNext++];
    data->dwFileAttributes = e.isDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = FileTimeFromUnixSeconds(e.modifiedUnixSeconds);
    data->nFileSizeHigh = uint32_t(e.size >> 32);
    data->nFileSizeLow = uint32_t(e.size);
    CopyFileName(data, e.name);
    return true;
}

bool StartOnDisk(PakFindRecord* record, PakFindData* data)
{
    record->mOnDisk = true;
    record->mDiskEntries = FindOnDisk(record->mPattern);
    record->mDiskNext = 0;
    return NextOnDisk(record, data);
}

PakFile* OpenWithAlias(std::string_view name, const char* mode)
{
    PakInterface* pak = GetSharedPakInterface();
    if (!pak)
        return OpenDiskFile(name, mode);
    PakFile* file = pak->FOpen(name, mode);
    if (!file) {
        std::string alias = LookupPakPathAlias(name);
        if (!alias.empty())
            file = pak->FOpen(alias, mode);
    }
    return file;
}

} // namespace

void PakUnscrambleCopy(void* dest, const uint8_t* src, size_t size)
{
    uint8_t* out = static_cast<uint8_t*>(dest);
    constexpr uint64_t key = 0x0101010101010101ull * PAK_KEY;
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        uint64_t w[4];
        std::memcpy(w, src + i, 32);
        w[0] ^= key;
        w[1] ^= key;
        w[2] ^= key;
        w[3] ^= key;
        std::memcpy(out + i, w, 32);
    }
    for (; i < size; ++i)
        out[i] = src[i] ^ PAK_KEY;
}

void PakScramble(uint8_t* data, size_t size) { PakUnscrambleCopy(data, data, size); }

FileTime FileTimeFromUnixSeconds(int64_t seconds)
{
    constexpr int64_t epochDelta = 11644473600; // 1601-01-01 to 1970-01-01
    uint64_t ticks = uint64_t(std::max<int64_t>(0, seconds + epochDelta)) * 10000000u;
    return FileTime{uint32_t(ticks), uint32_t(ticks >> 32)};
}

PakInterface::PakInterface()
{
    PakInterface* none = nullptr;
    gSharedPak.compare_exchange_strong(none, this);
}

PakInterface::~PakInterface()
{
    PakInterface* self = this;
    gSharedPak.compare_exchange_strong(self, nullptr);
    for (PakArchive& archive : mArchives)
        munmap(const_cast<uint8_t*>(archive.mData), archive.mSize);
}

bool PakInterface::AddPakFile(std::string_view path)
{
    refusedReason.clear();
    const auto refuse = [&](const std::string& why) {
        refusedReason = why;
        OutputDebugString("Pak file " + std::string(path) + " refused: " + why + "\n");
        return false;
    };
    std::string ownKey = NormalizePakPath(path);
    if (ownKey.empty())
        return false;
    std::string resolved = ResolveExistingPath(path);
    if (resolved.empty())
        return false;
    int fd = open(resolved.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refuse("it cannot be opened");
    struct stat st;
    // Offsets and sizes are signed 32-bit: larger files are not archives.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 || st.st_size > INT32_MAX) {
        close(fd);
        return refuse("not a plain file of 1 byte to 2 GB");
    }
    size_t size = size_t(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return refuse("it cannot be mapped");
    PakArchive& archive = mArchives.emplace_back(PakArchive{std::string(path), static_cast<const uint8_t*>(view), size});

    // The archive's own name reads the whole file, unscrambled.
    mEntries[ownKey] = PakEntry{&archive, std::string(path), FileTime{}, 0, int32_t(size)};

    DirectoryReader reader(archive.mData, size);
    uint32_t magic = 0, version = 0;
    if (!reader.U32(magic) || magic != PAK_MAGIC || !reader.U32(version) || version != PAK_VERSION)
        return refuse("no archive header");

    struct Member {
        std::string name;
        FileTime time;
        uint64_t offset;
        uint32_t size;
    };
    std::vector<Member> members;
    uint64_t offset = 0;
    while (!reader.AtEnd()) { // a directory without its end flag ends with the file
        uint8_t flags, nameLength;
        if (!reader.U8(flags) || (flags & PAK_END_OF_DIRECTORY))
            break;
        Member m;
        char name[255];
        if (!reader.U8(nameLength) || !reader.Bytes(name, nameLength) || !reader.U32(m.size) ||
            !reader.U32(m.time.dwLowDateTime) || !reader.U32(m.time.dwHighDateTime))
            return refuse("its directory is cut off inside a record");
        m.name.assign(name, strnlen(name, nameLength));
        m.offset = offset;
        offset += m.size;
        members.push_back(std::move(m));
    }
    // Every member must lie inside the file: a damaged archive adds nothing.
    uint64_t dataStart = reader.Pos();
    for (const Member& m : members)
        if (dataStart + m.offset + m.size > size)
            return refuse("the member \"" + m.name + "\" lies past the end of the file");
    for (Member& m : members) {
        if (m.name.empty())
            continue; // no name can open it
        std::string key = UpperKey(m.name);
        mEntries[key] = PakEntry{&archive, std::move(m.name), m.time, int32_t(dataStart + m.offset), int32_t(m.size)};
    }
    return true;
}

PakFile* PakInterface::FOpen(const char16_t*, const char16_t*) { return nullptr; }

PakFile* PakInterface::FOpen(std::string_view name, const char* mode)
{
    if (!mode)
        return nullptr;
    if (IsPakReadMode(mode)) {
        std::string key = NormalizePakPath(name);
        if (!key.empty()) {
            auto it = mEntries.find(key);
            if (it != mEntries.end())
                return new PakFile{&it->second, 0, nullptr, nullptr};
        }
    }
    return OpenDiskFile(name, mode);
}

int PakInterface::FClose(PakFile* file) { return CloseFile(file); }
int PakInterface::FSeek(PakFile* file, int32_t offset, int origin) { return SeekFile(file, offset, origin); }
int32_t PakInterface::FTell(PakFile* file) { return TellFile(file); }
size_t PakInterface::FRead(void* buffer, size_t size, size_t count, PakFile* file) { return ReadFile(buffer, size, count, file); }
int PakInterface::FGetC(PakFile* file) { return GetCFile(file); }
int PakInterface::UnGetC(int c, PakFile* file) { return UnGetCFile(c, file); }
char16_t* PakInterface::FGetS(char16_t* buffer, int, PakFile*) { return buffer; }
char* PakInterface::FGetS(char* buffer, int size, PakFile* file) { return GetSFile(buffer, size, file); }
int PakInterface::FEof(PakFile* file) { return EofFile(file); }

bool PakInterface::FindInPak(PakFindRecord* record, PakFindData* data)
{
    std::string_view pattern = record->mPattern;
    size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return false; // no member without a star: such a search goes to disk
    std::string_view prefix = pattern.substr(0, star);
    std::string_view tail = pattern.substr(star + 1);
    // Keys that begin with the prefix lie together in key order.
    auto it = mEntries.lower_bound(std::string(prefix));
    if (!record->mLastKey.empty()) {
        auto next = mEntries.upper_bound(record->mLastKey);
        if (it != mEntries.end() && (next == mEntries.end() || next->first > it->first))
            it = next;
    }
    for (; it != mEntries.end() && std::string_view(it->first).starts_with(prefix); ++it) {
        std::string_view key = it->first;
        if (!(tail.empty() || tail == ".*" || key.ends_with(tail)))
            continue;
        const PakEntry& entry = it->second;
        std::string_view keyTail = key.substr(key.size() - std::min(key.size(), tail.size()));
        data->dwFileAttributes = keyTail.find('\\') != std::string_view::npos ? FILE_ATTRIBUTE_DIRECTORY : 0;
        data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = entry.mFileTime;
        data->nFileSizeLow = uint32_t(entry.mSize);
        size_t slash = entry.mName.find_last_of('\\');
        CopyFileName(data, slash == std::string::npos ? entry.mName : std::string_view(entry.mName).substr(slash + 1));
        record->mLastKey = it->first;
        return true;
    }
    return false;
}

PakFindHandle PakInterface::FindFirstFile(std::string_view pattern, PakFindData* data)
{
    if (!data)
        return nullptr;
    auto* record = new PakFindRecord;
    record->mPattern = NormalizePakPath(pattern);
    if (!record->mPattern.empty() && (FindInPak(record, data) || StartOnDisk(record, data)))
        return record;
    delete record;
    return nullptr;
}

bool PakInterface::FindNextFile(PakFindHandle handle, PakFindData* data)
{
    if (!handle || !data)
        return false;
    if (handle->mOnDisk)
        return NextOnDisk(handle, data);
    return FindInPak(handle, data) || StartOnDisk(handle, data);
}

bool PakInterface::FindClose(PakFindHandle handle)
{
    delete handle;
    return true;
}

PakInterface& GlobalPakInterface()
{
    static PakInterface pak;
    return pak;
}

namespace {
// Built and published during start-up, before main.
[[maybe_unused]] PakInterface& gStartupPak = GlobalPakInterface();
} // namespace

PakInterface* GetSharedPakInterface() { return gSharedPak.load(std::memory_order_acquire); }

PakInterface* SetSharedPakInterface(PakInterface* pak) { return gSharedPak.exchange(pak); }

std::string NormalizePakPath(std::string_view name)
{
    name = name.substr(0, std::min(name.size(), name.find('\0')));
    if (name.size() > PAK_MAX_PATH)
        return {};
    // Names inside the working directory become relative.
    std::string cwd = GetWorkingDirectory();
    if (!cwd.empty()) {
        if (!IsSeparator(cwd.back()))
            cwd += '/';
        bool inside = name.size() >= cwd.size();
        for (size_t i = 0; inside && i < cwd.size(); ++i)
            inside = IsSeparator(cwd[i]) ? IsSeparator(name[i]) : UpperAscii(cwd[i]) == UpperAscii(name[i]);
        if (inside)
            name.remove_prefix(cwd.size());
    }
    std::string out;
    out.reserve(name.size());
    bool afterSeparator = false;
    size_t i = 0;
    while (i < name.size()) {
        char c = name[i];
        if (IsSeparator(c)) {
            if (!afterSeparator)
                out += '\\';
            afterSeparator = true;
            ++i;
            continue;
        }
        if (afterSeparator && c == '.') {
            size_t end = i;
            while (end < name.size() && !IsSeparator(name[end]))
                ++end;
            std::string_view part = name.substr(i, end - i);
            if (part == "..") {
                if (!out.empty() && out.back() == '\\')
                    out.pop_back();
                size_t slash = out.find_last_of('\\');
                out.resize(slash == std::string::npos ? 0 : slash + 1);
            }
            if (part == "." || part == "..") {
                i = end;
                continue;
            }
        }
        out += UpperAscii(c);
        afterSeparator = false;
        ++i;
    }
    return out;
}

std::string LookupPakPathAlias(std::string_view name)
{
    PakInterface* pak = GetSharedPakInterface();
    if (!pak)
        return {};
    std::string key = NormalizePakPath(name);
    auto it = pak->mPathAliases.find(key);
    return it == pak->mPathAliases.end() ? std::string() : it->second;
}

PakFile* PakFOpen(std::string_view name) { return OpenWithAlias(name, "rb"); }
PakFile* PakFOpenText(std::string_view name) { return OpenWithAlias(name, "r"); }

size_t PakFRead(void* buffer, size_t size, size_t count, PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FRead(buffer, size, count, file) : ReadFile(buffer, size, count, file);
}

int PakFSeek(PakFile* file, int32_t offset, int origin)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FSeek(file, offset, origin) : SeekFile(file, offset, origin);
}

int32_t PakFTell(PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FTell(file) : TellFile(file);
}

int PakFClose(PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FClose(file) : CloseFile(file);
}

int PakFEof(PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FEof(file) : EofFile(file);
}

int PakFGetC(PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->FGetC(file) : GetCFile(file);
}

int PakUnGetC(int c, PakFile* file)
{
    PakInterface* pak = GetSharedPakInterface();
    return pak ? pak->UnGetC(c, file) : UnGetCFile(c, file);
}

size_t PakFWrite(const void* buffer, size_t length, PakFile* file)
{
    if (!file || file->mEntry || !file->mFile || !buffer)
        return 0;
    return std::fwrite(buffer, 1, length, file->mFile);
}

PakFindHandle PakFindFirstFile(std::string_view pattern, PakFindData* data)
{
    if (PakInterface* pak = GetSharedPakInterface())
        return pak->FindFirstFile(pattern, data);
    if (!data)
        return nullptr;
    auto* record = new PakFindRecord;
    record->mPattern = std::string(pattern);
    if (StartOnDisk(record, data))
        return record;
    delete record;
    return nullptr;
}

bool PakFindNextFile(PakFindHandle handle, PakFindData* data)
{
    if (PakInterface* pak = GetSharedPakInterface())
        return pak->FindNextFile(handle, data);
    return handle && data && NextOnDisk(handle, data);
}

bool PakFindClose(PakFindHandle handle)
{
    if (PakInterface* pak = GetSharedPakInterface())
        return pak->FindClose(handle);
    delete handle;
    return true;
}

namespace {

// After a carriage return, a line feed belongs to the same line end.
void SkipLineFeed(PakFile* file)
{
    char next;
    if (PakFRead(&next, 1, 1, file) == 1 && next != '\n')
        PakFSeek(file, -1, SEEK_CUR);
}

} // namespace

bool PakReadLine(PakFile* file, std::string& line)
{
    line.clear();
    if (!file)
        return false;
    char c;
    while (line.size() < PAK_MAX_LINE) {
        if (PakFRead(&c, 1, 1, file) != 1)
            return !line.empty();
        if (c == '\n')
            return true;
        if (c == '\r') {
            SkipLineFeed(file);
            return true;
        }
        line += c;
    }
    // A full line: a line end right after it still belongs to it.
    if (PakFRead(&c, 1, 1, file) == 1) {
        if (c == '\r')
            SkipLineFeed(file);
        else if (c != '\n')
            PakFSeek(file, -1, SEEK_CUR);
    }
    return true;
}

std::string PakReadWholeFile(std::string_view name)
{
    PakFile* file = PakFOpen(name);
    if (!file)
        return {};
    std::string bytes;
    PakFSeek(file, 0, SEEK_END);
    int32_t length = PakFTell(file);
    if (length > 0) {
        bytes.resize(size_t(length));
        PakFSeek(file, 0, SEEK_SET);
        if (PakFRead(bytes.data(), bytes.size(), 1, file) != 1)
            bytes.clear();
    }
    PakFClose(file);
    return bytes;
}

} // namespace Quib
