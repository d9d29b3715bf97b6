// The entry function: the start-up steps in their order, then the main menu for ever.
#pragma once

namespace pellux {

// Never returns normally: the process ends through the fatal stop (show_banner).
int run_program();

}  // namespace pellux
