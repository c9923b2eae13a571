// The about box: product name and version, the web site and support addresses (links that open
// in the desktop's browser and turn red under the pointer), and the legal notice.
#pragma once

#include <QDialog>
#include <QPalette>
#include <memory>

class QLabel;

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // programFolder: where the program's files are; the links open its help pages.
  explicit TAboutBox(const QString& programFolder, QWidget* parent = nullptr);
  ~TAboutBox() override;

  // The pages that stand for the home and support pages (the one place that names them).
  static QString homePage(const QString& programFolder);
  static QString supportPage(const QString& programFolder);

 public slots:
  void openHomePage();     // the web site
  void openSupportPage();  // tech support
  void highlightHomePage();
  void highlightSupportPage();
  void unhighlightLinks();  // over the box itself: both links blue again

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  static void setLinkColour(QLabel* label, QPalette::ColorRole role);
  std::unique_ptr<Ui::TAboutBox> ui_;
  QString homePage_;
  QString supportPage_;
};
