#include "framework/app/DemoFile.h"

#include "framework/files/PrintfFormat.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace Quib {

namespace {

constexpr char kInvalid[] = "Invalid demo file.";

int32_t BitsLeft(const Buffer& buffer)
{
    return buffer.GetBitLength() - buffer.GetReadPosition();
}

// Bits the fixed part of an event's data takes (the bytes of registry reads
// and values come on top).
int FixedDataBits(uint32_t version, bool mouseClass, int code)
{
    if (mouseClass)
        return code == DEMO_MOUSE_MOVE ? 12 : 4;
    switch (code) {
    case DEMO_MOUSE_POSITION: return version >= 3 ? 32 : 24;
    case DEMO_ACTIVATE: return 1;
    case DEMO_MINIMISED: return 8;
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP: return 8;
    case DEMO_CHAR: return 1;
    case DEMO_REGISTRY_READ: return 1;
    case DEMO_REGISTRY_WRITE: return 1;
    case DEMO_VALUE: return 32;
    case DEMO_MOUSE_WHEEL: return 8;
    case DEMO_SCREEN_MODE: return 16;
    default: return 0;
    }
}

// Reads count bytes when they are all there.
bool ReadByteRun(Buffer& buffer, uint32_t count, std::vector<uint8_t>& out)
{
    if (uint64_t(count) * 8 > uint64_t(std::max(BitsLeft(buffer), 0)))
        return false;
    out.resize(count);
    for (uint8_t& b : out)
        b = buffer.ReadByte();
    return true;
}

void WriteByteRun(Buffer& buffer, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes)
        buffer.WriteByte(b);
}

int ClampInt(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

} // namespace

bool IsKnownDemoEvent(bool mouseClass, int code)
{
    if (mouseClass)
        return code == DEMO_MOUSE_MOVE || code == DEMO_MOUSE_BUTTON;
    switch (code) {
    case DEMO_MOUSE_POSITION:
    case DEMO_ACTIVATE:
    case DEMO_MINIMISED:
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP:
    case DEMO_CHAR:
    case DEMO_CLOSE:
    case DEMO_MOUSE_ENTER:
    case DEMO_MOUSE_LEAVE:
    case DEMO_LOADING_DONE:
    case DEMO_REGISTRY_READ:
    case DEMO_REGISTRY_WRITE:
    case DEMO_VALUE:
    case DEMO_MOUSE_WHEEL:
    case DEMO_SCREEN_MODE:
    case DEMO_FILLER: return true;
    default: return false;
    }
}

void DemoEventStream::Clear()
{
    *this = DemoEventStream();
}

void DemoEventStream::WriteHeader(int32_t updateCount, bool mouseClass, int code)
{
    // An update count below the last event's (nothing should write one)
    // goes in as a delta of 0 rather than moving the stream's clock back.
    while (int64_t(updateCount) - lastEventUpdate > DEMO_MAX_DELTA) {
        buffer.WriteNumBits(DEMO_MAX_DELTA, 4);
        buffer.WriteNumBits(0, 1);
        buffer.WriteNumBits(DEMO_FILLER, 5);
        lastEventUpdate += DEMO_MAX_DELTA;
        ++eventCount;
    }
    const int delta = int(std::max<int64_t>(0, int64_t(updateCount) - lastEventUpdate));
    buffer.WriteNumBits(delta, 4);
    lastEventUpdate += delta;
    buffer.WriteNumBits(mouseClass ? 1 : 0, 1);
    buffer.WriteNumBits(code, mouseClass ? 1 : 5);
    ++eventCount;
}

void DemoEventStream::WriteData(Buffer& out, const DemoEvent& event)
{
    if (event.mouseClass) {
        if (event.code == DEMO_MOUSE_MOVE) {
            out.WriteNumBits(ClampInt(event.x, -32, 31), 6);
            out.WriteNumBits(ClampInt(event.y, -32, 31), 6);
        } else {
            out.WriteNumBits(event.flag ? 1 : 0, 1);
            out.WriteNumBits(ClampInt(event.value, -4, 3), 3);
        }
        return;
    }
    switch (event.code) {
    case DEMO_MOUSE_POSITION:
        out.WriteNumBits(ClampInt(event.x, INT16_MIN, INT16_MAX), 16);
        out.WriteNumBits(ClampInt(event.y, INT16_MIN, INT16_MAX), 16);
        break;
    case DEMO_ACTIVATE:
    case DEMO_REGISTRY_WRITE: out.WriteNumBits(event.flag ? 1 : 0, 1); break;
    case DEMO_MINIMISED: out.WriteByte(event.flag ? 1 : 0); break;
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP: out.WriteNumBits(event.value, 8); break;
    case DEMO_CHAR:
        // Always written wide; the narrow form is read for older files.
        out.WriteNumBits(1, 1);
        out.WriteNumBits(event.value, 16);
        break;
    case DEMO_REGISTRY_READ:
        out.WriteNumBits(event.flag ? 1 : 0, 1);
        if (event.flag) {
            out.WriteNumBits(event.value, 32);
            out.WriteNumBits(int32_t(event.bytes.size()), 32);
            WriteByteRun(out, event.bytes);
        }
        break;
    case DEMO_VALUE:
        out.WriteNumBits(int32_t(event.bytes.size()), 32);
        WriteByteRun(out, event.bytes);
        break;
    case DEMO_MOUSE_WHEEL: out.WriteNumBits(ClampInt(event.value, -128, 127), 8); break;
    case DEMO_SCREEN_MODE:
        out.WriteByte(event.flag ? 1 : 0);
        out.WriteByte(uint8_t(ClampInt(event.value, 0, 255)));
        break;
    default: break; // no data
    }
}

