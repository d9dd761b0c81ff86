#include "src/screens/ProfileScreen.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/TPsdEditDialog.h"
#include "src/screens/TProfileItem.h"

namespace Quib {

namespace {

constexpr int kKeyEscape = 27;

// Saves the current profile's progress and lets go of its levels.
void SaveAndRelease(const std::u16string& name)
{
    Profiles& profiles = Profiles::Instance();
    profiles.SelectProfile(name);
    if (GameControllerCommon* common = GameControllerCommon::Existing()) {
        common->SaveProgress();
        common->ReleaseAll();
    }
}

} // namespace

ProfileScreen::ProfileScreen(std::function<void(const std::u16string&)> delegate, DarkBack* back)
    : layout(std::make_unique<PsdPicture>("data/gui/profiles/", true)), nameDelegate(std::move(delegate)),
      backdrop(back)
{
    takesFocus = true;
    BuildWidgets();
}

ProfileScreen::~ProfileScreen()
{
    layout.reset();
    DetachAllChildren(true, false);
    items.clear();
    buttons.fill(nullptr);
    backButton = nullptr;
}

void ProfileScreen::BuildWidgets()
{
    Rect frame;
    layout->GetLayerRect(frame, "frame", false);
    SetBounds(frame.x, frame.y, frame.width, frame.height);
    layout->Offset(-frame.x, -frame.y);

    for (int slot = 0; slot < kSlots; ++slot) {
        auto* item = new TProfileItem(this, *layout, slot);
        items.push_back(item);
        AttachChild(item);
    }

    Lang& lang = Lang::Instance();
    static const struct {
        const char* layer;
        const char* label;
        uint32_t color;
    } kButtons[] = {
        {"buttons/create/create", "ProfileCreate", kPaleText},
        {"buttons/delete/delete", "ProfileDelete", kPaleText},
        {"buttons/rename/rename", "ProfileRename", kPaleText},
        {"buttons/close/close", "ProfileBack", kDarkText},
    };
    for (int id = kCreate; id <= kBack; ++id) {
        const auto& b = kButtons[id];
        ScaleButton* button = CreateScaleButton(*layout, id, std::string(b.layer) + "_in",
                                                std::string(b.layer) + "_ac", this, lang("Interface", b.label),
                                                Color(b.color));
        if (id == kBack) {
            backButton = button;
        } else {
            buttons[size_t(id)] = button;
            button->normalOffset.y += 3;
            button->overOffset.y += 3;
            button->downOffset.y += 3;
        }
        AttachChild(button);
    }

    headText = lang("Interface", "ProfileHead");
    layout->GetLayerRect(headRect, "placeholders/profile", true);
    hintText = lang("Interface", "ProfileText");
    layout->GetLayerRect(hintRect, "placeholders/select", true);

    InitNames();
    RefreshProfileSlots();
    AnimateChildren(0.0f);
}

void ProfileScreen::InitNames()
{
    startingName = Profiles::Instance().CurrentName();
    chosenName = startingName;
}

void ProfileScreen::RefreshProfileSlots()
{
    const std::vector<std::u16string> names = Profiles::Instance().CopyKeysToVector();
    for (int slot = 0; slot < kSlots && slot < int(items.size()); ++slot) {
        TProfileItem* item = items[size_t(slot)];
        if (slot < int(names.size())) {
            if (int(names[size_t(slot)].size()) > kMaxNameLength)
                continue;
            item->name = names[size_t(slot)];
        } else {
            item->name.clear();
        }
        item->selected = !item->name.empty() && item->name == chosenName;
    }
}

void ProfileScreen::EnterCreateMode()
{
    createMode = true;
    for (ScaleButton* b : buttons)
        if (b)
            b->visible = false;
    if (backButton)
        backButton->visible = false;
    for (TProfileItem* item : items)
        item->visible = false;
}

void ProfileScreen::Close()
{
    target = 0.0f;
    DismissBackdrop(backdrop);
}

void ProfileScreen::AnimateChildren(float p)
{
    for (ScaleButton* b : buttons)
        AnimatePopupButton(*this, b, p);
    AnimatePopupButton(*this, backButton, p);
    for (TProfileItem* item : items)
        item->Animate(*this, p);
}

int ProfileScreen::AskDialog(const std::string& okKey, const std::string& cancelKey, const std::string& messageKey,
                             std::u16string* text, bool showCancel)
{
    if (ask)
        return ask(okKey, cancelKey, messageKey, text, showCancel);
    return RunPsdEditDialog(new TPsdEditDialog(okKey, cancelKey, messageKey, text, showCancel));
}

void ProfileScreen::FocusBack()
{
    if (manager)
        manager->SetFocusWidget(this);
}

void ProfileScreen::CreateProfile()
{
    Profiles& profiles = Profiles::Instance();
    if (int(profiles.CopyKeysToVector().size()) >= kMaxProfiles) {
        AskDialog("ProfDlgNoMoreOk", "", "ProfDlgNoMoreText", nullptr, false);
        FocusBack();
        return;
    }
    std::u16string name;
    const int answer =
        AskDialog("ProfDlgCreateOk", "ProfDlgCreateCancel", "ProfDlgCreateText", &name, !profiles.HasNoProfiles());
    if (answer == TPsdEditDialog::kOk && !name.empty()) {
        if (profiles.HasProfile(name)) {
            if (ask)
                AskDialog("ProfDlgExistsOk", "", "ProfDlgExistsText", nullptr, false);
            else
                ShowProfileExistsDialog();
        } else if (profiles.AddProfile(name)) {
            chosenName = name;
            RefreshProfileSlots();
            closeRequest = true;
        } else {
            QUIB_LOG_ERROR("Profile screen: the profile could not be made");
        }
    }
    FocusBack();
}

void ProfileScreen::CreateProfileIfNone()
{
    if (Profiles::Instance().HasNoProfiles())
        CreateProfile();
}

void ProfileScreen::DeleteProfile()
{
    if (chosenName.empty())
        return;
    Profiles& profiles = Profiles::Instance();
    if (AskDialog("ProfDlgDeleteYes", "ProfDlgDeleteNo", "ProfDlgDeleteText", nullptr, true) == TPsdEditDialog::kOk) {
        if (chosenName == startingName) {
            SaveAndRelease(startingName);
            startingName.clear();
        }
        profiles.RemoveCachedFile(chosenName);
        chosenName.clear();
        RefreshProfileSlots();
    }
    FocusBack();
    CreateProfileIfNone();
}

void ProfileScreen::RenameProfile()
{
    if (chosenName.empty())
        return;
    std::u16string name = chosenName;
    const int answer = AskDialog("ProfDlgRenameOk", "ProfDlgRenameCancel", "ProfDlgRenameText", &name, true);
    if (answer == TPsdEditDialog::kOk && !name.empty() && name != chosenName) {
        Profiles& profiles = Profiles::Instance();
        if (profiles.HasProfile(name)) {
            if (ask)
                AskDialog("ProfDlgExistsOk", "", "ProfDlgExistsText", nullptr, false);
            else
                ShowProfileExistsDialog();
        } else if (profiles.RenameProfile(chosenName, name) == ProfileRename::Renamed) {
            profiles.SelectProfile(name);
            if (startingName == chosenName)
                startingName = name;
            chosenName = name;
            RefreshProfileSlots();
        } else {
            QUIB_LOG_ERROR("Profile screen: the profile could not be renamed");
        }
    }
    FocusBack();
}

void ProfileScreen::Back()
{
    if (!chosenName.empty())
        closeRequest = true;
    else
        AskDialog("ProfDlgAnyProfileOk", "", "ProfDlgAnyProfileText", nullptr, false);
}

void ProfileScreen::SelectItem(const std::u16string& itemName)
{
    for (TProfileItem* item : items)
        item->selected = item->name == itemName;
    chosenName = itemName;
}

void ProfileScreen::ButtonPress(int id)
{
    switch (id) {
    case kCreate:
        CreateProfile();
        break;
    case kDelete:
        DeleteProfile();
        break;
    case kRename:
        RenameProfile();
        break;
    case kBack:
        Back();
        break;
    default:
        break;
    }
}

void ProfileScreen::OnKeyDown(int key)
{
    if (key == kKeyEscape)
        ButtonPress(kBack);
}

void ProfileScreen::SwitchProfile()
{
    if (switched)
        return;
    switched = true;
    Profiles& profiles = Profiles::Instance();
    if (chosenName.empty()) {
        // Closed by the backdrop with no name chosen: the previous profile
        // stays; when it was deleted, the first one left takes its place.
        if (!startingName.empty() && profiles.HasProfile(startingName)) {
            profiles.SelectProfile(startingName);
            return;
        }
        const std::vector<std::u16string> names = profiles.CopyKeysToVector();
        if (names.empty())
            return;
        chosenName = names.front();
    }
    if (chosenName == startingName)
        return;
    // Closed by the backdrop: the menu still shows the old name.
    if (!nameReported && nameDelegate)
        nameDelegate(chosenName);
    if (!startingName.empty())
        SaveAndRelease(startingName);
    profiles.SelectProfile(chosenName);
    if (GameControllerCommon* common = GameControllerCommon::Existing())
        common->LoadProgress();
}

void ProfileScreen::Update()
{
    Widget::Update();
    if (!profileCheckDone) {
        profileCheckDone = true;
        CreateProfileIfNone();
    }
    if (closeRequest) {
        closeRequest = false;
        if (nameDelegate)
            nameDelegate(chosenName);
        nameReported = true;
        disabled = true;
        Close();
    }
    if (StepPopupProgress(progress, target)) {
        if (progress == 1.0f && !openedOnce) {
            openedOnce = true;
            profileCheckDone = false;
        } else if (progress == 0.0f && target == 0.0f) {
            RemoveAndDeleteWidget(this);
            SwitchProfile();
            return;
        }
    }
    AnimateChildren(progress);
    Invalidate();
}

void ProfileScreen::Draw(Graphics& g)
{
    if (createMode)
        return;
    ApplyPopupTransform(g, progress, width, height);
    layout->DrawAll(g);
    const Color text = MultiplyColors(g.color, Color(kDarkText));
    g.SaveState();
    g.color = text;
    g.font = FONT_HEAD;
    if (g.font)
        g.DrawText(headText, headRect.x + headRect.width - g.TextWidth(headText), CentredBaseline(headRect, g.font));
    g.font = FONT_TEXT_BOLD;
    if (g.font)
        g.DrawText(hintText, hintRect.x + (hintRect.width - g.TextWidth(hintText)) / 2,
                   CentredBaseline(hintRect, g.font));
    g.RestoreState();
}

} // namespace Quib
