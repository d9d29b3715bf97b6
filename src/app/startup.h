// The entry function: the start-up steps in their order, then the main menu for ever.
#pragma once

#include <string>

namespace pellux {

// Never returns normally: the process ends through the fatal stop (show_banner).
int run_program();

// Puts the terminal in raw mode for the life of the process; it is restored on every way out,
// an exception that nothing caught included.
void hold_terminal();

// The start-up steps before the menu loop: title, settings, page size, game folder, workspace,
// old backup folder, alias table, colours. Ends the program when a required tool file is missing.
void start_up();

// The menu page size a num_menu_items value gives: its leading decimal number (after white space,
// with an optional sign) when that is 10 or more, else 20. Numbers beyond the int range count as
// the largest int, so that they can never wrap into a page size that cannot page.
int page_size_from_setting(const std::string& value);

}  // namespace pellux
