#include "HelpWindow.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>

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

// A page of the help folder (the folder of the page shown) is shown here; anything else, such as
// the samples, which run a script this viewer does not, goes to the browser.
bool IsHelpPage(const QUrl& url, const QUrl& shown) {
  if (!url.isLocalFile() && !url.isRelative() && url.scheme() != QLatin1String("qrc")) return false;
  const QString suffix = QFileInfo(url.path()).suffix().toLower();
  if (suffix != QLatin1String("htm") && suffix != QLatin1String("html") && !suffix.isEmpty())
    return false;
  return !url.isLocalFile() || !shown.isLocalFile() ||
         QFileInfo(url.toLocalFile()).absolutePath() ==
             QFileInfo(shown.toLocalFile()).absolutePath();
}

// Where the window first appears (and its place when the screen allows).
constexpr int kLeft = 265;
constexpr int kTop = 180;
}  // namespace

THelpWindow::THelpWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::THelpWindow>()) {
  ui_->setupUi(this);
  // A tool window with a thin fixed border and a close button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  frame::FixSize(this);
  frame::MoveOnScreen(this, kLeft, kTop);
  place_ = pos();
  connect(ui_->WebBrowser1, &QTextBrowser::anchorClicked, this, &THelpWindow::followLink);
  ui_->tlbtnHelpBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  ui_->tlbtnHelpForward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
  connect(ui_->tlbtnHelpBack, &QToolButton::clicked, ui_->WebBrowser1, &QTextBrowser::backward);
  connect(ui_->tlbtnHelpForward, &QToolButton::clicked, ui_->WebBrowser1, &QTextBrowser::forward);
  connect(ui_->WebBrowser1, &QTextBrowser::backwardAvailable, ui_->tlbtnHelpBack,
          &QToolButton::setEnabled);
  connect(ui_->WebBrowser1, &QTextBrowser::forwardAvailable, ui_->tlbtnHelpForward,
          &QToolButton::setEnabled);
}

THelpWindow::~THelpWindow() = default;

void THelpWindow::showPage(const QUrl& address) {
  ui_->WebBrowser1->setSource(Normalised(address));
  if (!isVisible()) {
    move(place_);
    show();
  }
  // In front with the focus, so the page can be read and scrolled by keyboard at once.
  raise();
  activateWindow();
  ui_->WebBrowser1->setFocus();
}

void THelpWindow::followLink(const QUrl& link) {
  const QUrl target = ui_->WebBrowser1->source().resolved(link);
  if (IsHelpPage(target, ui_->WebBrowser1->source())) {
    ui_->WebBrowser1->setSource(target);
    return;
  }
  Launcher().OpenDocument(target.isLocalFile() ? target.toLocalFile() : target.toString());
}

void THelpWindow::hideEvent(QHideEvent* event) {
  place_ = pos();
  QDialog::hideEvent(event);
}
