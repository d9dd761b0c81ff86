#pragma once
// A widget for tests that writes every notification it gets into a shared
// log ("name:event args") and fills its area with colour 0 when drawn.

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"

#include <functional>
#include <string>
#include <vector>

namespace Quib::Testing {

using EventLog = std::vector<std::string>;

class RecordingWidget : public Widget {
public:
    RecordingWidget(std::string widgetName, EventLog* eventLog, int px = 0, int py = 0, int w = 0, int h = 0)
        : name(std::move(widgetName)), log(eventLog)
    {
        x = px;
        y = py;
        width = w;
        height = h;
    }

    void Note(const std::string& what)
    {
        if (log)
            log->push_back(name + ":" + what);
    }
    static std::string Pt(int px, int py) { return std::to_string(px) + "," + std::to_string(py); }

    void Update() override
    {
        Widget::Update();
        Note("update");
        if (onUpdate)
            onUpdate(*this);
    }
    void Draw(Graphics& g) override
    {
        ++drawCount;
        if (!colors.empty()) {
            g.color = colors[0];
            g.FillRectangle(0, 0, width, height);
        }
    }
    void OnFocusGained() override
    {
        Widget::OnFocusGained();
        Note("focus");
    }
    void OnFocusLost() override
    {
        Widget::OnFocusLost();
        Note("unfocus");
    }
    void OnKeyChar(char16_t ch) override { Note("char " + std::to_string(static_cast<int>(ch))); }
    void OnKeyDown(int key) override
    {
        Note("keydown " + std::to_string(key));
        Widget::OnKeyDown(key);
    }
    void OnKeyUp(int key) override { Note("keyup " + std::to_string(key)); }
    void OnMouseEnter() override { Note("enter"); }
    void OnMouseLeave() override { Note("leave"); }
    void OnMouseMove(int px, int py) override { Note("move " + Pt(px, py)); }
    void OnMouseDownButton(int px, int py, int button, int count) override
    {
        Note("down " + Pt(px, py) + " b" + std::to_string(button) + " c" + std::to_string(count));
        if (onMouseDown)
            onMouseDown(*this);
    }
    void OnMouseUpButton(int px, int py, int button, int count) override
    {
        Note("up " + Pt(px, py) + " b" + std::to_string(button) + " c" + std::to_string(count));
    }
    void OnMouseDrag(int px, int py) override { Note("drag " + Pt(px, py)); }
    void OnMouseWheel(int delta) override { Note("wheel " + std::to_string(delta)); }
    void OnOrderChanged() override { Note("order"); }

    std::string name;
    EventLog* log;
    int drawCount = 0;
    std::function<void(RecordingWidget&)> onUpdate;
    std::function<void(RecordingWidget&)> onMouseDown;
};

} // namespace Quib::Testing
