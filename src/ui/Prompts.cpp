#include "Prompts.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <deque>
#include <variant>

#include "ModelText.h"
#include "images/ImageScaler.h"

namespace prompt {
namespace {

struct TAnswerFile {
  std::optional<QString> path;
};
struct TAnswerColor {
  std::optional<QColor> color;
};
struct TAnswerWindow {
  std::function<int(QDialog&)> handler;
};
using TAnswer = std::variant<TButton, TAnswerFile, TAnswerColor, TAnswerWindow>;

struct TTestState {
  bool testing = false;
  std::deque<TAnswer> queue;
  QList<TShown> shown;
  QStringList unexpected;
} state;

// Takes the next answer if it is of the wanted kind; otherwise records an unexpected prompt.
template <typename T>
std::optional<T> Take(const QString& what, const QString& text) {
  if (!state.queue.empty() && std::holds_alternative<T>(state.queue.front())) {
    T answer = std::get<T>(state.queue.front());
    state.queue.pop_front();
    return answer;
  }
  state.unexpected << what + ": " + text;
  return std::nullopt;
}

QString Caption(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::Warning:
      return QCoreApplication::translate("prompt", "Warning");
    case TMessageKind::Error:
      return QCoreApplication::translate("prompt", "Error");
    case TMessageKind::Information:
      break;
  }
  return QCoreApplication::translate("prompt", "Information");
}

QMessageBox::StandardButton ToStandard(TButton button) {
  switch (button) {
    case TButton::Ok:
      return QMessageBox::Ok;
    case TButton::Yes:
      return QMessageBox::Yes;
    case TButton::No:
      return QMessageBox::No;
    case TButton::Cancel:
      return QMessageBox::Cancel;
    case TButton::None:
      break;
  }
  return QMessageBox::NoButton;
}

// Qt's file dialogs match "*.jpg" case-sensitively on Linux; list the upper-case form too so a
// camera's "IMG_1.JPG" shows.
QString WithUpperCase(const QString& patterns) {
  QStringList all;
  for (const QString& p : patterns.split(' ', Qt::SkipEmptyParts)) {
    all << p;
    if (p != p.toUpper()) all << p.toUpper();
  }
  return all.join(' ');
}

// A file dialog that shows a preview of the picture under the cursor.
class TPictureDialog : public QFileDialog {
 public:
  TPictureDialog(QWidget* parent, const QString& filter, const QString& proposal)
      : QFileDialog(parent, QString(), proposal, filter) {
    setObjectName("OpenPictureDialog1");
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    preview_ = new QLabel(this);
    preview_->setObjectName("imgPreview");
    preview_->setFixedSize(200, 200);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
      grid->addWidget(preview_, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &TPictureDialog::ShowPreview);
  }

 private:
  QLabel* preview_;
  // Decoded as the slider's pictures are, so every format the slider takes shows, upright and
  // in its true colours; anything else (a folder, a broken file) shows nothing.
  void ShowPreview(const QString& path) {
    preview_->clear();
    try {
      const std::string file = path.toStdString();
      const auto [width, height] = UprightPictureSize(file);
      const QSize box = QSize(width, height).scaled(200, 200, Qt::KeepAspectRatio);
      const TDecodedPicture picture = DecodePictureFile(file, std::max(1, box.height()));
      const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                         QImage::Format_RGB888);
      preview_->setPixmap(QPixmap::fromImage(image.copy()));
    } catch (const std::exception&) {
    }
  }
};

std::optional<QString> FileAnswer(const QString& what, const QString& filter,
                                  const QString& proposal) {
  state.shown << TShown{what, filter, TMessageKind::Information, proposal};
  auto answer = Take<TAnswerFile>(what, filter);
  return answer ? answer->path : std::nullopt;
}

}  // namespace

QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ').replace(',', ' ');
    patterns = patterns.simplified();
    patterns.replace("*.*", "*");
    // The name keeps its words; its parenthesised patterns are replaced by Qt's.
    const int open = name.indexOf('(');
    if (open >= 0) name = name.left(open).trimmed();
    out << QStringLiteral("%1 (%2)").arg(name, WithUpperCase(patterns));
  }
  return out.join(";;");
}

