// The command processor. Windows: system() and _popen(), as they are. POSIX: no shell at all;
// the line is split the way the Windows tools split their command line, redirections are applied
// by the runner, and the fixed console commands (CLS, title, color, pause, call, start) are built in.
#pragma once

#include <string>

namespace pellux::platform {

// Runs the line and waits for it; the exit status as system() reports it.
int shell_run(const std::string& line);

// Runs the line with its standard output read through a pipe, in pieces of at most 255 bytes
// joined without loss. False when the command could not be started at all.
bool shell_capture(const std::string& line, std::string& output);

}  // namespace pellux::platform
