#include "framework/files/ProcessLogWin32.h"

#include "framework/files/CSysInfo.h"
#include "platform/Folders.h"

#include <ctime>

namespace Quib {

namespace {

constexpr size_t kMaxMessage = 4095;

std::string Cut(std::string_view text, size_t limit) { return std::string(text.substr(0, limit)); }

std::string ModulePath() { return Cut(ExecutablePath(), 259); }

tm LocalNow(int* milliseconds)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    if (milliseconds)
        *milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return local;
}

// "hh:mm:ss.mmm"
std::string TimeOfDay()
{
    int ms = 0;
    tm t = LocalNow(&ms);
    return StrFormat("%02d:%02d:%02d.%03d", t.tm_hour, t.tm_min, t.tm_sec, ms);
}

// An entry in two forms: for the page, with the texts that came from outside
// escaped, and plain for the debugger.
struct EntryText {
    std::string html;
    std::string plain;
};

EntryText Plain(std::string text) { return {HtmlLogWriter::EscapeHtml(text), std::move(text)}; }
EntryText Markup(std::string text) { return {text, text}; }

const std::string& HtmlOf(const EntryText& t) { return t.html; }
const std::string& PlainOf(const EntryText& t) { return t.plain; }
template <class T>
const T& HtmlOf(const T& v) { return v; }
template <class T>
const T& PlainOf(const T& v) { return v; }

// Formats both forms; string pieces must come as EntryText.
template <class... A>
EntryText Compose(const char* format, const A&... pieces)
{
    static_assert(((!std::is_convertible_v<A, std::string_view>) && ...), "wrap texts in Plain or Markup");
    return {StrFormat(format, HtmlOf(pieces)...), StrFormat(format, PlainOf(pieces)...)};
}

} // namespace

ProcessLog* ProcessLog::GetInstance()
{
    std::lock_guard lock(ProcessLogWin32::InstanceMutex());
    ProcessLog* instance = ProcessLogWin32::Instance();
    if (!instance) {
        instance = new ProcessLogWin32;
        ProcessLogWin32::SetInstance(instance);
    }
    return instance;
}

ProcessLogWin32::~ProcessLogWin32()
{
    {
        std::lock_guard lock(InstanceMutex());
        if (Instance() == this)
            SetInstance(nullptr);
    }
    std::lock_guard lock(Mutex());
    mWriter.Close();
}

void ProcessLogWin32::SetSourcePos(std::string_view sourceFile, std::string_view compiled, std::string_view function,
                                   int line)
{
    std::lock_guard lock(Mutex());
    mModulePath = ModulePath();
    mSourceFile = Cut(sourceFile, 255);
    mCompiled = Cut(compiled, 255);
    mFunction = Cut(function, 2047);
    mLine = line;
}

bool ProcessLogWin32::Open(std::string_view path)
{
    std::lock_guard lock(Mutex());
    mSourceFile.clear();
    mCompiled.clear();
    mFunction.clear();
    mLine = 0;
    if (!mWriter.Open(path))
        return false;
    tm t = LocalNow(nullptr);
    mWriter.WriteEntry(StrFormat("System time: [%02d-%02d-%02d %02d:%02d:%02d]", t.tm_mon + 1, t.tm_mday,
                                 t.tm_year % 100, t.tm_hour, t.tm_min, t.tm_sec),
                       LOG_INFO);
    CSysInfo info;
    info.Gather();
    mWriter.WriteEntry("Go to: <a href='#crash'>Crash dump</a>", LOG_INFO);
    WriteSystemInformation(info);
    mWriter.Flush();
    return true;
}

void ProcessLogWin32::WriteSystemInformation(const CSysInfo& info)
{
    mWriter.WriteEntry("System information", LOG_BLOCK_START);
    const EntryText lines[] = {
        Compose("%s build=%d", Plain(info.windowsName), info.build),
        Compose("WinMajor=%d WinMinor=%d", info.majorVersion, info.minorVersion),
        Compose("CPUs: %d Speed=%d", info.processorCount, info.processorMHz),
        Compose("%s %s %s", Plain(info.processorName), Plain(info.processorVendor), Plain(info.processorIdentifier)),
        Compose("Total size of physical memory=%dM", static_cast<int>(info.totalPhysical >> 20)),
        Compose("Size of physical memory available=%dM", static_cast<int>(info.availablePhysical >> 20)),
        Compose("IE version: %d.%d.%d.%d", info.ieVersion[0], info.ieVersion[1], info.ieVersion[2], info.ieVersion[3]),
        Compose("ADO version: %d.%d.%d.%d", info.adoVersion[0], info.adoVersion[1], info.adoVersion[2],
                info.adoVersion[3]),
        Compose("User=%s (Admin rights=%d)", Plain(info.userName), info.isAdmin ? 1 : 0),
    };
    for (const EntryText& line : lines)
        mWriter.WriteEntry(line.html, LOG_INFO, line.plain);
    mWriter.WriteEntry("", LOG_BLOCK_END);
}

void ProcessLogWin32::LogErrorAtArgs(const char* format, FormatArgs args)
{
    EntryText message = Plain(Cut(StrFormatArgs(format, args), kMaxMessage));
    std::lock_guard lock(Mutex());
    EntryText source = Plain(mSourceFile);
    const EntryText entries[] = {
        Compose("%s(%d) : %s : %s", source, mLine, Markup(TimeOfDay()), message),
        Compose(">>>>>Module: %s", Plain(mModulePath)),
        Compose(">>>>>File: %s(%d)", source, mLine),
        Compose(">>>>>Func: %s", Plain(mFunction)),
        Compose(">>>>>Compiled at: %s", Plain(mCompiled)),
    };
    mWriter.WriteEntry(entries[0].html, LOG_BLOCK_START, entries[0].plain);
    for (size_t i = 1; i < std::size(entries); ++i)
        mWriter.WriteEntry(entries[i].html, LOG_ERROR, entries[i].plain);
    mWriter.WriteEntry("", LOG_BLOCK_END);
    mWriter.Flush();
}

void ProcessLogWin32::LogFlagsArgs(int flags, const char* format, FormatArgs args)
{
    std::string formatted = Cut(StrFormatArgs(format, args), kMaxMessage);
    EntryText text = (flags & LOG_MARKUP) ? Markup(std::move(formatted)) : Plain(std::move(formatted));
    std::lock_guard lock(Mutex());
    if (flags & (LOG_BLOCK_START | LOG_BLOCK_END))
        flags |= LOG_NO_TIME | LOG_NO_SOURCE;
    if (!(flags & LOG_NO_TIME))
        text = Compose("%s : %s", Markup(TimeOfDay()), text);
    if (!(flags & LOG_NO_SOURCE))
        text = Compose("%s(%d) : %s", Plain(mSourceFile), mLine, text);
    mWriter.WriteEntry(text.html, flags, text.plain);
    mWriter.Flush();
}

void ProcessLogWin32::LogInfoArgs(const char* format, FormatArgs args)
{
    std::string text = Cut(StrFormatArgs(format, args), kMaxMessage);
    LogFlags(LOG_INFO, "%s", text);
}

} // namespace Quib
