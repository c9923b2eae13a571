// The about box: product name and version, the web site and support addresses (links that open
// in the desktop's browser and turn red under the pointer), and the legal notice.
#pragma once

#include <QDialog>
#include <memory>

class QLabel;

namespace Ui {
class TformAbout;
}

class TformAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TformAbout(QWidget* parent = nullptr);
  ~TformAbout() override;

  static const QString kHomePage;
  static const QString kSupportPage;

 public slots:
  void Label8Click();   // the web site
  void Label10Click();  // tech support
  void Label8MouseMove();
  void Label10MouseMove();
  void FormMouseMove();  // over the box itself: both links blue again

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  static void SetLinkColour(QLabel* label, const QColor& colour);
  std::unique_ptr<Ui::TformAbout> ui_;
};
