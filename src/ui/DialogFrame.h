// Placement and sizing shared by the program's dialogs: fixed windows keep their designed client
// size (grown where the desktop's font needs more room), and most windows open centred on the
// screen rather than on their owner.
#pragma once

class QWidget;

namespace frame {

// Fixes the window at its current size, or at its layout's minimum where that is larger.
void FixSize(QWidget* window);
// Moves the window so that it is centred on its owner's screen (or the primary screen).
void CentreOnScreen(QWidget* window);
// Keeps the top-left corner of a window of this size inside the available screen area.
void MoveOnScreen(QWidget* window, int left, int top);

}  // namespace frame
