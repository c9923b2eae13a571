// The about box: product name and version, the web site and support addresses (links that open
// in the desktop's browser and turn red under the pointer), and the legal notice.
#pragma once

#include <QDialog>
#include <QPalette>
#include <memory>

class QLabel;

namespace Ui {
class TformAbout;
}

class TformAbout : public QDialog {
  Q_OBJECT

 public:
  // programFolder: where the program's files are; the links open its help pages.
  explicit TformAbout(const QString& programFolder, QWidget* parent = nullptr);
  ~TformAbout() override;

  // The pages that stand for the home and support pages (the one place that names them).
  static QString HomePage(const QString& programFolder);
  static QString SupportPage(const QString& programFolder);

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
  static void SetLinkColour(QLabel* label, QPalette::ColorRole role);
  std::unique_ptr<Ui::TformAbout> ui_;
  QString homePage_;
  QString supportPage_;
};
