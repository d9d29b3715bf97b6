// The one fixture every test stands on: a fresh temporary folder as the working folder, the
// process-wide state reset, keys scripted, and every command line recorded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pellux::testing {

// Puts every global of the program back to its state before start-up.
void reset_program_state();

class PelluxTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Keys and lines the program reads, as the bytes a terminal would send; when they run out,
    // keys read as Escape and lines as empty.
    void set_keys(const std::string& bytes);

    // What the operation prints on standard output while it runs.
    std::string output_of(const std::function<void()>& operation);

    // The command runner answers every line itself (status 0, no output), so nothing runs for real.
    void answer_every_command();
    // The same, and each line shows in standard output as "<line>", so that captured screens can
    // be told apart where the screen is cleared.
    void show_commands_in_output();

    // Files relative to the temporary working folder (program text paths, backslashes allowed).
    void write_file(const std::string& path, const std::string& bytes);
    std::string read_file(const std::string& path);
    bool exists(const std::string& path);

    std::filesystem::path work_dir;  // the temporary working folder

private:
    std::filesystem::path previous_dir_;
};

// Key sequences as a terminal sends them.
namespace keys {
inline const std::string up = "\x1b[A";
inline const std::string down = "\x1b[B";
inline const std::string right = "\x1b[C";
inline const std::string left = "\x1b[D";
inline const std::string home = "\x1b[H";
inline const std::string end = "\x1b[F";
inline const std::string page_up = "\x1b[5~";
inline const std::string page_down = "\x1b[6~";
inline const std::string enter = "\r";
inline const std::string escape = "\x1b";
inline const std::string backspace = "\x7f";
}  // namespace keys

}  // namespace pellux::testing
