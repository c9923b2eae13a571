#include "About.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>

#include "DialogFrame.h"
#include "Icons.h"
#include "Launcher.h"
#include "Places.h"
#include "ui_About.h"

QString TAboutBox::homePage(const QString& programFolder) {
  return QDir::toNativeSeparators(
      QString::fromStdString(places::HomePage(programFolder.toStdString())));
}
QString TAboutBox::supportPage(const QString& programFolder) {
  return QDir::toNativeSeparators(
      QString::fromStdString(places::SupportPage(programFolder.toStdString())));
}

TAboutBox::TAboutBox(const QString& programFolder, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TAboutBox>()),
      homePage_(homePage(programFolder)),
      supportPage_(supportPage(programFolder)) {
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
    setLinkColour(link, QPalette::Link);
    link->installEventFilter(this);
  }
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() = default;

// A link in the palette's link colour; under the pointer in its visited-link colour.
void TAboutBox::setLinkColour(QLabel* label, QPalette::ColorRole role) {
  label->setForegroundRole(role);
}

void TAboutBox::openHomePage() { Launcher().OpenDocument(homePage_); }
void TAboutBox::openSupportPage() { Launcher().OpenDocument(supportPage_); }
void TAboutBox::highlightHomePage() { setLinkColour(ui_->Label8, QPalette::LinkVisited); }
void TAboutBox::highlightSupportPage() { setLinkColour(ui_->Label10, QPalette::LinkVisited); }

void TAboutBox::unhighlightLinks() {
  setLinkColour(ui_->Label8, QPalette::Link);
  setLinkColour(ui_->Label10, QPalette::Link);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
  const bool home = watched == ui_->Label8;
  if (home || watched == ui_->Label10) {
    if (event->type() == QEvent::MouseMove) {
      home ? highlightHomePage() : highlightSupportPage();
      return true;
    }
    // Reached with Tab, a link opens with Enter or Space and shows that it has the focus.
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        home ? openHomePage() : openSupportPage();
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
        home ? openHomePage() : openSupportPage();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutBox::mouseMoveEvent(QMouseEvent* event) {
  // Moves over the other labels and the button reach here too; only the bare background counts.
  if (!childAt(event->position().toPoint())) unhighlightLinks();
  QDialog::mouseMoveEvent(event);
}
