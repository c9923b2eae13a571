// The preview browser: the user chooses the desktop's default browser, one of the browsers found
// on this machine, or a program of their own; OK stores the choice in the settings ("Web
// Browsers"), Cancel (or Esc) does not. Creating the dialog detects the browsers and loads the
// stored choice, so Preview creates one without showing it just to call openPage.
#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "BrowserDetect.h"

class QRadioButton;
class QButtonGroup;

namespace Ui {
class TBrowserChooser;
}

class TBrowserChooser : public QDialog {
  Q_OBJECT

 public:
  explicit TBrowserChooser(QWidget* parent = nullptr);
  ~TBrowserChooser() override;

  // Opens folder + fileName (joined as they are) in the chosen browser: the desktop's default
  // handler, or the chosen program with the page as its one argument. Nothing happens when no
  // choice is set.
  void openPage(const QString& folder, const QString& fileName);

  // The detected browsers; a browser's number is its position here and in the list.
  const QList<browsers::TWebBrowserNamePath>& browserList() const { return browserList_; }

 public slots:
  void acceptChoice();  // stores the choice and closes
  void chooseProgram();
  void chooseListedBrowser();
  void checkListedBrowsers();

 private:
  void findBrowsers();
  void loadChoice();
  void storeChoice();
  void setRadio(QRadioButton* button, bool on);

  std::unique_ptr<Ui::TBrowserChooser> ui_;
  QButtonGroup* choice_ = nullptr;
  QList<browsers::TWebBrowserNamePath> browserList_;
};
