// Opening documents and web addresses with the desktop's default handler, and starting a program
// with one argument. Everything the program hands to the desktop goes through Launcher(), which
// tests replace so that no real program is ever started.
//
// A launch that cannot start, or whose program ends at once with an error (a browser that refuses
// to run, an opener that finds no browser), is reported to the failure handler the window sets,
// so that it never fails unseen.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // A local file path or a web address, opened by the program the desktop associates with it.
  virtual void OpenDocument(const QString& pathOrUrl) = 0;
  // Starts `program` with `argument` as its single argument (passed as one, blanks and all).
  virtual void StartProgram(const QString& program, const QString& argument) = 0;
  // Runs a desktop tool in the background; how it ends is nobody's concern (nothing is reported).
  virtual void RunTool(const QString& program, const QStringList& arguments) {
    StartProgram(program, arguments.value(0));
  }
};

// The launcher in use: the desktop's, unless a test has set its own.
ILauncher& Launcher();
// Tests: use this launcher from now on (null: the desktop's again). Not owned.
void SetLauncher(ILauncher* launcher);

// A launch that went wrong.
struct TLaunchFailure {
  QString program;      // what was started (the opener for a document)
  QString target;       // the document, address or argument it was given
  int exitStatus = -1;  // how the program ended; -1: it could not be started or crashed
  QString problem;      // why, when it could not be started or crashed
};
// Where failures go (the window shows them); none: they are dropped. Called on the thread the
// launch was made on, from its event loop, possibly after the launching call has returned.
void SetLaunchFailureHandler(std::function<void(const TLaunchFailure&)> handler);
void ReportLaunchFailure(const TLaunchFailure& failure);

// How long a started program is watched: ending with an error within this time counts as a failed
// launch. Later it is on its own (a browser the user closes is no failure of ours).
constexpr int kLaunchWatchMilliseconds = 5000;
// Starts `program` with `arguments`, detached from our terminal (no pipes), and reports it to the
// failure handler when it cannot be started or ends with a non-zero exit status within
// kLaunchWatchMilliseconds (`target` names what it was to open). The program outlives us.
void StartWatched(const QString& program, const QStringList& arguments, const QString& target);
