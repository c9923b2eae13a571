#include "Icons.h"

#include <array>

// The drawings are compiled into the window library, which is static: its resources must be
// registered by hand before the first use.
static void RegisterIconResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)registered;
}

namespace icons {
namespace {
struct TIconName {
  const char* theme;  // freedesktop icon naming; empty where none fits
  const char* own;    // our drawing in the resources
};

QIcon Load(const TIconName& name) {
  RegisterIconResources();
  const QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name.own)));
  if (!*name.theme) return own;
  return QIcon::fromTheme(QLatin1String(name.theme), own);
}
}  // namespace

QIcon Tool(int index) {
  static const std::array<TIconName, 15> names{{{"document-new", "new"},
                                                {"document-open", "open"},
                                                {"document-save", "save"},
                                                {"edit-cut", "cut"},
                                                {"edit-copy", "copy"},
                                                {"edit-paste", "paste"},
                                                {"", "insert"},
                                                {"", "delete"},
                                                {"go-up", "up"},
                                                {"go-down", "down"},
                                                {"", "build"},
                                                {"", "preview"},
                                                {"help-contents", "help"},
                                                {"edit-undo", "undo"},
                                                {"edit-redo", "redo"}}};
  if (index < 0 || index >= int(names.size())) return {};
  return Load(names[size_t(index)]);
}

QIcon Tree(int index) {
  // Asked for once per tree node: made once, then shared (QIcon is implicitly shared).
  static const QIcon item = Load({"image-x-generic", "item"});
  static const QIcon slider = Load({"", "slider"});
  return index == 0 ? item : slider;
}

QIcon HelpBook() { return Load({"", "help"}); }
QIcon Program() {
  RegisterIconResources();
  return QIcon(QStringLiteral(":/icons/torvane.svg"));
}

}  // namespace icons
