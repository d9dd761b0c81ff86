// In-game dialogs, message boxes, fatal errors, the screen-saver log and the
// shell services (web pages, clipboard, product version).
#include "framework/app/DeveloperReports.h"
#include "framework/app/QuibAppBase.h"

#include "framework/files/PrintfFormat.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/MessageSink.h"
#include "platform/TextCodecs.h"
#include "platform/UrlOpener.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"

#include <atomic>
#include <cstring>
#include <ctime>

namespace Quib {

namespace {

// The first entry of a run empties the screen-saver log.
std::atomic<bool> gFirstPopupLogEntry{true};

// The time of day as the C runtime writes it: "HH:MM:SS".
std::string TimeOfDayText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return StrFormat("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace

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

void QuibAppBase::BeginPopup()
{
    // In full screen the box needs the desktop to be seen; input goes to
    // the box, not into the queue.
    if (!windowed)
        popupShown = true;
}

void QuibAppBase::EndPopup()
{
    if (!windowed)
        popupShown = false;
    ResetUpdateTimer();
    // Keys and buttons let go while the box was open never came here.
    std::memset(widgetManager->keyTable, 0, sizeof widgetManager->keyTable);
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
    if (screenSaverMode) {
        LogPopupText(Utf16ToWindows1252(text));
        return IDOK;
    }
    BeginPopup();
    const int result = Quib::ShowMessageBoxW(text, caption, type);
    EndPopup();
    return result;
}

int QuibAppBase::ShowMessageBoxA(const std::string& text, const std::string& caption, unsigned type)
{
    if (screenSaverMode) {
        LogPopupText(text);
        return IDOK;
    }
    BeginPopup();
    const int result = Quib::ShowMessageBox(text, caption, type);
    EndPopup();
    return result;
}

void QuibAppBase::ShowFatalErrorW(const std::u16string& text)
{
    if (screenSaverMode) {
        LogPopupText(Utf16ToWindows1252(text));
        return;
    }
    BeginPopup();
    if (!exiting)
        Quib::ShowMessageBoxW(text, GetStringEntry("FATAL_ERROR", u"FATAL ERROR"), MB_ICONERROR);
    EndPopup();
}

void QuibAppBase::ShowFatalErrorA(const std::string& text)
{
    if (screenSaverMode) {
        LogPopupText(text);
        return;
    }
    BeginPopup();
    if (!exiting)
        Quib::ShowMessageBox(text, Utf16ToWindows1252(GetStringEntry("FATAL_ERROR", u"FATAL ERROR")), MB_ICONERROR);
    EndPopup();
}

void QuibAppBase::LogPopupText(const std::string& text)
{
    const bool first = gFirstPopupLogEntry.load();
    FILE* file = OpenFile("ScrError.txt", first ? "w" : "a+");
    if (!file)
        return;
    gFirstPopupLogEntry = false;
    const std::string line = StrFormat("%s %s %u\n", text.c_str(), TimeOfDayText().c_str(), GetTickCount());
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

bool QuibAppBase::OpenUrl(const std::string& address, bool exitAfter)
{
    if (urlOpening && address == urlBeingOpened)
        return true;
    exitAfterUrl = exitAfter;
    urlOpening = true;
    urlBeingOpened = address;
    urlOpenStart = GetTickCount();
    if (!GetUrlOpener().Open(address)) {
        OnOpenUrlFailed(address);
        return false;
    }
    return true;
}

void QuibAppBase::CheckUrlOpening(uint32_t now)
{
    if (!urlOpening)
        return;
    // The opener tells how it went once it has ended; while it runs the
    // window's activation decides: losing it, or 8 s without it, is done;
    // 12 s still active is a failure. Nothing within 5 s after the timer
    // came back from a stall.
    switch (GetUrlOpener().Poll()) {
    case UrlOpenState::Failed: OnOpenUrlFailed(urlBeingOpened); return;
    case UrlOpenState::Opened: OnOpenUrlDone(urlBeingOpened); return;
    default: break;
    }
    if (now - timerResumeTime <= 5000)
        return;
    if (now - urlOpenStart > 8000 && !active)
        OnOpenUrlDone(urlBeingOpened);
    else if (now - urlOpenStart > 12000 && active)
        OnOpenUrlFailed(urlBeingOpened);
}

void QuibAppBase::OnOpenUrlDone(const std::string&)
{
    urlOpening = false;
    if (exitAfterUrl)
        RequestExit();
}

void QuibAppBase::OnOpenUrlFailed(const std::string&)
{
    urlOpening = false;
}

std::string QuibAppBase::GetProductVersion(const std::string&)
{
    return {};
}

// The system report belongs to the developer reports, which are not here.
std::string QuibAppBase::BuildSystemReport()
{
    return Quib::BuildSystemReport(developerTools.Host());
}

std::string QuibAppBase::GetExtraReportText()
{
    return {};
}

void QuibAppBase::CopyToClipboard(const std::string& text)
{
    if (playing)
        return;
    GetWindowSystem().GetClipboard().SetText(text);
}

std::string QuibAppBase::GetClipboardText()
{
    const std::string text = playing ? std::string() : GetWindowSystem().GetClipboard().GetText();
    return RecordOrReplayString(text);
}

} // namespace Quib
