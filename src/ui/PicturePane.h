// The picture pane of the Item page: the selected item's picture at up to 240 pixels, its pixel
// and file size and the size it is published at (its width at the slider's height); with several
// items selected, their thumbnails in a grid that wraps and scrolls, with their count (the
// first kMostDrawn of them are drawn). A picture that cannot be used shows why.
#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class TPicturePane;
}
class TPictureFacts;

class TPicturePane : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPictureBox = 240;
  static constexpr int kSideBySideBox = 64;
  // With many items selected, the thumbnails of the first this many are drawn.
  static constexpr int kMostDrawn = 200;

  explicit TPicturePane(QWidget* parent = nullptr);
  ~TPicturePane() override;

  void setFacts(TPictureFacts* facts);
  // Shows these pictures (one per selected item) for a slider of this height.
  void showPictures(const QStringList& paths, int sliderHeight);

 private:
  void refresh();
  void showOne(const QString& path);
  void showSeveral();

  std::unique_ptr<Ui::TPicturePane> ui_;
  TPictureFacts* facts_ = nullptr;
  QStringList paths_;
  int sliderHeight_ = 0;
  QTimer refresh_;
};
