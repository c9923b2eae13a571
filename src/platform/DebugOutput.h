// What the window program prints on its terminal: nothing of its own and nothing of the web
// engine's chatter (its start-up report, its child processes' logging), unless TORVANE_DEBUG is
// set in the environment. Warnings and errors of our own code still reach the terminal.
#pragma once

namespace debugoutput {

// True when TORVANE_DEBUG is set: everything reaches the terminal.
bool Wanted();
// Call first thing in main, before the application object and the web engine exist.
void QuietenUnlessWanted();

}  // namespace debugoutput
