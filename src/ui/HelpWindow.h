// The help window: shows one help topic at a time beside the main window. One window lives for
// the whole run; closing it only hides it, and it comes back at the same place.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QUrl>
#include <memory>

namespace Ui {
class TfrmHelp;
}

class TfrmHelp : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmHelp(QWidget* parent);
  ~TfrmHelp() override;

  // Shows the page at `address` (a "file:" address of a help page) and the window, without
  // blocking; a visible window stays where it is.
  void ShowHelpPage(const QUrl& address);

 public slots:
  // Links between help pages open here; web and mail addresses go to the desktop.
  void WebBrowser1AnchorClicked(const QUrl& link);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  std::unique_ptr<Ui::TfrmHelp> ui_;
  QPoint place_;
};
