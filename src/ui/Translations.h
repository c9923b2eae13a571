// The window's texts in the user's language: its own translation (compiled into the program from
// translations/torvane_LANG.ts) and Qt's (qtbase_LANG.qm of the Qt installation, for the
// standard dialogs and buttons). English needs only the forms of its plurals.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace translations {

// Installs the translations for `locale` that are there; returns whether the program's own was
// (false for English, whose texts are the sources).
// Call before the first window is made.
bool Install(QCoreApplication& application, const QLocale& locale = QLocale());

}  // namespace translations
