#include "framework/files/HtmlLogWriter.h"
#include "framework/files/ProcessLogWin32.h"
#include "framework/files/Singletone.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <thread>

namespace Quib {
namespace {

using namespace Testing;

const std::string kHead =
    "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
    "<meta http-equiv=Content-Language content=ru><style>\r\nbody {font-family:verdana;}\r\n"
    "hr { size:1px;color:000000 }\r\n"
    "div.error { border-width:0 0 0 0px;border-style:solid;border-color:FF0000;color:AA0000;background:#CCCCCC;"
    "font-weight:bold;padding-bottom:0px; }\r\n"
    "span.info { color:000000; }\r\n"
    "div.block { border-width:1px;border-style:solid;border-color:000000;padding:3px;margin-bottom:5px; }\r\n"
    " div.blockhead { border-width:0px;padding:3px; font-weight:bold ;color:000000;background:#DDDDDD;}\r\n "
    "</style></head><body>";

// The bytes one entry adds to the file.
std::string EntryBytes(std::string_view text, int flags)
{
    TempDir dir;
    HtmlLogWriter writer;
    EXPECT_TRUE(writer.Open(dir / "log.html"));
    writer.WriteEntry(text, flags);
    writer.Close();
    std::string all = TempDir::ReadFile(dir / "log.html");
    EXPECT_EQ(all.substr(0, kHead.size()), kHead);
    EXPECT_EQ(all.substr(all.size() - 7), "</body>");
    return all.substr(kHead.size(), all.size() - kHead.size() - 7);
}

TEST(HtmlLogWriter, EntryMarkupForEachFlag)
{
    CapturingSink sink;
    const std::string font = "<font face=\"Verdana\" size=\"2\" color=\"#000000\">";
    struct {
        int flags;
        const char* text;
        std::string want;
    } cases[] = {
        {0x4000, "abc", font + "<span class=\"info\">abc</span>\r\n<br></font>"},
        {0x2001 | 0x100, "x",
         "<font face=\"Verdana\" size=\"2\" color=\"#ff0000\"><div class=\"error\"><b>x</b></div>\r\n</font>"},
        {0, "t", font + "t<br></font>"},
        {0x1 | 0x2 | 0x4 | 0x20, "t", "<font face=\"Verdana\" size=\"2\" color=\"#7fff7f\">t<br></font>"},
        {0x10 | 0x800, "t", "<font face=\"fixedsys\" size=\"2\" color=\"#0000ff\">t<br></font>"},
        {0x40, "t", "<font face=\"Verdana\" size=\"3\" color=\"#000000\">t<br></font>"},
        {0x80, "t", "<font face=\"Verdana\" size=\"1\" color=\"#000000\">t<br></font>"},
        {0x40 | 0x80, "t", font + "t<br></font>"},
        {0x100 | 0x200 | 0x400, "t", font + "<b><i><u>t</b></i></u><br></font>"},
        {0x8000, "head", font + "<div class=\"block\"><div class=\"blockhead\">head</div>\r\n</font>"},
        {0x10000, "", font + "</div>\r\n</font>"},
        {0x4000 | 0x1000, "t", font + "<span class=\"info\">t</font>"},
        {0x1000, "t", font + "t</font>"},
        {0x2000 | 0x4000 | 0x8000, "t", font + "<div class=\"error\">t</div>\r\n</font>"},
        {0x4000, "line\n", font + "<span class=\"info\">line</span>\r\n<br></font>"},
        {0x4000, "a\nb", font + "<span class=\"info\">a\r\nb</span>\r\n<br></font>"},
        {0, "<a name='crash'>", font + "<a name='crash'><br></font>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntryBytes(c.text, c.flags), c.want) << std::hex << c.flags;
}

TEST(HtmlLogWriter, LongTextIsCutAndGoesToTheDebugger)
{
    CapturingSink sink;
    std::string text(1500, 'x');
    std::string bytes = EntryBytes(text, 0);
    EXPECT_NE(bytes.find(std::string(1023, 'x') + "<br>"), std::string::npos);
    EXPECT_EQ(bytes.find(std::string(1024, 'x')), std::string::npos);
    ASSERT_EQ(sink.debugLines.size(), 1u);
    EXPECT_EQ(sink.debugLines[0], std::string(1022, 'x') + "\n");
    sink.debugLines.clear();
    EntryBytes("", 0x10000);
    EXPECT_TRUE(sink.debugLines.empty());
    // A cut never leaves half an escape.
    std::string escaped = std::string(1020, 'y') + "&amp;z";
    bytes = EntryBytes(escaped, 0);
    EXPECT_NE(bytes.find(std::string(1020, 'y') + "<br>"), std::string::npos);
}

TEST(HtmlLogWriter, SecondOpenIsRefusedAndClosedWriterDropsEntries)
{
    TempDir dir;
    HtmlLogWriter writer;
    writer.WriteEntry("dropped", 0);
    ASSERT_TRUE(writer.Open(dir / "log.html"));
    EXPECT_FALSE(writer.Open(dir / "other.html"));
    writer.Close();
    EXPECT_EQ(TempDir::ReadFile(dir / "log.html"), kHead + "</body>");
}

TEST(HtmlLogWriter, UnwritableFolderFallsBackToTheWorkingDirectory)
{
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    HtmlLogWriter writer;
    ASSERT_TRUE(writer.Open(dir.Path() + "\\no\\such\\folder\\Log.html"));
    EXPECT_EQ(writer.Path(), dir / "Log.html");
}

class ProcessLogTest : public ::testing::Test {
protected:
    std::string ReadBody()
    {
        log.reset();
        std::string all = TempDir::ReadFile(dir / "log.html");
        EXPECT_EQ(all.substr(0, kHead.size()), kHead);
        return all.substr(kHead.size());
    }
    CapturingSink sink;
    TempDir dir;
    std::unique_ptr<ProcessLogWin32> log = std::make_unique<ProcessLogWin32>();
};

TEST_F(ProcessLogTest, OpenDescribesTheMachine)
{
    log->LogInfo("before open");
    ASSERT_TRUE(log->Open(dir / "log.html"));
    EXPECT_FALSE(log->Open(dir / "log.html"));
    std::string body = ReadBody();
    EXPECT_EQ(body.find("before open"), std::string::npos);
    const std::string info = "<font face=\"Verdana\" size=\"2\" color=\"#000000\"><span class=\"info\">";
    const std::string end = "</span>\r\n<br></font>";
    std::string pattern = info + R"(System time: \[\d\d-\d\d-\d\d \d\d:\d\d:\d\d\])" + end + info +
                          "Go to: <a href='#crash'>Crash dump</a>" + end +
                          "<font face=\"Verdana\" size=\"2\" color=\"#000000\"><div class=\"block\"><div "
                          "class=\"blockhead\">System information</div>\r\n</font>" +
                          info + R"(.* build=\d+)" + end + info + R"(WinMajor=\d+ WinMinor=\d+)" + end + info +
                          R"(CPUs: [1-9]\d* Speed=\d+)" + end + info + R"(.*)" + end + info +
                          R"(Total size of physical memory=[1-9]\d*M)" + end + info +
                          R"(Size of physical memory available=\d+M)" + end + info + R"(IE version: 0\.0\.0\.0)" +
                          end + info + R"(ADO version: 0\.0\.0\.0)" + end + info + R"(User=.* \(Admin rights=[01]\))" +
                          end + "<font face=\"Verdana\" size=\"2\" color=\"#000000\"></div>\r\n</font></body>";
    EXPECT_TRUE(std::regex_match(body, std::regex(pattern))) << body;
}

TEST_F(ProcessLogTest, ErrorBlockNamesTheSourcePosition)
{
    ASSERT_TRUE(log->Open(dir / "log.html"));
    log->SetSourcePos("src/Thing.cpp", "Dec 10 2026 12:00:00", "void Thing<int>::Load()", 42);
    log->LogErrorAt("cannot read %s (%d)", "a<b>.png", 7);
    std::string body = ReadBody();
    std::string block = body.substr(body.find("<div class=\"block\"><div class=\"blockhead\">src/Thing.cpp"));
    const std::string font = "<font face=\"Verdana\" size=\"2\" color=\"#000000\">";
    std::string pattern =
        R"(<div class="block"><div class="blockhead">src/Thing\.cpp\(42\) : \d\d:\d\d:\d\d\.\d\d\d : )"
        R"(cannot read a&lt;b&gt;\.png \(7\)</div>\r\n</font>)" +
        font + R"(<div class="error">>>>>>Module: /.*</div>\r\n</font>)" + font +
        R"(<div class="error">>>>>>File: src/Thing\.cpp\(42\)</div>\r\n</font>)" + font +
        R"(<div class="error">>>>>>Func: void Thing&lt;int&gt;::Load\(\)</div>\r\n</font>)" + font +
        R"(<div class="error">>>>>>Compiled at: Dec 10 2026 12:00:00</div>\r\n</font>)" + font +
        R"(</div>\r\n</font></body>)";
    EXPECT_TRUE(std::regex_match(block, std::regex(pattern))) << block;
}

TEST_F(ProcessLogTest, FlagsChooseThePrefixes)
{
    ASSERT_TRUE(log->Open(dir / "log.html"));
    log->SetSourcePos("f.cpp", "", "", 7);
    log->LogFlags(0, "plain");
    log->LogFlags(LOG_NO_TIME, "no time");
    log->LogFlags(LOG_NO_SOURCE, "no source");
    log->LogFlags(LOG_NO_TIME | LOG_NO_SOURCE, "bare");
    log->LogFlags(LOG_BLOCK_START, "block");
    log->LogInfo("%s", "100%sure %d");
    log->LogFlags(LOG_NO_TIME | LOG_NO_SOURCE, "a<b> & c");
    log->LogFlags(LOG_NO_TIME | LOG_NO_SOURCE | LOG_MARKUP, "<a name='crash'></a>");
    std::string body = ReadBody();
    const char* patterns[] = {
        R"(>f\.cpp\(7\) : \d\d:\d\d:\d\d\.\d\d\d : plain<br>)",
        R"(>f\.cpp\(7\) : no time<br>)",
        R"(>\d\d:\d\d:\d\d\.\d\d\d : no source<br>)",
        R"(>bare<br>)",
        R"(<div class="blockhead">block</div>)",
        R"(<span class="info">f\.cpp\(7\) : \d\d:\d\d:\d\d\.\d\d\d : 100%sure %d</span>)",
        R"(>a&lt;b&gt; &amp; c<br>)",
        R"(><a name='crash'></a><br>)",
    };
    for (const char* p : patterns)
        EXPECT_TRUE(std::regex_search(body, std::regex(p))) << p;
    // The debugger gets the text unescaped.
    EXPECT_NE(std::find(sink.debugLines.begin(), sink.debugLines.end(), "a<b> & c\n"), sink.debugLines.end());
}

TEST_F(ProcessLogTest, EntriesFromTwoThreadsStayWhole)
{
    ASSERT_TRUE(log->Open(dir / "log.html"));
    auto writer = [this](char c) {
        for (int i = 0; i < 200; ++i)
            log->LogFlags(LOG_NO_TIME | LOG_NO_SOURCE, "%s", std::string(300, c));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    std::string body = ReadBody();
    std::regex entry("<font face=\"Verdana\" size=\"2\" color=\"#000000\">(a{300}|b{300})<br></font>");
    auto begin = std::sregex_iterator(body.begin(), body.end(), entry);
    EXPECT_EQ(std::distance(begin, std::sregex_iterator()), 400);
}

TEST(ProcessLog, OneInstanceCreatedOnFirstUse)
{
    ProcessLog* log = ProcessLog::GetInstance();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(ProcessLog::GetInstance(), log);
    log->LogInfo("not open: dropped");
}

TEST(Singletone, DestroyedNewestFirst)
{
    static std::vector<int> order;
    struct Item : SingletoneBase {
        explicit Item(int n) : n(n) {}
        ~Item() override { order.push_back(n); }
        int n;
    };
    // The process log may already be listed; take it out of this test.
    delete ProcessLog::GetInstance();
    new Item(1);
    new Item(2);
    new Item(3);
    SingletoneBase::DestroyAll();
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
    Item onStack(4); // leaves the list by itself
}

} // namespace
} // namespace Quib
