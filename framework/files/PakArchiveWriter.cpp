#include "framework/files/PakArchiveWriter.h"

#include <climits>

namespace Quib {

namespace {

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char(v >> (8 * i));
}

} // namespace

std::string BuildPakArchive(const std::vector<PakMember>& members)
{
    uint64_t total = 9;
    for (const PakMember& m : members) {
        if (m.name.size() > 255)
            return {};
        total += 14 + m.name.size() + m.data.size();
    }
    if (total > INT32_MAX)
        return {};
    std::string out;
    out.reserve(size_t(total));
    PutU32(out, PAK_MAGIC);
    PutU32(out, PAK_VERSION);
    for (const PakMember& m : members) {
        out += char(0);
        out += char(m.name.size());
        out += m.name;
        PutU32(out, uint32_t(m.data.size()));
        PutU32(out, m.time.dwLowDateTime);
        PutU32(out, m.time.dwHighDateTime);
    }
    out += char(PAK_END_OF_DIRECTORY);
    for (const PakMember& m : members)
        out += m.data;
    PakScramble(reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

bool WritePakArchive(std::string_view path, const std::vector<PakMember>& members)
{
    std::string bytes = BuildPakArchive(members);
    if (bytes.empty())
        return false;
    AtomicFileWriter writer(path);
    return writer.Write(bytes) && writer.Commit();
}

} // namespace Quib
