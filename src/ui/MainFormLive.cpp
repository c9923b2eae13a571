// The live preview pane below the property tabs: what it is shown and when it is told.
#include <QDir>
#include <QThread>

#include "LivePreview.h"
#include "LivePreviewEngine.h"
#include "MainForm.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_MainForm.h"

void TMainForm::CreateLivePreview() {
  const QString base = instance_ && instance_->IsPrivate()
                           ? QString::fromStdString(instance_->Path())
                           : QDir::tempPath() + '/';
  livePreview_ =
      new TLivePreviewPane(base + QStringLiteral("live-XXXXXX"), LivePageOptions(), this);
  livePreview_->SetOptions(LivePageOptions());  // now that its folder is known
  livePreview_->SetSource([this] { return LiveDesign(); });
  addDockWidget(Qt::BottomDockWidgetArea, livePreview_);
  connect(livePreview_, &TLivePreviewPane::Closed, this, [this] {
    ui->LivePreview1->setChecked(false);
    LivePreview1Click();
  });
  connect(ui->LivePreview1, &QAction::triggered, this, &TMainForm::LivePreview1Click);
  const bool shown = settings::Read(settings::kShowLivePreview);
  ui->LivePreview1->setChecked(shown);
  livePreview_->setVisible(shown);
  livePreview_->DesignChanged();
}

void TMainForm::LivePreview1Click() {
  const bool shown = ui->LivePreview1->isChecked();
  livePreview_->setVisible(shown);
  RunCommand(this, [&] { settings::Write(settings::kShowLivePreview, shown); });
}

TLivePageOptions TMainForm::LivePageOptions() const {
  TLivePageOptions options;
  options.programFolder = programFolder_.toStdString();
  // Scaled pictures come from the user's picture cache; when the user keeps none, from one of
  // the pane's own that goes with it.
  options.pictureCache = true;
  if (model_->PictureCacheEnabled)
    options.cacheFolder = model_->PictureCacheFolder;
  else if (livePreview_)
    options.cacheFolder =
        QDir(livePreview_->Engine().Folder()).filePath("pictures").toStdString() + '/';
  else
    options.pictureCache = false;
  options.madePictures = model_->PreviewFolder();
  // One core stays with the window.
  options.imageWorkers = static_cast<unsigned>(std::max(1, QThread::idealThreadCount() - 1));
  return options;
}

TLiveDesign TMainForm::LiveDesign() const {
  TLiveDesign design{SliderPanelData(), model_->Items};
  if (EditedItemNode) {
    const int index = treeAdapter_->AbsoluteIndex(EditedItemNode) - 1;
    if (index >= 0 && index < int(design.items.size()))
      design.items[size_t(index)] = ItemPanelData(design.items[size_t(index)]);
  }
  const int nodes = std::min(treeAdapter_->NodeCount() - 1, int(design.items.size()));
  for (int k = 1; k <= nodes; ++k)
    design.items[size_t(k - 1)].ILevel = std::to_string(treeAdapter_->Depth(k) - 1);
  return design;
}

void TMainForm::DesignChanged() {
  if (livePreview_) livePreview_->DesignChanged();
}
