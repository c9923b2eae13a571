// The help window: shows one help topic at a time beside the main window. One window lives for
// the whole run; closing it only hides it, and it comes back at the same place.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QUrl>
#include <memory>

namespace Ui {
class THelpWindow;
}

class THelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent);
  ~THelpWindow() override;

  // Shows the page at `address` (a "file:" address of a help page) and the window, without
  // blocking; a visible window stays where it is.
  void showPage(const QUrl& address);

 public slots:
  // Links between help pages open here; web and mail addresses go to the desktop.
  void followLink(const QUrl& link);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  std::unique_ptr<Ui::THelpWindow> ui_;
  QPoint place_;
};
