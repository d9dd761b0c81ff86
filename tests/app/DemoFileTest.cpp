#include "framework/app/DemoFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

// The stream's bits as '0'/'1' characters in stream order.
std::string Bits(const Buffer& buffer)
{
    Buffer copy = buffer;
    copy.SetReadPosition(0);
    std::string bits;
    while (!copy.AtEnd())
        bits += copy.ReadNumBits(1, false) ? '1' : '0';
    return bits;
}

// A value as count bits, least significant first.
std::string Field(int value, int count)
{
    std::string bits;
    for (int i = 0; i < count; ++i)
        bits += (uint32_t(value) >> i) & 1 ? '1' : '0';
    return bits;
}

DemoEvent General(int code, bool flag = false, int value = 0, std::vector<uint8_t> bytes = {})
{
    DemoEvent e;
    e.code = code;
    e.flag = flag;
    e.value = value;
    e.bytes = std::move(bytes);
    return e;
}

DemoEvent Mouse(bool mouseClass, int code, int x, int y)
{
    DemoEvent e;
    e.mouseClass = mouseClass;
    e.code = code;
    e.x = x;
    e.y = y;
    return e;
}

DemoEvent Button(bool down, int clickCode)
{
    DemoEvent e;
    e.mouseClass = true;
    e.code = DEMO_MOUSE_BUTTON;
    e.flag = down;
    e.value = clickCode;
    return e;
}

// Every event read back from a stream, with the update it is due at.
std::vector<std::pair<int32_t, DemoEvent>> ReadAll(const Buffer& events, uint32_t version)
{
    DemoEventStream stream;
    stream.version = version;
    stream.buffer = events;
    stream.buffer.SetReadPosition(0);
    std::vector<std::pair<int32_t, DemoEvent>> out;
    for (int guard = 0; guard < 100000; ++guard) {
        stream.Prepare(stream.lastEventUpdate);
        if (stream.needHeader)
            break; // at the end
        DemoEvent e;
        EXPECT_TRUE(stream.TakePending(e));
        if (!(!e.mouseClass && e.code == DEMO_FILLER))
            out.emplace_back(stream.lastEventUpdate, e);
    }
    return out;
}

std::string FileBytes(const DemoFileData& demo)
{
    return FormatDemoFile(demo);
}

DemoFileData SmallDemo()
{
    DemoFileData demo;
    demo.seed = 0x1234;
    demo.productVersion = "1.0.2";
    demo.updateCount = 77;
    DemoEventStream stream;
    stream.WriteEvent(0, General(DEMO_SCREEN_MODE, true, 100));
    stream.WriteMousePosition(3, 100, 200);
    demo.events = stream.buffer;
    return demo;
}

TEST(DemoFile, GapOfFortyUpdatesIsTwoFillersAndATen)
{
    DemoEventStream stream;
    stream.WriteEvent(40, General(DEMO_CLOSE));
    const std::string filler = Field(15, 4) + "0" + Field(31, 5);
    EXPECT_EQ(Bits(stream.buffer), filler + filler + Field(10, 4) + "0" + Field(DEMO_CLOSE, 5));
    EXPECT_EQ(stream.lastEventUpdate, 40);
    EXPECT_EQ(stream.eventCount, 2); // from -1: two fillers and the close

    auto events = ReadAll(stream.buffer, DEMO_VERSION);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].first, 40);
    EXPECT_EQ(events[0].second.code, DEMO_CLOSE);
}

TEST(DemoFile, MouseMovesOfThirtyTwoAreAbsolute)
{
    struct Case {
        int x, y;
        bool relative;
    } cases[] = {{31, 0, true}, {32, 0, false}, {0, -31, true}, {0, -32, false}, {-31, 31, true}};
    for (const Case& c : cases) {
        DemoEventStream stream;
        stream.lastMouseX = 100;
        stream.lastMouseY = 100;
        stream.WriteMousePosition(0, 100 + c.x, 100 + c.y);
        DemoEventStream reader;
        reader.buffer = stream.buffer;
        reader.lastMouseX = 100;
        reader.lastMouseY = 100;
        ASSERT_TRUE(reader.Prepare(0));
        EXPECT_EQ(reader.PendingClass(), c.relative) << c.x << "," << c.y;
        DemoEvent e;
        ASSERT_TRUE(reader.TakePending(e));
        EXPECT_EQ(reader.lastMouseX, 100 + c.x);
        EXPECT_EQ(reader.lastMouseY, 100 + c.y);
        EXPECT_EQ(stream.buffer.GetBitLength(), c.relative ? 6 + 12 : 10 + 32);
    }
}

