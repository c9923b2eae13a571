// The publish report window: shows the report that Publish wrote into the preview folder.
// Created for one Publish and released after it closes.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TPublishReportWindow;
}

class TPublishReportWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TPublishReportWindow(QWidget* parent = nullptr);
  ~TPublishReportWindow() override;

  // Replaces the text by the report at `path` (UTF-8 or Windows-1252 text, CR LF or LF lines).
  // Throws TvFileError "Cannot open file <path>" when the file cannot be read.
  void loadReport(const QString& path);
  // The files the last save of the design changed ("Changed: ...; N unchanged"), shown below
  // the report; empty: none is shown.
  void showChanges(const QString& text);
  // The project was published, its page at `page`: Open Folder shows the folder and View in
  // Browser asks for the page (viewRequested).
  void offerPublishedPage(const QString& page);

 signals:
  void viewRequested(const QString& page);

 private:
  QString page_;
  std::unique_ptr<Ui::TPublishReportWindow> ui_;
};
