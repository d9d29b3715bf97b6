// The hub of the program: built afresh from the start-up flags and the backup sets on disk at
// every showing, shown, and dispatched once per call.
#pragma once

#include <string>
#include <vector>

#include "console/menu.h"

namespace pellux {

// The row the main menu's cursor starts on: the entry chosen last.
inline int main_menu_index = 0;

// The entries for the current state (exposed so that the screen can be checked without drawing it).
std::vector<MenuEntry> main_menu_entries();
std::vector<std::string> main_menu_title_lines();

void main_menu();

}  // namespace pellux
