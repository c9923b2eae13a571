// Placement and sizing shared by the program's dialogs: fixed windows keep their designed client
// size (grown where the desktop's font needs more room), and most windows open centred on the
// screen rather than on their owner.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace frame {

// Fixes the window at its current size, or at its layout's minimum where that is larger.
void FixSize(QWidget* window);
// Moves the window so that it is centred on its owner's screen (or the primary screen).
void CentreOnScreen(QWidget* window);
// Keeps the top-left corner of a window of this size inside the available screen area.
void MoveOnScreen(QWidget* window, int left, int top);

// Where a window that wants `wanted` (client size) opens on a screen whose available area is
// `available`: centred, and never larger than the area with room for `frame` (the title bar and
// borders around the client area), so the whole window, menu bar included, is on the screen.
QRect FitOnScreen(QSize wanted, const QRect& available, const QMargins& frame);
// Opens the window at FitOnScreen's place on its screen; a layout minimum larger than the
// screen gives way (the window's `shrinkable` child loses its own minimum size first).
void OpenOnScreen(QWidget* window, QSize wanted, QWidget* shrinkable);

}  // namespace frame
