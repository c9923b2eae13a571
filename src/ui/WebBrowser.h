// The preview browser: the user chooses the desktop's default browser, one of the browsers found
// on this machine, or a program of their own; OK stores the choice in the settings ("Web
// Browsers"), Cancel (or Esc) does not. Creating the dialog detects the browsers and loads the
// stored choice, so Preview creates one without showing it just to call OpenPage.
#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "BrowserDetect.h"

class QRadioButton;
class QButtonGroup;

namespace Ui {
class TformWebBrowser;
}

class TformWebBrowser : public QDialog {
  Q_OBJECT

 public:
  explicit TformWebBrowser(QWidget* parent = nullptr);
  ~TformWebBrowser() override;

  // Opens folder + fileName (joined as they are) in the chosen browser: the desktop's default
  // handler, or the chosen program with the page as its one argument. Nothing happens when no
  // choice is set.
  void OpenPage(const QString& folder, const QString& fileName);

  // The detected browsers; a browser's number is its position here and in the list.
  const QList<browsers::TWebBrowserNamePath>& BrowserList() const { return browserList_; }

 public slots:
  void bitbtnOkClick();  // stores the choice and closes
  void spdbtnOpenExeFileClick();
  void ComboBoxBrowserListChange();
  void RadioButtonBrowserKnownInSystemClick();

 private:
  void FormCreate();
  void LoadChoice();
  void StoreChoice();
  void SetRadio(QRadioButton* button, bool on);

  std::unique_ptr<Ui::TformWebBrowser> ui_;
  QButtonGroup* choice_ = nullptr;
  QList<browsers::TWebBrowserNamePath> browserList_;
};
