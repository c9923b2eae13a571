// The Path page: the local and the remote root folder, and which of them the published links
// are written for.
#pragma once

#include <memory>

#include "DesignPanel.h"

namespace Ui {
class TPathPanel;
}

class TPathPanel : public TSliderFieldsPanel {
  Q_OBJECT

 public:
  explicit TPathPanel(QWidget* parent = nullptr);
  ~TPathPanel() override;
  void writeShown(TSliderData& slider) const override;

 protected:
  void showSlider() override;

 private:
  std::unique_ptr<Ui::TPathPanel> ui_;
};
