#include "HelpWindow.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBrowser>

#include "DialogFrame.h"
#include "Launcher.h"
#include "ui_HelpWindow.h"

namespace {
// "file:///C|/x" (the form of older Windows programs) as "file:///C:/x".
QUrl Normalised(const QUrl& address) {
  if (!address.isLocalFile() && address.scheme() != QLatin1String("file")) return address;
  QString path = address.path();
  static const QRegularExpression drive(QStringLiteral("^/([A-Za-z])\\|/"));
  path.replace(drive, QStringLiteral("/\\1:/"));
  QUrl url = address;
  url.setPath(path);
  return url;
}

bool IsHelpPage(const QUrl& url) {
  if (!url.isLocalFile() && !url.isRelative() && url.scheme() != QLatin1String("qrc")) return false;
  const QString suffix = QFileInfo(url.path()).suffix().toLower();
  return suffix == QLatin1String("htm") || suffix == QLatin1String("html") || suffix.isEmpty();
}
}  // namespace

TfrmHelp::TfrmHelp(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmHelp>()) {
  ui_->setupUi(this);
  // A tool window with a thin fixed border and a close button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  const QRect designed = geometry();
  frame::FixSize(this);
  frame::MoveOnScreen(this, designed.left(), designed.top());
  place_ = pos();
  connect(ui_->WebBrowser1, &QTextBrowser::anchorClicked, this,
          &TfrmHelp::WebBrowser1AnchorClicked);
}

TfrmHelp::~TfrmHelp() = default;

void TfrmHelp::ShowHelpPage(const QUrl& address) {
  ui_->WebBrowser1->setSource(Normalised(address));
  if (!isVisible()) {
    move(place_);
    show();
  }
  raise();
}

void TfrmHelp::WebBrowser1AnchorClicked(const QUrl& link) {
  const QUrl target = ui_->WebBrowser1->source().resolved(link);
  if (IsHelpPage(target)) {
    ui_->WebBrowser1->setSource(target);
    return;
  }
  Launcher().OpenDocument(target.isLocalFile() ? target.toLocalFile() : target.toString());
}

void TfrmHelp::hideEvent(QHideEvent* event) {
  place_ = pos();
  QDialog::hideEvent(event);
}
