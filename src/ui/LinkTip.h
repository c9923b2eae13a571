// The "Important Tip" shown before the URL chooser: local links may not work in a browser. Its
// check box stores "ShowLinkTipDialog" in the settings; shouldShow() reads it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TLinkTip;
}

class TLinkTip : public QDialog {
  Q_OBJECT

 public:
  explicit TLinkTip(QWidget* parent = nullptr);
  ~TLinkTip() override;

  // Whether the tip is to be shown: "ShowLinkTipDialog" read without creating anything; missing
  // (or not a flag) counts as true, a settings store that cannot be read as false.
  static bool shouldShow();

 public slots:
  void acceptTip();
  // Stores the inverse of the box's new state. Failing to store "do not show" is ignored (the tip
  // merely comes again); failing to store "show" is reported in the error box.
  void storeDontShow();

 private:
  std::unique_ptr<Ui::TLinkTip> ui_;
};
