// Opening documents and web addresses with the desktop's default handler, and starting a program
// with one argument. Everything the program hands to the desktop goes through Launcher(), which
// tests replace so that no real program is ever started.
#pragma once

#include <QString>

class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // A local file path or a web address, opened by the program the desktop associates with it.
  virtual void OpenDocument(const QString& pathOrUrl) = 0;
  // Starts `program` with `argument` as its single argument (passed as one, blanks and all).
  virtual void StartProgram(const QString& program, const QString& argument) = 0;
};

// The launcher in use: the desktop's, unless a test has set its own.
ILauncher& Launcher();
// Tests: use this launcher from now on (null: the desktop's again). Not owned.
void SetLauncher(ILauncher* launcher);
