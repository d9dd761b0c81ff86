#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace Quib {

// Entry flags of the HTML log.
enum : int {
    LOG_RED = 0x1,
    LOG_HALF_RED = 0x2,
    LOG_GREEN = 0x4,
    LOG_HALF_GREEN = 0x8,
    LOG_BLUE = 0x10,
    LOG_HALF_BLUE = 0x20,
    LOG_LARGER = 0x40,
    LOG_SMALLER = 0x80,
    LOG_BOLD = 0x100,
    LOG_ITALIC = 0x200,
    LOG_UNDERLINE = 0x400,
    LOG_FIXED_FONT = 0x800,
    LOG_NO_CLOSE = 0x1000,
    LOG_ERROR = 0x2000,
    LOG_INFO = 0x4000,
    LOG_BLOCK_START = 0x8000,
    LOG_BLOCK_END = 0x10000,
    LOG_NO_TIME = 0x20000,
    LOG_NO_SOURCE = 0x40000,
    // (ProcessLogWin32::LogFlags) the message is markup and is written as
    // it stands; other messages have '&', '<' and '>' escaped.
    LOG_MARKUP = 0x80000,
};

// Writes log.html: one entry per call, lines ending in CR LF.
class HtmlLogWriter {
public:
    HtmlLogWriter() = default;
    HtmlLogWriter(const HtmlLogWriter&) = delete;
    HtmlLogWriter& operator=(const HtmlLogWriter&) = delete;
    ~HtmlLogWriter();

    // Creates the file and writes the page head. When the path cannot be
    // created, tries its file name in the working directory, then in the
    // documents folder. False when already open or nothing could be created.
    bool Open(std::string_view path);
    // Writes "</body>" and closes the file.
    void Close();
    bool IsOpen() const { return mOpen; }
    // The path of the file actually created.
    const std::string& Path() const { return mPath; }

    // One entry (nothing while closed); the text is written as it stands,
    // cut to 1023 characters (never inside an escape such as "&amp;") and
    // without one final line feed. A non-empty text also goes to the
    // debugger output, as `debugText` when that is given.
    void WriteEntry(std::string_view text, int flags);
    void WriteEntry(std::string_view text, int flags, std::string_view debugText);
    void Flush();

    static std::string EscapeHtml(std::string_view text);

private:
    // Writes text, every "\n" as CR LF.
    void Put(std::string_view text);

    FILE* mFile = nullptr;
    bool mOpen = false;
    std::string mPath;
};

} // namespace Quib
