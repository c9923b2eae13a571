// The window's answers to a window manager's pings, from ping_probe (built beside the benchmarks):
// it sends the window a _NET_WM_PING every 20 ms; Longest() is the longest time a ping waited for
// its answer since Start(), -1 without the probe (not built, or no X11 display).
#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

struct TPingProbe {
  QProcess process;
  explicit TPingProbe(QWidget* window) {
    const QString program = QCoreApplication::applicationDirPath() + "/ping_probe";
    if (!QFileInfo(program).isExecutable() || qgetenv("QT_QPA_PLATFORM") != "xcb") return;
    process.start(program, {QString::number(window->winId())});
    process.waitForStarted();
  }
  ~TPingProbe() {
    process.closeWriteChannel();
    if (!process.waitForFinished(2000)) process.kill();
  }
  bool Running() const { return process.state() == QProcess::Running; }
  void Start() {
    if (Running()) process.write("start\n");
  }
  int Longest() {
    if (!Running()) return -1;
    process.write("stop\n");
    process.waitForBytesWritten(1000);
    while (!process.canReadLine() && process.waitForReadyRead(2000)) {
    }
    const QString line = QString::fromLatin1(process.readLine());  // "longest N ms, ..."
    return line.startsWith("longest ") ? line.section(' ', 1, 1).toInt() : -1;
  }
};
