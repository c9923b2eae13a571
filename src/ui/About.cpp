#include "About.h"

#include <QMouseEvent>

#include "DialogFrame.h"
#include "Icons.h"
#include "Launcher.h"
#include "ui_About.h"

const QString TformAbout::kHomePage = QStringLiteral("https://www.torvane.example/");
const QString TformAbout::kSupportPage = QStringLiteral("https://www.torvane.example/support/");

TformAbout::TformAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TformAbout>()) {
  ui_->setupUi(this);
  // A fixed box with only the close button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Torvane"));
  setWindowIcon(icons::Program());
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  // The pointer over the box's own background turns the links blue again.
  setMouseTracking(true);

  ui_->Image1->setPixmap(icons::Program().pixmap(32, 32));
  ui_->lblProductName->setText(QStringLiteral("Torvane"));
  ui_->lblProductVersion->setText(QStringLiteral("Version 1.1"));
  ui_->Label8->setText(kHomePage);
  ui_->Label10->setText(kSupportPage);
  for (QLabel* link : {ui_->Label8, ui_->Label10}) {
    SetLinkColour(link, Qt::blue);
    link->installEventFilter(this);
  }
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TformAbout::~TformAbout() = default;

void TformAbout::SetLinkColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

void TformAbout::Label8Click() { Launcher().OpenDocument(kHomePage); }
void TformAbout::Label10Click() { Launcher().OpenDocument(kSupportPage); }
void TformAbout::Label8MouseMove() { SetLinkColour(ui_->Label8, Qt::red); }
void TformAbout::Label10MouseMove() { SetLinkColour(ui_->Label10, Qt::red); }

void TformAbout::FormMouseMove() {
  SetLinkColour(ui_->Label8, Qt::blue);
  SetLinkColour(ui_->Label10, Qt::blue);
}

bool TformAbout::eventFilter(QObject* watched, QEvent* event) {
  const bool home = watched == ui_->Label8;
  if (home || watched == ui_->Label10) {
    if (event->type() == QEvent::MouseMove) {
      home ? Label8MouseMove() : Label10MouseMove();
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton &&
          static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
        home ? Label8Click() : Label10Click();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TformAbout::mouseMoveEvent(QMouseEvent* event) {
  // Moves over the other labels and the button reach here too; only the bare background counts.
  if (!childAt(event->position().toPoint())) FormMouseMove();
  QDialog::mouseMoveEvent(event);
}
