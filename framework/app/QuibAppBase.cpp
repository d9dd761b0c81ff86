#include "framework/app/QuibAppBase.h"

#include "framework/app/DDInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/SettingsFile.h"
#include "platform/Window.h"

#include <algorithm>
#include <vector>

namespace Quib {

QuibAppBase* gQuibAppBase = nullptr;

QuibAppBase::QuibAppBase()
{
    for (int i = 0; i < 512; ++i)
        AddClampTable[i] = static_cast<uint8_t>(std::min(i, 255));
    ImageLib::LoadJ2kCodec();
    gQuibAppBase = this;
    SetDefaultImageRegistry(this);
    widgetManager = std::make_unique<WidgetManager>(this);
    SetWidgetApp(this);
}

QuibAppBase::~QuibAppBase()
{
    while (!dialogMap.empty())
        CloseDialog(dialogMap.begin()->first);
    while (deferredDeletes.StepDepth() > 0)
        deferredDeletes.LeaveStep();
    deferredDeletes.Flush();
    widgetManager.reset();
    if (TheWidgetApp() == this)
        SetWidgetApp(nullptr);
    {
        // Images that outlive the application belong to none from now on.
        std::lock_guard lock(ImageSetLock());
        for (MemoryImage* image : imageSet)
            image->app = nullptr;
        imageSet.clear();
    }
    if (gQuibAppBase == this)
        gQuibAppBase = nullptr;
    if (DefaultImageRegistry() == this)
        SetDefaultImageRegistry(nullptr);
}

ImageDisplay* QuibAppBase::Display() const
{
    return display.get();
}

void QuibAppBase::RefreshCursor()
{
    // Without a display there is no cursor to show; the display's cursors
    // are shown here once it has them.
}

DDImage* QuibAppBase::CreateImage(const std::string& fileName, bool applyNow)
{
    if (fileName.empty())
        return nullptr;
    std::unique_ptr<ImageLib::Image> picture = ImageLib::LoadImageFile(fileName, true);
    if (!picture)
        return nullptr;
    auto* image = new DDImage(display.get());
    image->textureFlags |= 8; // an 8-8-8-8 texture
    image->name = fileName;
    image->AssignPixels(picture->pixels, picture->width, picture->height, applyNow);
    if (image->width != picture->width || image->height != picture->height) {
        delete image; // no room for the pixels
        return nullptr;
    }
    return image;
}

void QuibAppBase::FreeAllImageBitBuffers()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseDisplayCopy();
}

void QuibAppBase::ReleaseAllNativeImageData()
{
    std::lock_guard lock(ImageSetLock());
    for (MemoryImage* image : imageSet)
        image->ReleaseCaches();
}

std::unique_ptr<MusicInterface> QuibAppBase::CreateMusicInterface(void* window)
{
    if (soundDisabled)
        return std::make_unique<MusicInterface>();
    if (useFmod)
        return std::make_unique<FModMusicInterface>();
    return std::make_unique<BassMusicInterface>(window);
}

void QuibAppBase::QueueDeferredDelete(Widget* widget)
{
    deferredDeletes.Queue(widget);
}

void QuibAppBase::FlushDeferredDeletes()
{
    deferredDeletes.Flush();
}

WidgetManager* QuibAppBase::GetWidgetManager()
{
    return widgetManager.get();
}

int QuibAppBase::GetCursorNum() const
{
    return cursorNum;
}

void QuibAppBase::SetCursorNum(int number)
{
    cursorNum = number;
}

bool QuibAppBase::AppStep(bool* updated)
{
    // The application loop is not here yet: a step does nothing and says
    // the application is closing, so nested loops end at once.
    deferredDeletes.EnterStep();
    if (updated)
        *updated = false;
    deferredDeletes.LeaveStep();
    return false;
}

DialogListener* QuibAppBase::GetDialogListener()
{
    return this;
}

void QuibAppBase::OnDialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == DIALOG_ID_YES)
        ButtonPress(dialogId + 2000);
    else if (buttonId == DIALOG_ID_NO)
        ButtonPress(dialogId + 3000);
}

void QuibAppBase::OnDialogButtonDepress(int dialogId, int buttonId)
{
    if (buttonId == DIALOG_ID_YES)
        ButtonDepress(dialogId + 2000);
    else if (buttonId == DIALOG_ID_NO)
        ButtonDepress(dialogId + 3000);
}

bool QuibAppBase::UsesSystemCaret() const
{
    return useSystemCaret;
}

void QuibAppBase::SetSystemCaret(bool shown, int x, int y)
{
    systemCaretShown = shown;
    if (shown)
        systemCaretPos = Point(x, y);
}

} // namespace Quib
