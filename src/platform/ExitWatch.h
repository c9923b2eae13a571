// The last word on ending the process. Once a program has decided to end (its window closed, a
// stop signal), it arms the watch: should the process still be running after the given time,
// because a worker thread is stuck where no request to stop reaches it (a read from a pipe or a
// hung network folder), the watch removes the process's own folders and temporary files and ends
// it with the given status. While `holding` says so (work past its point of no return, replacing
// the files the user sees), the end waits, up to `longestMs`.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace exitwatch {

struct TExitPlan {
  int status = 0;                    // the process's exit status
  int afterMs = 1500;                // how long the ordinary way out may take
  int longestMs = 60000;             // how long `holding` may put off the end
  std::vector<std::string> folders;  // removed with everything in them
  std::function<bool()> holding;     // called on the watch's thread; none: never holds
};

// Starts the watch (once; a later call is ignored). Returns at once.
void Arm(TExitPlan plan);

}  // namespace exitwatch
