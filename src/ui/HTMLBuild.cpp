#include "HTMLBuild.h"

#include <QClipboard>
#include <QGuiApplication>

#include "DialogFrame.h"
#include "ui_HTMLBuild.h"

TformHTML::TformHTML(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TformHTML>()) {
  ui_->setupUi(this);
  // A sizeable tool window with only the close button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  frame::CentreOnScreen(this);
  connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->Button2, &QPushButton::clicked, this, &TformHTML::Button2Click);
  connect(ui_->btnCopyEmbedCode, &QPushButton::clicked, this, &TformHTML::embedCodeRequested);
}

TformHTML::~TformHTML() = default;

void TformHTML::SetLines(const QStringList& lines) {
  ui_->memoHTMLBuild->setPlainText(lines.join('\n'));
}

QStringList TformHTML::Lines() const {
  const QString text = Text();
  if (text.isEmpty()) return {};
  return text.split('\n');
}

QString TformHTML::Text() const { return ui_->memoHTMLBuild->toPlainText(); }

void TformHTML::Button2Click() {
  ui_->memoHTMLBuild->selectAll();
  QGuiApplication::clipboard()->setText(Text());
}
