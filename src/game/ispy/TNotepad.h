#pragma once
#include "framework/files/FloatTransformer.h"
#include "framework/widgets/Widget.h"
#include "src/game/ispy/TMessenger.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class TPicture;

// The list of things to find beside the level picture: one line per
// searched text with the number still to find, in columns; only the first
// lines are active (findable and hintable); complete lines are struck
// through and fade to half.
class TNotepad : public TMessenger, public Widget {
public:
    // One line. Lines live in stable storage: each is the listener of its
    // own strike and fade tweens.
    class TRecord : public FloatTransformerListener, public TMessenger {
    public:
        TRecord() = default;
        ~TRecord() override;

        void OnValue(FloatTransformer* transformer, float value, int id) override;
        void OnFinished(FloatTransformer* transformer, int id) override;
        void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;

        void SetText();
        void Draw(Graphics& g, int atX, int atY, int width);
        void StartStrike();
        void StartFadeOut();

        std::u16string shownText;
        std::u16string keyText;
        int32_t count = 0;
        float strikeProgress = 0.0f;
        float alpha = 0.0f;
        float alphaFactor = 1.0f;
        bool struck = false;
        bool active = false;
        int32_t currentY = 0;
        bool fadingIn = true;
        uint32_t colour = 0;
        int32_t x = 0;
        int32_t layoutY = 0;
        int32_t columnWidth = 0;

    private:
        // Starts a tween with this line as its only listener; a running one
        // is let go first (it ends by itself in the process list).
        void StartTween(float from, float to, int id);
    };

    TNotepad();
    ~TNotepad() override;

    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;
    void Draw(Graphics& g) override;

    void Clear(TPicture* owner);
    void AddRecord(const std::u16string& text, int32_t count);
    bool ItemFound(const std::u16string& text);
    int32_t CountRecordsLeft() const;
    bool AllFound() const;
    TRecord* PickHintRecord();
    void ActivateLines();
    void Layout();
    void SaveState(const std::string& section) const;
    void LoadState(const std::string& section);

    TRecord* FindRecord(const std::u16string& text) const;
    size_t RecordCount() const { return lines.size(); }

    uint32_t textColour = 0;
    uint32_t strikeColour = 0;
    std::vector<std::unique_ptr<TRecord>> lines;
    Rect rectangle;
    TPicture* picture = nullptr;
    int32_t lineCount = 0;
};

// Text width of a notepad line; the tests replace it to lay out without fonts.
using NotepadMeasure = int (*)(const std::u16string& text);
NotepadMeasure SetNotepadMeasure(NotepadMeasure measure);

} // namespace Quib
