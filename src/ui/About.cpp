#include "About.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>

#include "DialogFrame.h"
#include "Icons.h"
#include "Launcher.h"
#include "Places.h"
#include "ui_About.h"

QString TformAbout::HomePage(const QString& programFolder) {
  return QDir::toNativeSeparators(
      QString::fromStdString(places::HomePage(programFolder.toStdString())));
}
QString TformAbout::SupportPage(const QString& programFolder) {
  return QDir::toNativeSeparators(
      QString::fromStdString(places::SupportPage(programFolder.toStdString())));
}

TformAbout::TformAbout(const QString& programFolder, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TformAbout>()),
      homePage_(HomePage(programFolder)),
      supportPage_(SupportPage(programFolder)) {
  ui_->setupUi(this);
  // A fixed box with only the close button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Torvane"));
  setWindowIcon(icons::Program());
  // Every colour comes from the palette, so the box reads under a dark theme too.
  setAutoFillBackground(true);
  // The pointer over the box's own background turns the links blue again.
  setMouseTracking(true);

  ui_->Image1->setPixmap(icons::Program().pixmap(32, 32));
  ui_->lblProductName->setText(QStringLiteral("Torvane"));
  ui_->lblProductVersion->setText(tr("Version 1.1"));
  // The program's own help pages: installed with it, they open wherever it runs.
  ui_->Label8->setText(tr("Torvane Help"));
  ui_->Label10->setText(tr("Help and support"));
  ui_->Label8->setToolTip(homePage_);
  ui_->Label10->setToolTip(supportPage_);
  for (QLabel* link : {ui_->Label8, ui_->Label10}) {
    SetLinkColour(link, QPalette::Link);
    link->installEventFilter(this);
  }
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TformAbout::~TformAbout() = default;

// A link in the palette's link colour; under the pointer in its visited-link colour.
void TformAbout::SetLinkColour(QLabel* label, QPalette::ColorRole role) {
  label->setForegroundRole(role);
}

void TformAbout::Label8Click() { Launcher().OpenDocument(homePage_); }
void TformAbout::Label10Click() { Launcher().OpenDocument(supportPage_); }
void TformAbout::Label8MouseMove() { SetLinkColour(ui_->Label8, QPalette::LinkVisited); }
void TformAbout::Label10MouseMove() { SetLinkColour(ui_->Label10, QPalette::LinkVisited); }

void TformAbout::FormMouseMove() {
  SetLinkColour(ui_->Label8, QPalette::Link);
  SetLinkColour(ui_->Label10, QPalette::Link);
}

bool TformAbout::eventFilter(QObject* watched, QEvent* event) {
  const bool home = watched == ui_->Label8;
  if (home || watched == ui_->Label10) {
    if (event->type() == QEvent::MouseMove) {
      home ? Label8MouseMove() : Label10MouseMove();
      return true;
    }
    // Reached with Tab, a link opens with Enter or Space and shows that it has the focus.
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        home ? Label8Click() : Label10Click();
        return true;
      }
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
      auto* label = static_cast<QLabel*>(watched);
      QFont font = label->font();
      font.setUnderline(event->type() == QEvent::FocusIn);
      label->setFont(font);
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