TButton Message(QWidget* parent, TMessageKind kind, const QString& text,
                const QList<TButton>& buttons) {
  const QList<TButton> offered = buttons.isEmpty() ? QList<TButton>{TButton::Ok} : buttons;
  if (state.testing) {
    state.shown << TShown{"message", text, kind, {}};
    auto answer = Take<TButton>("message", text);
    if (answer && offered.contains(*answer)) return *answer;
    if (answer) state.unexpected << "button not offered: " + text;
    return offered.contains(TButton::Cancel) ? TButton::Cancel : offered.first();
  }
  QMessageBox box(kind == TMessageKind::Warning ? QMessageBox::Warning
                  : kind == TMessageKind::Error ? QMessageBox::Critical
                                                : QMessageBox::Information,
                  Caption(kind), text, QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  for (TButton b : offered) box.addButton(ToStandard(b));
  box.setDefaultButton(ToStandard(offered.first()));
  if (offered.contains(TButton::Cancel)) box.setEscapeButton(ToStandard(TButton::Cancel));
  const int result = box.exec();
  for (TButton b : offered)
    if (result == ToStandard(b)) return b;
  return offered.contains(TButton::Cancel) ? TButton::Cancel : offered.first();
}

std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& proposal) {
  if (state.testing) return FileAnswer("open", filter, proposal);
  QFileDialog dialog(parent, QString(), proposal, QtFilter(filter));
  dialog.setObjectName("OpenDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QString> SaveFile(QWidget* parent, const QString& filter, const QString& proposal) {
  if (state.testing) return FileAnswer("save", filter, proposal);
  QFileDialog dialog(parent, QString(), proposal, QtFilter(filter));
  dialog.setObjectName("SaveDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The replacement question is asked by the caller, which knows the name that will be written.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QString> OpenPicture(QWidget* parent, const QString& filter,
                                   const QString& proposal) {
  if (state.testing) return FileAnswer("picture", filter, proposal);
  TPictureDialog dialog(parent, QtFilter(filter), proposal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

std::optional<QColor> Color(QWidget* parent, const QColor& initial) {
  if (state.testing) {
    state.shown << TShown{"color", initial.name(), TMessageKind::Information, {}};
    auto answer = Take<TAnswerColor>("color", initial.name());
    return answer ? answer->color : std::nullopt;
  }
  QColorDialog dialog(initial, parent);
  dialog.setObjectName("ColorDialog1");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

QString PlainToolTip(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
         QStringLiteral("</p>");
}

int Exec(QDialog& dialog) {
  if (state.testing) {
    state.shown << TShown{dialog.objectName(), dialog.windowTitle(), TMessageKind::Information, {}};
    auto answer = Take<TAnswerWindow>(dialog.objectName(), dialog.windowTitle());
    return answer ? answer->handler(dialog) : QDialog::Rejected;
  }
  return dialog.exec();
}

void StartTesting() {
  state = TTestState{};
  state.testing = true;
}
void StopTesting() { state = TTestState{}; }
bool Testing() { return state.testing; }
void QueueButton(TButton button) { state.queue.push_back(button); }
void QueueFile(const std::optional<QString>& path) { state.queue.push_back(TAnswerFile{path}); }
void QueueColor(const std::optional<QColor>& color) { state.queue.push_back(TAnswerColor{color}); }
void QueueWindow(std::function<int(QDialog&)> handler) {
  state.queue.push_back(TAnswerWindow{std::move(handler)});
}
QList<TShown> Shown() { return state.shown; }
QStringList Unexpected() { return state.unexpected; }
int Pending() { return state.queue.size(); }

}  // namespace prompt

void ShowError(QWidget* parent, const QString& text) {
  prompt::Message(parent, TMessageKind::Error, text, {TButton::Ok});
}

bool RunCommand(QWidget* parent, const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const std::exception& error) {
    ShowError(parent, modeltext::Shown(error));
  } catch (...) {
    ShowError(parent,
              QCoreApplication::translate("prompt", "An unknown error stopped the command."));
  }
  return false;
}
