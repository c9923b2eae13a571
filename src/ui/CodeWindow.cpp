#include "CodeWindow.h"

#include <QClipboard>
#include <QGuiApplication>

#include "DialogFrame.h"
#include "ui_CodeWindow.h"

TCodeWindow::TCodeWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TCodeWindow>()) {
  ui_->setupUi(this);
  // A sizeable tool window with only the close button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  frame::CentreOnScreen(this);
  connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->Button2, &QPushButton::clicked, this, &TCodeWindow::copyToClipboard);
  connect(ui_->btnCopyEmbedCode, &QPushButton::clicked, this, &TCodeWindow::embedCodeRequested);
}

TCodeWindow::~TCodeWindow() = default;

void TCodeWindow::setLines(const QStringList& lines) {
  ui_->memoHTMLBuild->setPlainText(lines.join('\n'));
}

QStringList TCodeWindow::lines() const {
  const QString all = text();
  if (all.isEmpty()) return {};
  return all.split('\n');
}

QString TCodeWindow::text() const { return ui_->memoHTMLBuild->toPlainText(); }

void TCodeWindow::copyToClipboard() {
  ui_->memoHTMLBuild->selectAll();
  QGuiApplication::clipboard()->setText(text());
}
