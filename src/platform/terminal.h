// Keys and lines from the console. read_key gives the codes of the Windows console's unbuffered
// read: extended keys as 224 followed by a second code (Up 72, Down 80, Left 75, Right 77, Home 71,
// End 79, Page Up 73, Page Down 81), Enter 13, Escape 27, Backspace 8.
#pragma once

#include <string>

namespace pellux::platform {

// Raw mode on a POSIX terminal, restored on every way out; nothing to do on Windows.
void enter_raw_mode();
void restore_terminal();

int read_key();
bool key_waiting();
// Blocks until a key is waiting or the time is up; true when a key is waiting.
bool wait_for_key(int milliseconds);
// One line without its line end; echoed while it is typed.
std::string read_line();

// Tests: keys and lines come from these bytes, decoded as a piped standard input would be
// (end of the bytes reads as Escape for keys and as an empty line for read_line).
void set_scripted_input(const std::string& bytes);
void clear_scripted_input();

}  // namespace pellux::platform