TEST(DemoFile, RightDoubleClickIsThreeBitSix)
{
    DemoEventStream stream;
    stream.WriteEvent(0, Button(true, -2));
    EXPECT_EQ(Bits(stream.buffer), Field(0, 4) + "1" + "1" + "1" + Field(6, 3));
    auto events = ReadAll(stream.buffer, DEMO_VERSION);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].second.value, -2);
    EXPECT_TRUE(events[0].second.flag);
}

TEST(DemoFile, EveryEventRoundTripsThroughAFile)
{
    const std::vector<std::pair<int32_t, DemoEvent>> written = {
        {0, General(DEMO_REGISTRY_READ, true, 4, {85, 0, 0, 0})},
        {0, General(DEMO_REGISTRY_READ)},
        {0, General(DEMO_REGISTRY_WRITE, true)},
        {0, General(DEMO_SCREEN_MODE, true, 60)},
        {1, General(DEMO_MOUSE_ENTER)},
        {1, Mouse(false, DEMO_MOUSE_POSITION, -300, 2500)},
        {2, Mouse(true, DEMO_MOUSE_MOVE, -31, 31)},
        {2, Button(false, 3)},
        {9, General(DEMO_ACTIVATE, false)},
        {9, General(DEMO_MINIMISED, true)},
        {30, General(DEMO_KEY_DOWN, false, 0x71)},
        {30, General(DEMO_KEY_UP, false, 0xFE)},
        {31, General(DEMO_CHAR, true, 0x20AC)},
        {31, General(DEMO_MOUSE_WHEEL, false, -3)},
        {31, General(DEMO_VALUE, false, 0, {3, 0, 'a', 'b', 'c'})},
        {31, General(DEMO_VALUE)},
        {400, General(DEMO_LOADING_DONE)},
        {401, General(DEMO_MOUSE_LEAVE)},
        {402, General(DEMO_CLOSE)},
    };
    DemoEventStream stream;
    for (const auto& [update, e] : written)
        stream.WriteEvent(update, e);
    DemoFileData demo;
    demo.seed = 99;
    demo.productVersion = "2.1";
    demo.markers = {{"start", 0}, {"boss", 350}};
    demo.updateCount = 410;
    demo.events = stream.buffer;

    DemoFileData read;
    std::string error;
    ASSERT_TRUE(ParseDemoFile(FileBytes(demo), read, error)) << error;
    EXPECT_EQ(read.version, DEMO_VERSION);
    EXPECT_EQ(read.seed, 99u);
    EXPECT_EQ(read.productVersion, "2.1");
    ASSERT_EQ(read.markers.size(), 2u);
    EXPECT_EQ(read.markers[1].name, "boss");
    EXPECT_EQ(read.markers[1].updateNumber, 350);
    EXPECT_EQ(read.updateCount, 410);
    EXPECT_EQ(read.events.GetBitLength(), stream.buffer.GetBitLength());
    EXPECT_EQ(ReadAll(read.events, read.version), written);
}

