#include "platform/headless/CapturingSink.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Last: it defines the macro M.
#include "framework/files/ModVal.h"

namespace Quib {
namespace {

using namespace Testing;

// Defined at the end of this file, where #line makes them come from
// modval-test/Tuned.cpp.
int TunedInt();
double TunedDouble();
const char* TunedText();
int TunedPair(int which);
int TunedUnused();
int TunedFirstColumn();
float TunedFloat();

// The lines of modval-test/Tuned.cpp as compiled below.
const char kTunedSource[] = R"(int TunedInt() { return M(5); }
double TunedDouble() { return M(1.5); }
const char* TunedText() { return M("plain"); }
int TunedPair(int which) { return which == 0 ? M(10) : M(20); }
int TunedUnused() { return M(99); }
int TunedFirstColumn() { return
M(3); }
float TunedFloat() { return M(2.5f); }
)";

// The same lines after an edit.
const char kTunedEdited[] = "int TunedInt() { return /* M(1) */ M(6); } // M(2)\r\n"
                            "double TunedDouble() { return M(7.25); }\r\n"
                            "const char* TunedText() { return M(\"say \\\"M(1)\\\"\\tnow\"); }\r\n"
                            "int TunedPair(int which) { return which == 0 ? M(11) : M(0x16); }\r\n"
                            "int TunedUnused() { return XM(1) + M(98); }\r\n"
                            "int TunedFirstColumn() { return\r\n"
                            "M(-4); }\r\n"
                            "float TunedFloat() { char q = '\"'; return M(-0.5f); }\r\n";

// Where the tuned source lives for the whole test program.
const TempDir& SourceFolder()
{
    static TempDir dir;
    return dir;
}

void WriteTuned(const std::string& text, int64_t secondsAhead)
{
    std::string path = SourceFolder().WriteFile("modval-test/Tuned.cpp", text);
    auto when = std::filesystem::file_time_type::clock::now() + std::chrono::seconds(secondsAhead);
    std::filesystem::last_write_time(path, when);
}

TEST(ModVal, ParseLocation)
{
    struct Case {
        const char* text;
        bool ok;
        const char* file;
        int line, number;
    };
    const Case cases[] = {
        {"src\\screens\\board120,0", true, "src\\screens\\board", 120, 0},
        {"/home/dev/a.cpp7,12", true, "/home/dev/a.cpp", 7, 12},
        {"f1,2,3", true, "f1,", 2, 3},
        {"120,0", false, "", 0, 0},
        {"file.cpp12", false, "", 0, 0},
        {"file.cpp,1", false, "", 0, 0},
        {"file.cpp1,", false, "", 0, 0},
        {"", false, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string file;
        int line = -1, number = -1;
        EXPECT_EQ(ModVal::ParseLocation(c.text, file, line, number), c.ok);
        if (c.ok) {
            EXPECT_EQ(file, c.file);
            EXPECT_EQ(line, c.line);
            EXPECT_EQ(number, c.number);
        }
    }
}

TEST(ModVal, Literals)
{
    ModVal::NamedConstants()["kWidth"] = 640;
    struct Case {
        const char* text;
        int kind; // 0 none, 1 quoted, 2 integer, 3 decimal
        std::string s;
        int32_t i;
        double d;
    };
    const Case cases[] = {
        {"0x1F)", 2, "", 31, 0},
        {"0Xff)", 2, "", 255, 0},
        {"-12)", 2, "", -12, 0},
        {"-0x10)", 2, "", -16, 0},
        {"0xFFFFFFFF)", 2, "", -1, 0},
        {"kWidth)", 2, "", 640, 0},
        {"5)", 2, "", 5, 0},
        {"-2.5f)", 3, "", 0, -2.5},
        {"5.0)", 3, "", 0, 5.0},
        {".25)", 3, "", 0, 0.25},
        {"\"a\\\"b\\\\c\\nd\\te\")", 1, "a\"b\\c\nd\te", 0, 0},
        {"\"x\"  , more", 1, "x", 0, 0},
        {" 5)", 0, "", 0, 0},
        {"5 )", 0, "", 0, 0},
        {"1e5)", 0, "", 0, 0},
        {"0x)", 0, "", 0, 0},
        {"unknown)", 0, "", 0, 0},
        {"\"bad \\q\")", 0, "", 0, 0},
        {"\"open", 0, "", 0, 0},
        {"-)", 0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string s;
        int32_t i = 0;
        double d = 0;
        int kind = ModVal::ParseQuoted(c.text, s) ? 1 : ModVal::ParseInteger(c.text, i) ? 2 : ModVal::ParseDouble(c.text, d) ? 3 : 0;
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(s, c.s);
        EXPECT_EQ(i, c.i);
        EXPECT_DOUBLE_EQ(d, c.d);
    }
}

TEST(ModVal, RegisterBlocksFindsMarkersInARange)
{
    auto block = [](const std::string& location) {
        std::string b(1 + sizeof(void*), '\0');
        b[0] = 1;
        return b + "QUIBMODVAL" + location + std::string(1, '\0');
    };
    std::string memory = "junk" + block("src\\screens\\board120,0") + "QUIBMODVA" + block("x.cpp9,40") +
                         block("x.cpp9,31") + block("no location") + "zz" + block("cut.cpp1,0");
    memory.pop_back(); // the last location runs to the end of the range
    auto* start = reinterpret_cast<uint8_t*>(memory.data());
    EXPECT_TRUE(ModVal::RegisterBlocks(start, memory.size()));

    size_t first = memory.find("QUIBMODVALsrc") - 1 - sizeof(void*);
    EXPECT_EQ(ModVal::RegisteredBlock("src\\screens\\board", 120, 0), start + first);
    // Two constants of one line are told apart by their order.
    size_t later = memory.find("QUIBMODVALx.cpp9,40") - 1 - sizeof(void*);
    size_t earlier = memory.find("QUIBMODVALx.cpp9,31") - 1 - sizeof(void*);
    EXPECT_EQ(ModVal::RegisteredBlock("x.cpp", 9, 0), start + earlier);
    EXPECT_EQ(ModVal::RegisteredBlock("x.cpp", 9, 1), start + later);
    EXPECT_EQ(ModVal::RegisteredBlock("cut.cpp", 1, 0), nullptr);

    std::string nothing = "QUIBMODVAL" + std::string("plain text");
    EXPECT_FALSE(ModVal::RegisterBlocks(reinterpret_cast<uint8_t*>(nothing.data()), nothing.size()));
    EXPECT_FALSE(ModVal::RegisterBlocks(start, 3));
}

TEST(ModVal, ReloadPatchesEditedConstants)
{
    CapturingSink sink;
    ScopedWorkingDirectory cwd(SourceFolder().Path());

    // Compiled values until a reload.
    EXPECT_EQ(TunedInt(), 5);
    EXPECT_EQ(TunedDouble(), 1.5);
    EXPECT_STREQ(TunedText(), "plain");
    EXPECT_EQ(TunedPair(0), 10);
    EXPECT_EQ(TunedPair(1), 20);
    EXPECT_EQ(TunedFirstColumn(), 3);
    EXPECT_EQ(TunedFloat(), 2.5f);

    WriteTuned(kTunedSource, 100000);
    ASSERT_TRUE(ModVal::Reload()) << (sink.boxes.empty() ? "" : sink.boxes.back().text);
    EXPECT_EQ(TunedPair(0), 10);
    EXPECT_EQ(TunedPair(1), 20);
    EXPECT_EQ(TunedUnused(), 99);

    WriteTuned(kTunedEdited, 200000);
    ASSERT_TRUE(ModVal::Reload()) << (sink.boxes.empty() ? "" : sink.boxes.back().text);
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_EQ(TunedInt(), 6);
    EXPECT_EQ(TunedDouble(), 7.25);
    EXPECT_STREQ(TunedText(), "say \"M(1)\"\tnow");
    EXPECT_EQ(TunedPair(0), 11);
    EXPECT_EQ(TunedPair(1), 22);
    EXPECT_EQ(TunedUnused(), 98);
    EXPECT_EQ(TunedFirstColumn(), -4);
    EXPECT_EQ(TunedFloat(), -0.5f);

    // No newer file: a warning, yet the values are applied again.
    WriteTuned(std::string(kTunedEdited).replace(std::string(kTunedEdited).find("M(6)"), 4, "M(8)"), 200000);
    EXPECT_FALSE(ModVal::Reload());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "MODVAL WARNING!");
    EXPECT_EQ(sink.boxes[0].style, unsigned(MB_ICONWARNING));
    EXPECT_EQ(sink.boxes[0].text.rfind("WARNING: No file changes detected.  Files parsed: \r\n  ", 0), 0u);
    EXPECT_NE(sink.boxes[0].text.find("modval-test/Tuned.cpp"), std::string::npos);
    EXPECT_EQ(TunedInt(), 8);

    // A whole number read for a floating constant gives 0.
    WriteTuned(std::string(kTunedEdited).replace(std::string(kTunedEdited).find("M(7.25)"), 7, "M(7)"), 300000);
    EXPECT_TRUE(ModVal::Reload());
    EXPECT_EQ(TunedDouble(), 0.0);

    struct ErrorCase {
        const char* name;
        std::string text;
        const char* box;
    };
    const ErrorCase errors[] = {
        {"blank before the value", "int TunedInt() { return M( 5); }\n",
         "ERROR in modval-test/Tuned.cpp on line 1.  Parsing Error."},
        {"string without its end", "\n\nconst char* s = \"open;\n", "ERROR in modval-test/Tuned.cpp on line 3: Error parsing quotes"},
        {"comment without its end", "\n/* open\n\n", "ERROR in modval-test/Tuned.cpp on line 2: Error parsing c comment"},
        {"line comment continued at the end", "\n// open \\\n", "ERROR in modval-test/Tuned.cpp on line 2: Error parsing c++ comment"},
    };
    int64_t ahead = 400000;
    for (const ErrorCase& c : errors) {
        SCOPED_TRACE(c.name);
        sink.boxes.clear();
        WriteTuned(c.text, ahead += 1000);
        EXPECT_FALSE(ModVal::Reload());
        ASSERT_EQ(sink.boxes.size(), 1u);
        EXPECT_EQ(sink.boxes[0].text, c.box);
        EXPECT_EQ(sink.boxes[0].caption, "MODVAL ERROR");
        EXPECT_EQ(sink.boxes[0].style, unsigned(MB_ICONERROR));
    }
    // A string continued with a backslash is fine.
    sink.boxes.clear();
    WriteTuned("const char* s = \"a\\\nb\"; int x = 1;\n", ahead += 1000);
    EXPECT_TRUE(ModVal::Reload());
    EXPECT_TRUE(sink.boxes.empty());

    std::filesystem::remove(SourceFolder() / "modval-test/Tuned.cpp");
    EXPECT_FALSE(ModVal::Reload());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "ERROR: Unable to open modval-test/Tuned.cpp for reparsing.");
    EXPECT_EQ(sink.boxes[0].caption, "MODVAL ERROR!");
    WriteTuned(kTunedEdited, ahead += 1000);
}

} // namespace
} // namespace Quib

// Kept last: from here on the compiler sees modval-test/Tuned.cpp, whose
// lines must match kTunedSource.
namespace Quib {
namespace {
#line 1 "modval-test/Tuned.cpp"
int TunedInt() { return M(5); }
double TunedDouble() { return M(1.5); }
const char* TunedText() { return M("plain"); }
int TunedPair(int which) { return which == 0 ? M(10) : M(20); }
int TunedUnused() { return M(99); }
int TunedFirstColumn() { return
M(3); }
float TunedFloat() { return M(2.5f); }
} // namespace
} // namespace Quib