void DemoEventStream::WriteEvent(int32_t updateCount, const DemoEvent& event)
{
    WriteHeader(updateCount, event.mouseClass, event.code);
    WriteData(buffer, event);
}

void DemoEventStream::WriteMousePosition(int32_t updateCount, int x, int y)
{
    x = ClampInt(x, INT16_MIN, INT16_MAX);
    y = ClampInt(y, INT16_MIN, INT16_MAX);
    DemoEvent event;
    const int dx = x - lastMouseX;
    const int dy = y - lastMouseY;
    if (std::abs(dx) < DEMO_RELATIVE_LIMIT && std::abs(dy) < DEMO_RELATIVE_LIMIT) {
        event.mouseClass = true;
        event.code = DEMO_MOUSE_MOVE;
        event.x = dx;
        event.y = dy;
    } else {
        event.code = DEMO_MOUSE_POSITION;
        event.x = x;
        event.y = y;
    }
    WriteEvent(updateCount, event);
    lastMouseX = x;
    lastMouseY = y;
}

DemoReadResult DemoEventStream::ReadHeader(Buffer& in, int& delta, bool& mouseClass, int& code)
{
    const int32_t left = BitsLeft(in);
    if (left <= 0)
        return DemoReadResult::End;
    if (left < 6)
        return DemoReadResult::Truncated;
    delta = in.ReadNumBits(4, false);
    mouseClass = in.ReadNumBits(1, false) != 0;
    const int codeBits = mouseClass ? 1 : 5;
    if (BitsLeft(in) < codeBits)
        return DemoReadResult::Truncated;
    code = in.ReadNumBits(codeBits, false);
    return IsKnownDemoEvent(mouseClass, code) ? DemoReadResult::Ok : DemoReadResult::Unknown;
}

DemoReadResult DemoEventStream::ReadData(Buffer& in, uint32_t version, bool mouseClass, int code, DemoEvent& event)
{
    event = DemoEvent();
    event.mouseClass = mouseClass;
    event.code = code;
    if (!IsKnownDemoEvent(mouseClass, code))
        return DemoReadResult::Unknown;
    if (BitsLeft(in) < FixedDataBits(version, mouseClass, code))
        return DemoReadResult::Truncated;
    if (mouseClass) {
        if (code == DEMO_MOUSE_MOVE) {
            event.x = in.ReadNumBits(6, true);
            event.y = in.ReadNumBits(6, true);
        } else {
            event.flag = in.ReadNumBits(1, false) != 0;
            event.value = in.ReadNumBits(3, true);
        }
        return DemoReadResult::Ok;
    }
    switch (code) {
    case DEMO_MOUSE_POSITION:
        if (version >= 3) {
            event.x = in.ReadNumBits(16, true);
            event.y = in.ReadNumBits(16, true);
        } else {
            event.x = in.ReadNumBits(12, false);
            event.y = in.ReadNumBits(12, false);
        }
        break;
    case DEMO_ACTIVATE:
    case DEMO_REGISTRY_WRITE: event.flag = in.ReadNumBits(1, false) != 0; break;
    case DEMO_MINIMISED: event.flag = in.ReadByte() != 0; break;
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP: event.value = in.ReadNumBits(8, false); break;
    case DEMO_CHAR: {
        event.flag = in.ReadNumBits(1, false) != 0;
        const int bits = event.flag ? 16 : 8;
        if (BitsLeft(in) < bits)
            return DemoReadResult::Truncated;
        event.value = in.ReadNumBits(bits, false);
        break;
    }
    case DEMO_REGISTRY_READ:
        event.flag = in.ReadNumBits(1, false) != 0;
        if (event.flag) {
            if (BitsLeft(in) < 64)
                return DemoReadResult::Truncated;
            event.value = in.ReadNumBits(32, false);
            const uint32_t size = uint32_t(in.ReadNumBits(32, false));
            if (!ReadByteRun(in, size, event.bytes))
                return DemoReadResult::Truncated;
        }
        break;
    case DEMO_VALUE: {
        const uint32_t count = uint32_t(in.ReadNumBits(32, false));
        if (!ReadByteRun(in, count, event.bytes))
            return DemoReadResult::Truncated;
        break;
    }
    case DEMO_MOUSE_WHEEL: event.value = in.ReadNumBits(8, true); break;
    case DEMO_SCREEN_MODE:
        event.flag = in.ReadByte() != 0;
        event.value = in.ReadByte();
        break;
    default: break; // no data
    }
    return DemoReadResult::Ok;
}

