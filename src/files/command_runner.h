// Every outside program and every console effect is a command line handed to the command
// processor. Tests can observe each line and stand in for its execution.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellux {

// Runs the line and waits; returns the exit status as system() reports it.
int run_system(const std::string& line);

// Appends " 2>&1", runs the line and returns everything it printed (empty when it could not start).
std::string run_command_output(const std::string& line);

// Test seam. A handler sees every line (run_command_output's with " 2>&1" already appended) and
// may answer it instead of the command processor by returning an outcome.
struct CommandOutcome {
    int status = 0;
    std::string output;
};
using CommandHandler = std::function<std::optional<CommandOutcome>(const std::string& line)>;
void set_command_handler(CommandHandler handler);  // an empty handler restores real execution

// While recording is on, every line handed to the runner is appended to commands_ran().
void record_commands(bool on);
std::vector<std::string>& commands_ran();

}  // namespace pellux
