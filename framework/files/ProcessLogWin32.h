#pragma once
#include "framework/files/HtmlLogWriter.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Singletone.h"

#include <string>

namespace Quib {

class CSysInfo;

// The log written to an HTML file.
class ProcessLogWin32 : public ProcessLog, public Singletone<ProcessLog> {
public:
    ProcessLogWin32() = default;
    ~ProcessLogWin32() override;

    // Opens the file and writes the time and the machine description; a
    // second open is refused.
    bool Open(std::string_view path) override;
    void LogErrorAtArgs(const char* format, FormatArgs args) override;
    void LogFlagsArgs(int flags, const char* format, FormatArgs args) override;
    void LogInfoArgs(const char* format, FormatArgs args) override;
    void SetSourcePos(std::string_view sourceFile, std::string_view compiled, std::string_view function,
                      int line) override;

    const HtmlLogWriter& Writer() const { return mWriter; }

private:
    friend class ProcessLog;

    void WriteSystemInformation(const CSysInfo& info);

    std::string mModulePath;
    std::string mSourceFile;
    std::string mCompiled;
    std::string mFunction;
    int mLine = 0;
    HtmlLogWriter mWriter;
};

} // namespace Quib
