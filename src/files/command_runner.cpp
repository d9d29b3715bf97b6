#include "files/command_runner.h"

#include "platform/shell.h"

namespace pellux {
namespace {

CommandHandler& handler() {
    static CommandHandler instance;
    return instance;
}

bool& recording() {
    static bool on = false;
    return on;
}

void note(const std::string& line) {
    if (recording()) commands_ran().push_back(line);
}

}  // namespace

void set_command_handler(CommandHandler h) { handler() = std::move(h); }
void record_commands(bool on) { recording() = on; }

std::vector<std::string>& commands_ran() {
    static std::vector<std::string> lines;
    return lines;
}

int run_system(const std::string& line) {
    note(line);
    if (handler()) {
        if (auto outcome = handler()(line)) return outcome->status;
    }
    return platform::shell_run(line);
}

std::string run_command_output(const std::string& command) {
    const std::string line = command + " 2>&1";
    note(line);
    if (handler()) {
        if (auto outcome = handler()(line)) return outcome->output;
    }
    std::string output;
    if (!platform::shell_capture(line, output)) return {};
    return output;
}

}  // namespace pellux
