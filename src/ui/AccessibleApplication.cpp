#include "AccessibleApplication.h"

#include <QAccessibleObject>
#include <QGuiApplication>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QWindow>

namespace accessibleapp {
namespace {

// Qt lists every top-level window of the program as a child of the application, also the hidden
// ones the web engine's views draw their pages through (one window titled "Offscreen" a view):
// a screen reader would find empty frames beside the main window. Those are left out here; their
// content is reached through the view that shows it. The name is the product's, not the
// application name Qt uses for the settings' location.
class TAccessibleApplication : public QAccessibleApplication {
 public:
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? QStringLiteral("Torvane") : QAccessibleApplication::text(t);
  }
  int childCount() const override { return int(Windows().size()); }
  QAccessibleInterface* child(int index) const override {
    const QObjectList windows = Windows();
    return index >= 0 && index < windows.size()
               ? QAccessible::queryAccessibleInterface(windows.at(index))
               : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? int(Windows().indexOf(child->object())) : -1;
  }

 private:
  // The windows' accessible objects, as Qt's own application lists them but for those drawn into
  // another window.
  static QObjectList Windows() {
    QObjectList objects;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
      if (window->type() == Qt::Popup || window->type() == Qt::Desktop) continue;
      if (auto* quick = qobject_cast<QQuickWindow*>(window);
          quick && QQuickRenderControl::renderWindowFor(quick))
        continue;
      if (QAccessibleInterface* root = window->accessibleRoot(); root && root->object())
        objects << root->object();
    }
    return objects;
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  return object && object == QCoreApplication::instance() ? new TAccessibleApplication : nullptr;
}

}  // namespace

void Install() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

}  // namespace accessibleapp