TEST(DemoFile, LayoutByteForByte)
{
    DemoFileData demo;
    demo.seed = 0x01020304;
    demo.productVersion = "v1";
    demo.updateCount = 0x10;
    DemoEventStream stream;
    stream.WriteEvent(0, General(DEMO_CLOSE)); // 10 bits
    demo.events = stream.buffer;
    const std::string bytes = FileBytes(demo);
    const std::vector<uint8_t> expected = {
        0x78, 0xEF, 0xBE, 0x42, // magic
        3,    0,    0,    0,    // format version
        4,    3,    2,    1,    // seed
        2,    0,    'v',  '1',  // product version
        4,    0,    0,    0,    // marker table length
        0,    0,    0,    0,    // no markers
        0x10, 0,    0,    0,    // update count
        10,   0,    0,    0,    // event bits
        0xC0, 0x00,             // delta 0, class 0, code 6
    };
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(DemoFile, OldFilesStopWhereTheirEventsStop)
{
    // A version 2 file ends with the zero bits padding its last byte; they
    // are no "mouse to (0, 0)" event.
    DemoFileData demo = SmallDemo();
    demo.version = 2;
    // Written field by field: old files keep positions in 12 unsigned bits.
    Buffer old;
    auto header = [&](int delta, int code) {
        old.WriteNumBits(delta, 4);
        old.WriteNumBits(0, 1);
        old.WriteNumBits(code, 5);
    };
    header(0, DEMO_SCREEN_MODE);
    old.WriteByte(0);
    old.WriteByte(75);
    header(5, DEMO_MOUSE_POSITION);
    old.WriteNumBits(4095, 12);
    old.WriteNumBits(7, 12);
    header(1, DEMO_CLOSE);
    ASSERT_NE(old.GetBitLength() % 8, 0);
    demo.events = old;

    DemoFileData read;
    std::string error;
    ASSERT_TRUE(ParseDemoFile(FileBytes(demo), read, error)) << error;
    EXPECT_EQ(read.version, 2u);
    EXPECT_EQ(read.markers.size(), 0u);
    EXPECT_EQ(read.events.GetBitLength(), old.GetBitLength());
    auto events = ReadAll(read.events, read.version);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].second.x, 4095);
    EXPECT_EQ(events[1].second.y, 7);
    EXPECT_EQ(events[2].second.code, DEMO_CLOSE);

    // Padding that is not zero is damage.
    std::string bytes = FileBytes(demo);
    bytes.back() = char(uint8_t(bytes.back()) | 0x80);
    EXPECT_FALSE(ParseDemoFile(bytes, read, error));
    EXPECT_EQ(error.rfind("Invalid demo file.", 0), 0u) << error;

    // Version 1 has no marker table.
    demo.version = 1;
    ASSERT_TRUE(ParseDemoFile(FileBytes(demo), read, error)) << error;
    EXPECT_EQ(read.version, 1u);
    EXPECT_EQ(ReadAll(read.events, 1).size(), 3u);
}

TEST(DemoFile, LongProductVersionsKeepTheRestInPlace)
{
    DemoFileData demo = SmallDemo();
    demo.productVersion = std::string(300, 'x');
    DemoFileData read;
    std::string error;
    ASSERT_TRUE(ParseDemoFile(FileBytes(demo), read, error)) << error;
    EXPECT_EQ(read.productVersion, demo.productVersion);
    EXPECT_EQ(read.seed, demo.seed);
    EXPECT_EQ(read.updateCount, 77);
    EXPECT_EQ(ReadAll(read.events, read.version).size(), 2u);
}

TEST(DemoFile, RefusesUnknownVersionsAndCodes)
{
    std::string error;
    DemoFileData read;
    for (uint32_t version : {0u, 4u, 0x80000000u, 0xFFFFFFFFu}) {
        std::string bytes = FileBytes(SmallDemo());
        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = char(version >> (8 * i));
        EXPECT_FALSE(ParseDemoFile(bytes, read, error));
        EXPECT_NE(error.find("Unsupported demo file version " + std::to_string(version)), std::string::npos)
            << error;
    }
    for (int code : {10, 13, 17, 19, 20, 22, 24, 30}) {
        DemoFileData demo = SmallDemo();
        DemoEventStream stream;
        stream.WriteEvent(0, General(DEMO_KEY_DOWN));
        stream.WriteHeader(4, false, code);
        demo.events = stream.buffer;
        EXPECT_FALSE(ParseDemoFile(FileBytes(demo), read, error));
        EXPECT_NE(error.find("Unknown event code " + std::to_string(code) + " at update 4"), std::string::npos)
            << error;
    }
    EXPECT_FALSE(ParseDemoFile("not a demo", read, error));
    EXPECT_EQ(error, "Invalid demo file.");
}

