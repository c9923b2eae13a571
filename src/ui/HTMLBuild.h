// The code window: shows the page of the last Build HTML for copying into a web page. One window
// lives for the whole run; its text survives New and Open and is also the source of the preview
// page.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TformHTML;
}

class TformHTML : public QDialog {
  Q_OBJECT

 public:
  explicit TformHTML(QWidget* parent = nullptr);
  ~TformHTML() override;

  // Replaces the text, one entry a line.
  void SetLines(const QStringList& lines);
  // The text's lines (none when the window is empty).
  QStringList Lines() const;
  QString Text() const;

 public slots:
  // Copy to Clipboard: the whole text, as plain text.
  void Button2Click();

 signals:
  // Copy Embed Code: the window that owns the design puts its embed code on the clipboard.
  void embedCodeRequested();

 private:
  std::unique_ptr<Ui::TformHTML> ui_;
};
