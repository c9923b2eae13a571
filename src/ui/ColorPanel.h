// A small raised panel whose background is a colour value; clicking it (or Space/Enter while it
// has the focus) asks for a new colour. Screen readers meet it as a button named for what it sets
// and the colour it holds ("Background Color, #203040"), from the label whose buddy it is.
#pragma once

#include <QColor>
#include <QFrame>

class TColorPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TColorPanel(QWidget* parent = nullptr);
  QColor color() const { return color_; }
  void setColor(const QColor& color);
  // What screen readers call it: its label's text (without the mnemonic), then the colour.
  QString spokenName() const;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QColor color_{Qt::white};
};