TEST(DemoFile, CountsAreBoundedByWhatIsLeft)
{
    // A value event that claims four billion bytes.
    DemoFileData demo = SmallDemo();
    DemoEventStream stream;
    stream.WriteHeader(0, false, DEMO_VALUE);
    stream.buffer.WriteNumBits(-1, 32);
    stream.buffer.WriteByte(1);
    demo.events = stream.buffer;
    DemoFileData read;
    std::string error;
    EXPECT_FALSE(ParseDemoFile(FileBytes(demo), read, error));
    EXPECT_NE(error.find("end inside an event"), std::string::npos) << error;

    // A registry read whose size runs past the end.
    stream.Clear();
    stream.WriteEvent(0, General(DEMO_REGISTRY_READ, true, 4, {1, 2, 3, 4}));
    Buffer cut;
    cut.Assign(stream.buffer.GetDataPtr(), size_t(stream.buffer.GetByteSize()), stream.buffer.GetBitLength() - 8);
    demo.events = cut;
    EXPECT_FALSE(ParseDemoFile(FileBytes(demo), read, error));

    // More markers counted than the table holds, and a table longer than
    // the file.
    demo = SmallDemo();
    demo.markers = {{"a", 1}, {"b", 2}};
    std::string bytes = FileBytes(demo);
    const size_t countAt = 4 + 4 + 4 + 2 + demo.productVersion.size() + 4;
    bytes[countAt] = 3;
    EXPECT_FALSE(ParseDemoFile(bytes, read, error));
    EXPECT_EQ(error, "Invalid demo file.");
    bytes[countAt] = 2;
    ASSERT_TRUE(ParseDemoFile(bytes, read, error)) << error;
    bytes[countAt - 1] = char(0x7F);
    EXPECT_FALSE(ParseDemoFile(bytes, read, error));
}

TEST(DemoFile, EveryCutOrFlippedFileIsReadOrRefusedCleanly)
{
    const std::string whole = FileBytes(SmallDemo());
    DemoFileData read;
    std::string error;
    for (size_t length = 0; length < whole.size(); ++length) {
        error.clear();
        EXPECT_FALSE(ParseDemoFile(whole.substr(0, length), read, error)) << length;
        EXPECT_FALSE(error.empty());
    }
    // Version 3 stores its bit count: a byte more or less is damage.
    EXPECT_FALSE(ParseDemoFile(whole + '\0', read, error));
    EXPECT_NE(error.find("not the length it gives"), std::string::npos);
    for (size_t i = 0; i < whole.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string flipped = whole;
            flipped[i] = char(flipped[i] ^ (1 << bit));
            if (ParseDemoFile(flipped, read, error))
                ReadAll(read.events, read.version); // reads to its end
            else
                EXPECT_FALSE(error.empty());
        }
    }
}

TEST(DemoFile, RecordingThatEndsWithoutDataStillEnds)
{
    // The last event has no data: its header is the end of the stream.
    DemoEventStream stream;
    stream.WriteEvent(0, General(DEMO_SCREEN_MODE, true, 100));
    stream.WriteEvent(20, General(DEMO_CLOSE));
    DemoEventStream reader;
    reader.buffer = stream.buffer;
    ASSERT_TRUE(reader.Prepare(0));
    DemoEvent e;
    ASSERT_TRUE(reader.TakePending(e));
    EXPECT_FALSE(reader.Prepare(0)); // the filler at 15 is read, not due yet
    EXPECT_TRUE(reader.Prepare(15));
    ASSERT_TRUE(reader.TakePending(e));
    EXPECT_FALSE(reader.Prepare(15));
    EXPECT_TRUE(reader.buffer.AtEnd()); // the close's header was the last bits
    EXPECT_TRUE(reader.Prepare(20));
    ASSERT_TRUE(reader.TakePending(e));
    EXPECT_EQ(e.code, DEMO_CLOSE);
    EXPECT_FALSE(reader.Prepare(21));
}

} // namespace
} // namespace Quib
