// Start-up check of the tool files and creation of the working folders with their notes.
#pragma once

namespace pellux {

// Ends the program through the fatal stop when a required tool file is missing.
void prepare_workspace();

}  // namespace pellux
