// The live preview pane below the property tabs: it follows every change of the document.
#include <QDir>
#include <QThread>

#include "Document.h"
#include "LivePreview.h"
#include "LivePreviewEngine.h"
#include "MainForm.h"
#include "Places.h"
#include "Prompts.h"
#include "Settings.h"
#include "TreePictures.h"
#include "ui_MainForm.h"

void TMainForm::createLivePreview() {
  // A folder of the window's own, named after this process, so that the next start removes it
  // should the window be killed.
  const QString folder = QString::fromStdString(
      places::MakeProcessFolder(QFile::encodeName(QDir::tempPath()).toStdString(), "torvane-live"));
  livePreview_ = new TLivePreviewPane(folder, livePageOptions(), this);
  livePreview_->setOptions(livePageOptions());  // now that its folder is known
  livePreview_->setSource([this] { return liveDesign(); });
  addDockWidget(Qt::BottomDockWidgetArea, livePreview_);
  connect(livePreview_, &TLivePreviewPane::closed, this, [this] {
    ui_->LivePreview1->setChecked(false);
    toggleLivePreview();
  });
  connect(ui_->LivePreview1, &QAction::triggered, this, &TMainForm::toggleLivePreview);
  TDocument* document = document_.get();
  TLivePreviewPane* pane = livePreview_;
  const auto changed = [pane] { pane->designChanged(); };
  connect(document, &TDocument::itemsInserted, pane, changed);
  connect(document, &TDocument::itemsRemoved, pane, changed);
  connect(document, &TDocument::itemsMoved, pane, changed);
  connect(document, &TDocument::itemChanged, pane, changed);
  connect(document, &TDocument::sliderChanged, pane, changed);
  connect(document, &TDocument::designReset, pane, changed);
  connect(document, &TDocument::fileNameChanged, pane, changed);  // relative pictures move
  // The tree's picture status may have changed (checked again on activation, a thumbnail that
  // could not be made): the pane follows it.
  connect(&pictures_->facts(), &TPictureFacts::changed, pane, &TLivePreviewPane::checkPictures);
  const bool shown = settings::Read(settings::kShowLivePreview);
  ui_->LivePreview1->setChecked(shown);
  livePreview_->setVisible(shown);
  livePreview_->designChanged();
}

void TMainForm::toggleLivePreview() {
  const bool shown = ui_->LivePreview1->isChecked();
  livePreview_->setVisible(shown);
  RunCommand(this, [&] { settings::Write(settings::kShowLivePreview, shown); });
}

TLivePageOptions TMainForm::livePageOptions() const {
  TLivePageOptions options;
  options.programFolder = programFolder_.toStdString();
  // Scaled pictures come from the user's picture cache; when the user keeps none, from one of
  // the pane's own that goes with it.
  options.pictureCache = true;
  const TPublishOptions& publishing = document_->publishOptions();
  if (publishing.pictureCache)
    options.cacheFolder = publishing.pictureCacheFolder;
  else if (livePreview_)
    options.cacheFolder =
        QDir(livePreview_->engine().folder()).filePath("pictures").toStdString() + '/';
  else
    options.pictureCache = false;
  options.madePictures = document_->previewFolder();
  // One core stays with the window.
  options.imageWorkers = static_cast<unsigned>(std::max(1, QThread::idealThreadCount() - 1));
  return options;
}

TLiveDesign TMainForm::liveDesign() const {
  const TDocument& document = *document_;
  TLiveDesign live{document.design(), {}};
  for (int i = 0; i < document.itemCount(); ++i) {
    // Pictures whose contents the tree found unusable (the page checks files and headers).
    const QString path = document.picturePath(i);
    if (!path.isEmpty() && !pictures_->facts().provider().Problem(path).isEmpty())
      live.refusedPictures.insert(path.toStdString());
  }
  return live;
}
