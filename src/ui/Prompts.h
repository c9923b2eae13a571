// Every message box, file, colour and picture dialog, and every modal window of the program goes
// through these functions. A test switches them to its own answers (StartTesting, Queue...): then
// nothing blocks, each prompt takes the next queued answer in order, and a prompt without a
// queued answer of its kind is recorded as unexpected (and answered Cancel) so the test fails
// instead of hanging.
#pragma once

#include <QColor>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "Host.h"

class QWidget;

enum class TButton { None, Ok, Yes, No, Cancel };

namespace prompt {

// A message box captioned "Warning", "Error" or "Information" with the given buttons (the first
// is the default). The text is always shown as plain text: messages quote file names and values
// from files, which must never become links or pictures. Returns the button pressed; closing the
// box counts as Cancel where there is a Cancel button, otherwise as the only or first button.
TButton Message(QWidget* parent, TMessageKind kind, const QString& text,
                const QList<TButton>& buttons = {TButton::Ok});

// File dialogs. `filter` uses the program's own form "Name (*.a;*.b)|*.a;*.b|..."; it is turned
// into Qt's form here. `proposal` is the file or folder the dialog starts with. The open dialog
// accepts names that do not exist. nullopt when cancelled.
std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& proposal);
std::optional<QString> SaveFile(QWidget* parent, const QString& filter, const QString& proposal);
// A picture-open dialog with a preview of the picture under the cursor.
std::optional<QString> OpenPicture(QWidget* parent, const QString& filter, const QString& proposal);
std::optional<QColor> Color(QWidget* parent, const QColor& initial);

// A tooltip that shows `text` exactly as it stands: Qt takes any tooltip that looks like markup
// for rich text, so text from a file or a path goes through here.
QString PlainToolTip(const QString& text);

// Shows one of the program's own modal windows. Returns QDialog::exec()'s result.
int Exec(QDialog& dialog);

// "Name (*.a;*.b)|*.a;*.b|Any (*.*)|*.*" -> "Name (*.a *.b);;Any (*)"
QString QtFilter(const QString& filter);

// --- for tests ---
struct TShown {
  QString what;  // "message", "open", "save", "picture", "color" or the window's object name
  QString text;  // the message text, the filter, or the window title
  TMessageKind kind = TMessageKind::Information;
  QString proposal;  // a file dialog's: the file or folder it starts with
};

void StartTesting();  // from now on answers come from the queue; clears queue and records
void StopTesting();
bool Testing();
void QueueButton(TButton button);
void QueueFile(const std::optional<QString>& path);  // nullopt: the dialog is cancelled
void QueueColor(const std::optional<QColor>& color);
// The next modal window is handed to `handler` instead of being shown; its return value is the
// window's result (QDialog::Accepted or Rejected).
void QueueWindow(std::function<int(QDialog&)> handler);
QList<TShown> Shown();     // every prompt since StartTesting, in order
QStringList Unexpected();  // prompts that found no answer of their kind
int Pending();             // answers queued but not taken

}  // namespace prompt

// Runs one command: any exception reaching here is shown in the standard error box (captioned
// "Error") with its text. Returns false when the command failed.
bool RunCommand(QWidget* parent, const std::function<void()>& command);
void ShowError(QWidget* parent, const QString& text);