bool DemoEventStream::Prepare(int32_t updateCount)
{
    if (needHeader) {
        if (buffer.AtEnd())
            return false;
        headerPosition = buffer.GetReadPosition();
        int delta = 0;
        bool mouseClass = false;
        int code = 0;
        if (ReadHeader(buffer, delta, mouseClass, code) != DemoReadResult::Ok) {
            // Checked when the file was opened; a stream that goes wrong
            // anyway ends here.
            buffer.SetReadPosition(buffer.GetBitLength());
            return false;
        }
        lastEventUpdate += delta;
        pendingClass = mouseClass;
        pendingCode = code;
        needHeader = false;
        ++eventCount;
    }
    return updateCount == lastEventUpdate;
}

bool DemoEventStream::TakePending(DemoEvent& event)
{
    if (needHeader)
        return false;
    needHeader = true;
    if (ReadData(buffer, version, pendingClass, pendingCode, event) != DemoReadResult::Ok) {
        buffer.SetReadPosition(buffer.GetBitLength());
        return false;
    }
    if (event.mouseClass && event.code == DEMO_MOUSE_MOVE) {
        lastMouseX += event.x;
        lastMouseY += event.y;
    } else if (!event.mouseClass && event.code == DEMO_MOUSE_POSITION) {
        lastMouseX = event.x;
        lastMouseY = event.y;
    }
    return true;
}

bool DemoEventStream::Check(const Buffer& events, uint32_t version, int32_t& endBit, std::string& error)
{
    Buffer in = events;
    in.SetReadPosition(0);
    int64_t update = 0;
    DemoEvent event;
    for (;;) {
        const int32_t start = in.GetReadPosition();
        int delta = 0;
        bool mouseClass = false;
        int code = 0;
        DemoReadResult result = ReadHeader(in, delta, mouseClass, code);
        if (result == DemoReadResult::End) {
            endBit = start;
            return true;
        }
        if (result == DemoReadResult::Ok || result == DemoReadResult::Unknown)
            update += delta;
        if (result == DemoReadResult::Ok)
            result = ReadData(in, version, mouseClass, code, event);
        if (result == DemoReadResult::Ok && update > INT32_MAX)
            result = DemoReadResult::Truncated; // a clock no recording reaches
        if (result == DemoReadResult::Ok)
            continue;
        if (result == DemoReadResult::Unknown) {
            // Both mouse-class codes are known: this is a general one.
            error = StrFormat("%s Unknown event code %d at update %d.", kInvalid, code, int32_t(update));
            return false;
        }
        // Without a stored length, the zero bits that pad the last byte
        // are not an event.
        const int32_t rest = events.GetBitLength() - start;
        if (version < 3 && rest < 8) {
            in.SetReadPosition(start);
            if (in.ReadNumBits(rest, false) == 0) {
                endBit = start;
                return true;
            }
        }
        error = StrFormat("%s The events end inside an event at update %d.", kInvalid, int32_t(update));
        return false;
    }
}

std::string FormatDemoFile(const DemoFileData& demo)
{
    const uint32_t version = std::clamp<uint32_t>(demo.version, 1, DEMO_VERSION);
    Buffer out;
    out.WriteLong(int32_t(DEMO_MAGIC));
    out.WriteLong(int32_t(version));
    out.WriteLong(int32_t(demo.seed));
    const size_t versionLength = std::min<size_t>(demo.productVersion.size(), 0xFFFF);
    out.WriteShort(int16_t(uint16_t(versionLength)));
    out.WriteBytes(reinterpret_cast<const uint8_t*>(demo.productVersion.data()), int(versionLength));
    if (version >= 2) {
        Buffer table;
        table.WriteLong(int32_t(demo.markers.size()));
        for (const DemoMarker& marker : demo.markers) {
            table.WriteString(marker.name);
            table.WriteLong(marker.updateNumber);
        }
        out.WriteLong(table.GetByteSize());
        if (table.GetByteSize() > 0)
            out.WriteBytes(table.GetDataPtr(), table.GetByteSize());
    }
    out.WriteLong(demo.updateCount);
    if (version >= 3)
        out.WriteLong(demo.events.GetBitLength());
    if (demo.events.GetByteSize() > 0)
        out.WriteBytes(demo.events.GetDataPtr(), demo.events.GetByteSize());
    if (out.GetByteSize() == 0)
        return {};
    return std::string(reinterpret_cast<const char*>(out.GetDataPtr()), size_t(out.GetByteSize()));
}

