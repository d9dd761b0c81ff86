#include "platform/MessageSink.h"

#include "platform/ServiceSlot.h"
#include "platform/TextCodecs.h"

#include <cstdio>
#include <mutex>

namespace Quib {

namespace {
constinit ServiceSlot<MessageSink, StderrSink> gSink;
std::mutex gStderrMutex;
} // namespace

int DefaultAnswer(unsigned style)
{
    return (style & kMessageBoxButtonsMask) == MB_YESNO ? IDYES : IDOK;
}

int MessageSink::ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style)
{
    return ShowMessageBox(Utf16ToWindows1252(text), Utf16ToWindows1252(caption), style);
}

void StderrSink::DebugOutput(std::string_view text)
{
    std::lock_guard lock(gStderrMutex);
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
}

int StderrSink::ShowMessageBox(std::string_view text, std::string_view caption, unsigned style)
{
    std::lock_guard lock(gStderrMutex);
    std::fprintf(stderr, "[%.*s] %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
    return DefaultAnswer(style);
}

MessageSink& GetMessageSink()
{
    return gSink.Get();
}

void SetMessageSink(MessageSink* sink)
{
    gSink.Set(sink);
}

void OutputDebugString(std::string_view text)
{
    GetMessageSink().DebugOutput(text);
}

int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style)
{
    return GetMessageSink().ShowMessageBox(text, caption, style);
}

int ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style)
{
    return GetMessageSink().ShowMessageBoxW(text, caption, style);
}

} // namespace Quib
