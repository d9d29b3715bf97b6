// The real binary in a real terminal (a tmux pane): raw keys, the highlighted row, and the
// terminal's settings put back however the program ends.
#include <signal.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "support/test_env.h"

namespace pellux::e2e {
namespace {

using pellux::testing::PelluxTest;
using namespace std::chrono_literals;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The label drawn in the highlight colours on the pane, or empty.
std::string highlighted_row(TmuxSession& tmux) {
    std::stringstream screen(tmux.capture(true));
    std::string line;
    while (std::getline(screen, line)) {
        const std::string text = highlighted_text(line);
        if (!text.empty()) return text;
    }
    return "";
}

bool highlight_becomes(TmuxSession& tmux, const std::string& label) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    do {
        if (highlighted_row(tmux) == label) return true;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

// One run of the program in a pane of its own. The pane runs a small script: the terminal's
// settings are noted before the program starts and after it ends, and the pane then stays open
// (for a bounded time) until the run is released.
struct PaneRun {
    fs::path dir;
    TmuxSession tmux;

    explicit PaneRun(const fs::path& folder) : dir(folder) {
        make_tools(dir);
        fs::create_directories(dir / "home");
        write_text(dir / "run.sh",
                   "cd \"$1\" || exit 1\n"
                   "stty -g > stty_before.txt\n"
                   "HOME=\"$1/home\" sh -c 'echo $$ > pellux.pid; exec \"$0\"' \"$2\" 2> stderr.txt\n"
                   "echo $? > status.txt\n"
                   "stty -a > stty_after_all.txt\n"
                   "stty -g > stty_after.txt\n"
                   "i=0; while [ ! -f release ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n");
    }
    ~PaneRun() { write_text(dir / "release", "1"); }

    bool start() {
        const std::string command =
            "sh '" + (dir / "run.sh").string() + "' '" + dir.string() + "' '" + PELLUX_BINARY + "'";
        return tmux.start(command, 100, 40) && tmux.wait_for_text("[QUIT]");
    }

    void expect_terminal_restored() {
        ASSERT_TRUE(wait_for_file(dir / "stty_after.txt")) << tmux.capture();
        EXPECT_EQ(read_text(dir / "stty_after.txt"), read_text(dir / "stty_before.txt"));
        const std::string settings = read_text(dir / "stty_after_all.txt");
        EXPECT_EQ(settings.find("-icanon"), std::string::npos) << settings;
        EXPECT_EQ(settings.find("-echo "), std::string::npos) << settings;
    }
};

class E2ETerminal : public PelluxTest {};

TEST_F(E2ETerminal, ArrowKeysMoveTheHighlightAndEscapeQuitsRestoringTheTerminal) {
    PaneRun run(work_dir);
    ASSERT_TRUE(run.start()) << run.tmux.capture();
    TmuxSession& tmux = run.tmux;
    EXPECT_EQ(highlighted_row(tmux), "Extract Backup ARC Files");

    // While the menu waits, the terminal is in raw mode: no line editing, no echo.
    const auto during = run_process({find_program("stty"), "-F", tmux.pane_tty(), "-a"}, work_dir, "", 5s);
    EXPECT_NE(during.out.find("-icanon"), std::string::npos) << during.out;
    EXPECT_NE(during.out.find("-echo "), std::string::npos) << during.out;

    const std::vector<std::pair<std::string, std::string>> moves = {
        {"Down", "Rebuild ARC File"},
        {"Down", "Convert Music For Game [music\\]"},  // past the heading
        {"Up", "Rebuild ARC File"},
        {"End", "[QUIT]"},
        {"Home", "Extract Backup ARC Files"},
        {"Up", "[QUIT]"},  // from the first entry to the last
        {"Down", "Extract Backup ARC Files"},
    };
    for (const auto& [key, label] : moves) {
        tmux.send_keys({key});
        EXPECT_TRUE(highlight_becomes(tmux, label)) << key << " should highlight " << label << "\n"
                                                    << tmux.capture();
    }

    tmux.send_keys({"Escape"});
    ASSERT_TRUE(tmux.wait_for_text("Press any key to continue... (Timeout in 5 seconds)")) << tmux.capture();
    tmux.send_keys({"Enter"});
    run.expect_terminal_restored();
    EXPECT_EQ(trimmed(read_text(work_dir / "status.txt")), "1");
}

TEST_F(E2ETerminal, EndingBySignalRestoresTheTerminal) {
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE("signal " + std::to_string(sig));
        PaneRun run(work_dir / std::to_string(sig));
        ASSERT_TRUE(run.start()) << run.tmux.capture();
        const int pid = std::atoi(read_text(run.dir / "pellux.pid").c_str());
        ASSERT_GT(pid, 0);
        ASSERT_EQ(kill(pid, sig), 0);
        run.expect_terminal_restored();
    }
}

}  // namespace
}  // namespace pellux::e2e