bool ParseDemoFile(std::string_view bytes, DemoFileData& demo, std::string& error)
{
    demo = DemoFileData();
    if (bytes.size() > DEMO_MAX_FILE_BYTES) {
        error = StrFormat("%s It is larger than %d MB.", kInvalid, int(DEMO_MAX_FILE_BYTES >> 20));
        return false;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t size = bytes.size();
    size_t pos = 0;
    auto left = [&] { return size - pos; };
    // Fixed-size fields go through a Buffer over the bytes they take.
    auto readLong = [&](uint32_t& value) {
        if (left() < 4)
            return false;
        Buffer field;
        field.Assign(data + pos, 4, 32);
        value = uint32_t(field.ReadLong());
        pos += 4;
        return true;
    };

    uint32_t magic = 0;
    if (!readLong(magic) || magic != DEMO_MAGIC) {
        error = kInvalid;
        return false;
    }
    if (!readLong(demo.version)) {
        error = kInvalid;
        return false;
    }
    if (demo.version < 1 || demo.version > DEMO_VERSION) {
        error = StrFormat("Unsupported demo file version %u (this program reads versions 1 to %u).", demo.version,
                          DEMO_VERSION);
        return false;
    }
    if (!readLong(demo.seed) || left() < 2) {
        error = kInvalid;
        return false;
    }
    // The whole stored version string, however long, so that what follows
    // it is read where it is.
    const size_t versionLength = size_t(data[pos]) | size_t(data[pos + 1]) << 8;
    pos += 2;
    if (left() < versionLength) {
        error = kInvalid;
        return false;
    }
    demo.productVersion.assign(reinterpret_cast<const char*>(data + pos), versionLength);
    pos += versionLength;

    // What must follow the marker table: the update count, the bit count
    // (version 3) and at least one byte of events.
    const size_t tail = (demo.version >= 3 ? 8 : 4) + 1;
    if (demo.version >= 2) {
        uint32_t tableLength = 0;
        if (!readLong(tableLength) || left() < tail || tableLength > left() - tail) {
            error = kInvalid;
            return false;
        }
        Buffer table;
        table.Assign(data + pos, tableLength, int64_t(tableLength) * 8);
        pos += tableLength;
        const uint32_t count = uint32_t(table.ReadLong());
        for (uint32_t i = 0; i < count; ++i) {
            if (table.AtEnd())
                break;
            if (BitsLeft(table) < 16) {
                error = kInvalid;
                return false;
            }
            const int32_t before = table.GetReadPosition();
            const uint32_t nameLength = uint16_t(table.ReadShort());
            table.SetReadPosition(before);
            if (int64_t(BitsLeft(table)) < (2 + int64_t(nameLength) + 4) * 8) {
                error = kInvalid;
                return false;
            }
            DemoMarker marker;
            marker.name = table.ReadString();
            marker.updateNumber = table.ReadLong();
            demo.markers.push_back(std::move(marker));
        }
        if (demo.markers.size() != count) {
            error = kInvalid;
            return false;
        }
    }

    uint32_t updateCount = 0;
    if (!readLong(updateCount)) {
        error = kInvalid;
        return false;
    }
    demo.updateCount = int32_t(updateCount);
    int64_t bitLength = int64_t(left()) * 8;
    if (demo.version >= 3) {
        uint32_t bits = 0;
        if (!readLong(bits) || (uint64_t(bits) + 7) / 8 != left()) {
            error = StrFormat("%s Its events are not the length it gives.", kInvalid);
            return false;
        }
        bitLength = bits;
    }
    if (left() == 0) {
        error = kInvalid;
        return false;
    }
    demo.events.Assign(data + pos, left(), bitLength);
    int32_t endBit = 0;
    if (!DemoEventStream::Check(demo.events, demo.version, endBit, error))
        return false;
    if (endBit != demo.events.GetBitLength())
        demo.events.Assign(data + pos, left(), endBit);
    return true;
}

} // namespace Quib
