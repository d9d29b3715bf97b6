#include "app/startup.h"

#include <climits>
#include <cstdlib>
#include <exception>

#include "app/game_location.h"
#include "app/globals.h"
#include "app/main_menu.h"
#include "app/settings.h"
#include "app/workspace.h"
#include "archives/alias_table.h"
#include "backups/backup_sets.h"
#include "console/colors.h"
#include "files/command_runner.h"
#include "platform/terminal.h"

namespace pellux {
namespace {

bool is_white_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// An exception that nothing caught ends the process by abort, which runs no exit handler: the
// terminal must still go back to the user's mode first.
[[noreturn]] void restore_terminal_and_abort() {
    platform::restore_terminal();
    std::abort();
}

}  // namespace

int page_size_from_setting(const std::string& value) {
    std::size_t i = 0;
    while (i < value.size() && is_white_space(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    if (i >= value.size() || value[i] < '0' || value[i] > '9') return 20;
    long long number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        number = number * 10 + (value[i] - '0');
        if (number > INT_MAX) {
            number = INT_MAX;  // saturate; the digits that follow cannot make it smaller
            break;
        }
    }
    if (negative) return 20;  // a negative number is below the minimum, like 9
    // The threshold is 10, though the help line in config.ini names 5.
    return number > 9 ? static_cast<int>(number) : 20;
}

void start_up() {
    run_system("title " + app_title);
    const std::vector<SettingSpec> setting_specs = make_setting_specs();
    settings = read_settings_file(settings_file, setting_specs);
    write_settings_file(settings_file, settings, setting_specs);
    num_menu_items = page_size_from_setting(settings["num_menu_items"]);
    decide_game_folder();
    prepare_workspace();
    migrate_legacy_backup();
    load_alias_table();  // a missing or faulty alias file only costs the readable names
    if (game_found)
        set_colors("bw", "b");
    else
        set_colors("bw", "g");
}

void hold_terminal() {
    std::set_terminate(restore_terminal_and_abort);
    platform::enter_raw_mode();
}

int run_program() {
    // Raw mode first, so that no key typed during start-up is echoed or held back by the line editor.
    hold_terminal();
    start_up();
    for (;;) main_menu();
}

}  // namespace pellux
