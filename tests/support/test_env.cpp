#include "support/test_env.h"

#include <atomic>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "app/main_menu.h"
#include "console/colors.h"
#include "console/menu.h"
#include "console/progress_stream.h"
#include "files/command_runner.h"
#include "platform/native_path.h"
#include "platform/terminal.h"

namespace pellux::testing {

void reset_program_state() {
    settings.clear();
    num_menu_items = 20;
    game_folder.clear();
    game_found = false;
    ffmpeg_found = false;
    last_menu_index = 0;
    main_menu_index = 0;
    console_colors = make_console_colors();
    alias_by_name.clear();
    name_by_alias.clear();
    progress_out.unmute();
    set_command_handler(nullptr);
    commands_ran().clear();
    record_commands(true);
    platform::set_scripted_input("");
}

// A death test's child process runs the test again with its own counter; without a tag of its own
// it would take the parent's folder (and on Windows fail to remove it, as it is the parent's
// working folder).
static const std::string& process_tag() {
    static const std::string tag = std::to_string(std::random_device{}());
    return tag;
}

void PelluxTest::SetUp() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (auto& c : name) {
        if (c == '/') c = '_';
    }
    previous_dir_ = std::filesystem::current_path();
    work_dir = std::filesystem::temp_directory_path() /
               ("pellux_test_" + std::to_string(counter++) + "_" + process_tag() + "_" + name);
    std::filesystem::remove_all(work_dir);
    std::filesystem::create_directories(work_dir);
    std::filesystem::current_path(work_dir);
    reset_program_state();
}

void PelluxTest::TearDown() {
    std::filesystem::current_path(previous_dir_);
    std::error_code ec;
    std::filesystem::remove_all(work_dir, ec);
    reset_program_state();
    record_commands(false);
}

void PelluxTest::set_keys(const std::string& bytes) { platform::set_scripted_input(bytes); }

std::string PelluxTest::output_of(const std::function<void()>& operation) {
    ::testing::internal::CaptureStdout();
    operation();
    return ::testing::internal::GetCapturedStdout();
}

void PelluxTest::answer_every_command() {
    set_command_handler([](const std::string&) -> std::optional<CommandOutcome> { return CommandOutcome{}; });
}

void PelluxTest::show_commands_in_output() {
    set_command_handler([](const std::string& line) -> std::optional<CommandOutcome> {
        std::cout << "<" << line << ">\n";
        return CommandOutcome{};
    });
}

void PelluxTest::write_file(const std::string& path, const std::string& bytes) {
    const auto native = platform::to_native_path(path);
    if (native.has_parent_path()) std::filesystem::create_directories(native.parent_path());
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string PelluxTest::read_file(const std::string& path) {
    std::ifstream in(platform::to_native_path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool PelluxTest::exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(platform::to_native_path(path), ec);
}

}  // namespace pellux::testing
