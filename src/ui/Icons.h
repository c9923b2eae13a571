// The program's icons: taken from the desktop's icon theme where it has a fitting one, otherwise
// our own drawings, so no button is ever blank.
#pragma once

#include <QIcon>

namespace icons {
// The toolbar's icons, by their number: 0 new, 1 open, 2 save, 3 cut, 4 copy, 5 paste,
// 6 insert, 7 delete, 8 move up, 9 move down, 10 build HTML, 11 preview, 12 help, 13 undo,
// 14 redo.
QIcon Tool(int index);
// The tree's two icons: 0 an item, 1 the slider (root).
QIcon Tree(int index);
QIcon HelpBook();  // the help buttons' question-mark book
QIcon Program();   // the window icon
}  // namespace icons
