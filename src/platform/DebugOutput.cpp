#include "DebugOutput.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

namespace debugoutput {

namespace {

QtMessageHandler& Previous() {
  static QtMessageHandler previous = nullptr;
  return previous;
}

// Debug and information messages are for developers; so is everything the web engine and the
// pages' scripts report about themselves.
void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const QByteArray category = context.category ? QByteArray(context.category) : QByteArray();
  const bool engine = category.startsWith("qt.webengine") || category.startsWith("js");
  if (type == QtDebugMsg || type == QtInfoMsg || (engine && type != QtFatalMsg)) return;
  if (Previous()) Previous()(type, context, message);
}

}  // namespace

bool Wanted() { return qEnvironmentVariableIsSet("TORVANE_DEBUG"); }

void QuietenUnlessWanted() {
  if (Wanted()) return;
  // The engine's processes log only what is fatal (a user's own --log-level stays).
  const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--log-level"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --log-level=3").trimmed());
  Previous() = qInstallMessageHandler(Filter);
}

}  // namespace debugoutput
