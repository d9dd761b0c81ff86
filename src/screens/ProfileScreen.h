#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class DarkBack;
class PsdPicture;
class ScaleButton;
class TProfileItem;

// The popup in which the player chooses, creates, deletes and renames
// profiles (at most five, names of 1 to 10 characters without spaces).
// When it has closed, the chosen profile becomes the current one.
class ProfileScreen : public Widget, public ButtonListener {
public:
    enum ButtonId : int { kCreate = 0, kDelete = 1, kRename = 2, kBack = 3 };
    static constexpr int kSlots = 5;
    static constexpr int kMaxProfiles = 5;
    static constexpr int kMaxNameLength = 10;
    static constexpr uint32_t kDarkText = 0xff2b0e00;
    static constexpr uint32_t kPaleText = 0xfffff398;

    // Asks one question: OK key, cancel key, message key, the name to edit
    // (null: none), whether cancel is offered; 1000 for OK. Tests replace it.
    using Ask = std::function<int(const std::string&, const std::string&, const std::string&, std::u16string*,
                                  bool)>;

    ProfileScreen(std::function<void(const std::u16string&)> nameDelegate, DarkBack* backdrop);
    ~ProfileScreen() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void OnKeyDown(int key) override;
    void ButtonPress(int id) override;

    void EnterCreateMode();
    void Close();
    void BuildWidgets();
    void InitNames();
    void RefreshProfileSlots();
    void SwitchProfile();
    void CreateProfile();
    void CreateProfileIfNone();
    void DeleteProfile();
    void RenameProfile();
    void Back();
    void SelectItem(const std::u16string& itemName);
    void AnimateChildren(float p);
    int AskDialog(const std::string& okKey, const std::string& cancelKey, const std::string& messageKey,
                  std::u16string* text, bool showCancel);
    void FocusBack();

    std::unique_ptr<PsdPicture> layout;
    std::array<ScaleButton*, 3> buttons{};   // create, delete, rename (children)
    ScaleButton* backButton = nullptr;       // child
    float progress = 0.0f;
    float target = 1.0f;
    std::vector<TProfileItem*> items;        // children
    std::u16string startingName;
    std::u16string chosenName;
    bool closeRequest = false;
    bool profileCheckDone = true;
    bool openedOnce = false;
    std::u16string headText;
    Rect headRect;
    std::u16string hintText;
    Rect hintRect;
    std::function<void(const std::u16string&)> nameDelegate;
    DarkBack* backdrop = nullptr; // not owned
    bool createMode = false;
    bool switched = false;
    bool nameReported = false; // the name delegate has been called
    Ask ask; // empty: the real dialog
};

} // namespace Quib
