// The Script page: the slider's name, size, scrolling, distances, background colour and borders.
// The name becomes a name in the page's script: only what the script can use is typed, the tip
// under the box says why anything else was not taken, and the names derived from it follow it
// (FollowSliderName).
#pragma once

#include <memory>

#include "DesignPanel.h"

namespace Ui {
class TSliderPanel;
}
class TColorPanel;

class TSliderPanel : public TSliderFieldsPanel {
  Q_OBJECT

 public:
  explicit TSliderPanel(QWidget* parent = nullptr);
  ~TSliderPanel() override;
  void writeShown(TSliderData& slider) const override;
  // The controls the window's hint line follows.
  QList<QWidget*> hintControls() const;

 protected:
  void showSlider() override;

 private:
  std::unique_ptr<Ui::TSliderPanel> ui_;
  QString lastName_;  // the last whole name: an emptied box gets it back when left

  void chooseColour(TColorPanel* panel, std::string TSliderData::*field, const QString& step);
  void setUpName();
  void markName();  // a name the script cannot use shows in red
};
