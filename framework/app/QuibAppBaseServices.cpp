// Settings, command line, demo files, dialogs, message boxes and shell
// services in their simplest form: no registry, no demo, boxes through the
// message sink.
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PrintfFormat.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"

#include <algorithm>

namespace Quib {

// ---- Settings and command line

void QuibAppBase::LoadRegistrySettings()
{
    registryLoaded = true;
}

void QuibAppBase::SaveRegistrySettings() {}

bool QuibAppBase::RegistryReadBool(const std::string&, bool&)
{
    return false;
}

bool QuibAppBase::RegistryWriteBool(const std::string&, bool)
{
    return false;
}

void QuibAppBase::RegistryDeleteValue(const std::u16string&) {}

void QuibAppBase::ReadCommandLine()
{
    commandLineRead = true;
}

void QuibAppBase::SplitCommandLine(const std::string&) {}

void QuibAppBase::HandleCmdLineParam(const std::string&, const std::string&) {}

// ---- Demo files

void QuibAppBase::PlaybackDemoEvents() {}

void QuibAppBase::RecordDemoMessage(const WindowMessage&) {}

void QuibAppBase::RecordDemoEvent(int) {}

void QuibAppBase::RecordDemoScreenMode(bool, int) {}

void QuibAppBase::ReadDemoScreenMode() {}

bool QuibAppBase::OpenDemoFile(std::string& error)
{
    error = "Demo file not found: " + demoFileName;
    return false;
}

void QuibAppBase::WriteDemoFile() {}

bool QuibAppBase::DemoFastForward(double, double)
{
    return false;
}

bool QuibAppBase::DemoEventDueNow()
{
    return false;
}

void QuibAppBase::HandlePlaybackKey(int) {}

void QuibAppBase::SetReplayedMousePosition(int x, int y)
{
    replayedMousePosition.store(PackCursorPosition(x, y));
}

// ---- Dialogs

Dialog* QuibAppBase::CreateDialogWidget(int id, bool modal, const std::u16string& header,
                                        const std::u16string& body, const std::u16string& footer, int buttonMode)
{
    return new Dialog(id, modal, header, body, footer, buttonMode);
}

Dialog* QuibAppBase::OpenDialog(int id, bool modal, const std::u16string& header, const std::u16string& body,
                                const std::u16string& footer, int buttonMode)
{
    CloseDialog(id);
    Dialog* dialog = CreateDialogWidget(id, modal, header, body, footer, buttonMode);
    ShowDialog(id, dialog);
    return dialog;
}

Dialog* QuibAppBase::FindDialog(int id)
{
    const auto it = dialogMap.find(id);
    return it == dialogMap.end() ? nullptr : it->second;
}

int QuibAppBase::GetDialogCount()
{
    return int(dialogMap.size());
}

// ---- Message boxes

void QuibAppBase::BeginPopup()
{
    if (!windowed)
        popupShown = true;
}

void QuibAppBase::EndPopup()
{
    if (!windowed)
        popupShown = false;
    ResetUpdateTimer();
    std::fill(std::begin(widgetManager->keyTable), std::end(widgetManager->keyTable), uint8_t(0));
    ctrlDown = false;
    altDown = false;
    if (widgetManager->buttonsOnPressed != 0) {
        widgetManager->ReleaseHeldButtons();
        if (mainWindow)
            mainWindow->SetCapture(false);
    }
}

int QuibAppBase::ShowMessageBoxW(const std::u16string& text, const std::u16string& caption, unsigned type)
{
    BeginPopup();
    const int answer = Quib::ShowMessageBoxW(text, caption, type);
    EndPopup();
    return answer;
}

int QuibAppBase::ShowMessageBoxA(const std::string& text, const std::string& caption, unsigned type)
{
    BeginPopup();
    const int answer = Quib::ShowMessageBox(text, caption, type);
    EndPopup();
    return answer;
}

void QuibAppBase::ShowFatalErrorW(const std::u16string& text)
{
    BeginPopup();
    if (!exiting)
        Quib::ShowMessageBoxW(text, GetStringEntry("FATAL_ERROR", u"FATAL ERROR"), MB_ICONERROR);
    EndPopup();
}

void QuibAppBase::ShowFatalErrorA(const std::string& text)
{
    BeginPopup();
    if (!exiting)
        Quib::ShowMessageBox(text, Utf16ToWindows1252(GetStringEntry("FATAL_ERROR", u"FATAL ERROR")), MB_ICONERROR);
    EndPopup();
}

void QuibAppBase::LogPopupText(const std::string& text)
{
    OutputDebugString(text + "\n");
}

// ---- Shell services and reports

void QuibAppBase::OnOpenUrlFailed(const std::string&)
{
    urlOpening = false;
}

void QuibAppBase::OnOpenUrlDone(const std::string&)
{
    urlOpening = false;
    if (exitAfterUrl)
        RequestExit();
}

bool QuibAppBase::OpenUrl(const std::string&, bool)
{
    return false;
}

std::string QuibAppBase::GetProductVersion(const std::string&)
{
    return {};
}

std::string QuibAppBase::BuildSystemReport()
{
    return {};
}

std::string QuibAppBase::GetExtraReportText()
{
    return {};
}

} // namespace Quib
