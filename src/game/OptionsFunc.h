#pragma once
#include "src/GameApp.h"

#include <string>

namespace Quib {

// Handed to the options screen: makes the board it was opened from, so that
// closing the options goes back there.
class OptionsFunc {
public:
    virtual ~OptionsFunc() = default;
    virtual void MakeBoard() = 0;
};

// Makes a board of the given kind with the stored name and switches to it.
template <class Board>
class OptionsBoardFunc : public OptionsFunc {
public:
    explicit OptionsBoardFunc(std::string name) : boardName(std::move(name)) {}
    void MakeBoard() override
    {
        if (GameApp* app = GetGameApp())
            app->SwitchToBoard(new Board(boardName));
    }

    std::string boardName;
};

} // namespace Quib
