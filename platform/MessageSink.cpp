#include "platform/MessageSink.h"

#include "platform/TextCodecs.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace Quib {

namespace {
std::atomic<MessageSink*> gSink{nullptr};
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
    static StderrSink stderrSink;
    MessageSink* sink = gSink.load(std::memory_order_acquire);
    return sink ? *sink : stderrSink;
}

void SetMessageSink(MessageSink* sink)
{
    gSink.store(sink, std::memory_order_release);
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
