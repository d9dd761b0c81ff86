#include "framework/files/HtmlLogWriter.h"

#include "framework/files/PrintfFormat.h"
#include "platform/FileNames.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"

namespace Quib {

namespace {

constexpr size_t kMaxEntry = 1023;

const char* const kHead[] = {
    "<html>",
    "<head>",
    "<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">",
    "<meta http-equiv=Content-Language content=ru>",
    "<style>\nbody {font-family:verdana;}\n",
    "hr { size:1px;color:000000 }\n",
    "div.error { border-width:0 0 0 0px;border-style:solid;border-color:FF0000;color:AA0000;background:#CCCCCC;"
    "font-weight:bold;padding-bottom:0px; }\n",
    "span.info { color:000000; }\n",
    "div.block { border-width:1px;border-style:solid;border-color:000000;padding:3px;margin-bottom:5px; }\n"
    " div.blockhead { border-width:0px;padding:3px; font-weight:bold ;color:000000;background:#DDDDDD;}\n ",
    "</style>",
    "</head>",
    "<body>",
};

std::string FileNamePart(std::string_view path)
{
    size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

HtmlLogWriter::~HtmlLogWriter() { Close(); }

bool HtmlLogWriter::Open(std::string_view path)
{
    if (mOpen)
        return false;
    std::string name = FileNamePart(path);
    const std::string tries[] = {std::string(path), name, DocumentsFolder() + "\\" + name};
    for (const std::string& attempt : tries) {
        if (attempt.empty() || (attempt != path && name.empty()))
            continue;
        mFile = OpenFile(attempt, "w");
        if (mFile) {
            mPath = ResolveExistingPath(attempt);
            break;
        }
    }
    if (!mFile)
        return false;
    mOpen = true;
    for (const char* part : kHead)
        Put(part);
    return true;
}

void HtmlLogWriter::Close()
{
    if (!mFile)
        return;
    Put("</body>");
    std::fclose(mFile);
    mFile = nullptr;
    mOpen = false;
}

void HtmlLogWriter::Flush()
{
    if (mFile)
        std::fflush(mFile);
}

std::string HtmlLogWriter::EscapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c; break;
        }
    }
    return out;
}

void HtmlLogWriter::Put(std::string_view text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::fwrite(text.data() + start, 1, end - start, mFile);
        if (lf == std::string_view::npos)
            break;
        std::fwrite("\r\n", 1, 2, mFile);
        start = lf + 1;
    }
}

namespace {

std::string_view CutEntry(std::string_view text)
{
    if (text.size() > kMaxEntry) {
        text = text.substr(0, kMaxEntry);
        size_t amp = text.rfind('&');
        if (amp != std::string_view::npos && amp + 6 > text.size() && text.find(';', amp) == std::string_view::npos)
            text = text.substr(0, amp);
    }
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    return text;
}

} // namespace

void HtmlLogWriter::WriteEntry(std::string_view text, int flags) { WriteEntry(text, flags, text); }

void HtmlLogWriter::WriteEntry(std::string_view text, int flags, std::string_view debugText)
{
    if (!mOpen)
        return;
    text = CutEntry(text);
    debugText = CutEntry(debugText);

    int red = (flags & LOG_HALF_RED) ? 127 : (flags & LOG_RED) ? 255 : 0;
    int green = (flags & LOG_HALF_GREEN) ? 127 : (flags & LOG_GREEN) ? 255 : 0;
    int blue = (flags & LOG_HALF_BLUE) ? 127 : (flags & LOG_BLUE) ? 255 : 0;
    int size = ((flags & LOG_LARGER) ? 2 : 1) + ((flags & LOG_SMALLER) ? 0 : 1);
    Put(StrFormat("<font face=\"%s\" size=\"%d\" color=\"#%.2x%.2x%.2x\">",
                  (flags & LOG_FIXED_FONT) ? "fixedsys" : "Verdana", size, red, green, blue));

    enum class Kind { Plain, Error, Info, BlockStart, BlockEnd } kind = Kind::Plain;
    if (flags & LOG_ERROR)
        kind = Kind::Error;
    else if (flags & LOG_INFO)
        kind = Kind::Info;
    else if (flags & LOG_BLOCK_START)
        kind = Kind::BlockStart;
    else if (flags & LOG_BLOCK_END)
        kind = Kind::BlockEnd;

    switch (kind) {
    case Kind::Error: Put("<div class=\"error\">"); break;
    case Kind::Info: Put("<span class=\"info\">"); break;
    case Kind::BlockStart: Put("<div class=\"block\"><div class=\"blockhead\">"); break;
    case Kind::BlockEnd: Put("</div>\n"); break;
    case Kind::Plain: break;
    }
    if (flags & LOG_BOLD)
        Put("<b>");
    if (flags & LOG_ITALIC)
        Put("<i>");
    if (flags & LOG_UNDERLINE)
        Put("<u>");
    Put(text);
    if (flags & LOG_BOLD)
        Put("</b>");
    if (flags & LOG_ITALIC)
        Put("</i>");
    if (flags & LOG_UNDERLINE)
        Put("</u>");
    if (!(flags & LOG_NO_CLOSE)) {
        switch (kind) {
        case Kind::Error: Put("</div>\n"); break;
        case Kind::Info: Put("</span>\n<br>"); break;
        case Kind::BlockStart: Put("</div>\n"); break;
        case Kind::BlockEnd: break;
        case Kind::Plain: Put("<br>"); break;
        }
    }
    Put("</font>");

    if (!debugText.empty()) {
        std::string debug(debugText.substr(0, kMaxEntry - 1));
        debug += '\n';
        OutputDebugString(debug);
    }
}

} // namespace Quib
