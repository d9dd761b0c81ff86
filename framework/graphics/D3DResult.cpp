#include "framework/graphics/D3DResult.h"

#include "platform/MessageSink.h"
#include "platform/ResultNames.h"

#include <mutex>

namespace Quib {

std::atomic<bool> gD3DRenderTargetFailed{false};

namespace {

struct ErrorRecord {
    std::mutex mutex;
    std::string text;
    SettingsStringWriter writer;
};

ErrorRecord& Record()
{
    static ErrorRecord record;
    return record;
}

} // namespace

bool D3DCheckResult(const char* callName, HRESULT result)
{
    if (Succeeded(result))
        return false;
    const std::string text = std::string(callName ? callName : "") + ": " + HResultToName(result);
    SettingsStringWriter writer;
    {
        ErrorRecord& record = Record();
        std::lock_guard lock(record.mutex);
        record.text = text;
        writer = record.writer;
    }
    OutputDebugString("Direct3D error: " + text + "\n");
    if (writer)
        writer("Test3D\\RuntimeError", text);
    return true;
}

std::string D3DErrorText()
{
    ErrorRecord& record = Record();
    std::lock_guard lock(record.mutex);
    return record.text;
}

void ClearD3DErrorText()
{
    ErrorRecord& record = Record();
    std::lock_guard lock(record.mutex);
    record.text.clear();
}

void SetD3DRuntimeErrorWriter(SettingsStringWriter writer)
{
    ErrorRecord& record = Record();
    std::lock_guard lock(record.mutex);
    record.writer = std::move(writer);
}

} // namespace Quib
