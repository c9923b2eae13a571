// The code window: shows the page of the last Build HTML for copying into a web page. One window
// lives for the whole run; its text survives New and Open and is also the source of the preview
// page.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TCodeWindow;
}

class TCodeWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TCodeWindow(QWidget* parent = nullptr);
  ~TCodeWindow() override;

  // Replaces the text, one entry a line.
  void setLines(const QStringList& lines);
  // The text's lines (none when the window is empty).
  QStringList lines() const;
  QString text() const;

 public slots:
  // Copy to Clipboard: the whole text, as plain text.
  void copyToClipboard();

 signals:
  // Copy Embed Code: the window that owns the design puts its embed code on the clipboard.
  void embedCodeRequested();

 private:
  std::unique_ptr<Ui::TCodeWindow> ui_;
};
