// The real binary with its keys piped in: an archive of the game extracted, rebuilt and copied
// back into the game through the archive menus, with the stand-in archive tool.
#include <string>

#include "e2e/e2e_harness.h"
#include "support/test_env.h"

namespace pellux::e2e {
namespace {

using pellux::testing::PelluxTest;
namespace keys = pellux::testing::keys;

std::string u32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return bytes;
}

// A plain IBIS archive of the members "hello" and "abc"; data_at > 64 leaves junk before the data,
// which only a real rebuild (data at 64) takes out again.
std::string ibis_archive(std::uint32_t data_at) {
    std::string bytes = "IBIS" + u32(2) + u32(data_at) + u32(5) + u32(data_at + 5) + u32(3);
    bytes.resize(64, '\0');
    bytes.resize(data_at, 'J');
    return bytes + "hello" + "abc";
}

ProcessResult standin(const fs::path& cwd, const std::string& mode, const fs::path& target) {
    return run_process({ARC_STANDIN_BINARY, mode, "-pc", "-txt", "-v", "7", target.string()}, cwd, "",
                       std::chrono::seconds(10));
}

class E2EArchives : public PelluxTest {};

TEST_F(E2EArchives, ExtractRebuildAndCopyIntoTheGame) {
    make_tools(work_dir);
    write_text(work_dir / "tools" / "mvcc_file_names.cfg", "stage.arc=Demo Stage\r\nstage/F001.BIN=Sky.bin\r\n");
    const fs::path game = make_game(work_dir);
    write_text(work_dir / "config.ini", "steam_path=" + game.string() + "\n");

    // The game's stage.arc: an IBIS archive and a plain file in bin, and a file elsewhere.
    const fs::path staging = work_dir / "staging";
    write_text(staging / "stage" / "bin" / "stage.bin", ibis_archive(100));
    write_text(staging / "stage" / "bin" / "notes.txt", "plain notes");
    write_text(staging / "stage" / "data" / "level.dat", "level bytes");
    ASSERT_EQ(standin(staging, "-c", staging / "stage").exit_status, 0);
    const fs::path game_arc = game / "nativeDX11x64" / "arc" / "pc" / "stage.arc";
    fs::copy_file(staging / "stage.arc", game_arc);
    const std::string original = read_text(game_arc);

    // Extract Steam ARC File, the archive, DONE; Rebuild ARC File, the folder, Copy to Steam,
    // DONE; leave.
    const std::string script = keys::enter + keys::enter + " " + keys::down + keys::down + keys::enter +
                               keys::enter + keys::enter + " " + keys::escape + " ";
    const auto run = run_pellux(work_dir, script, std::chrono::seconds(20));
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);

    const std::string out = strip_escapes(run.out);
    for (const char* text : {"stage.arc : Demo Stage", " ... EXTRACTED 3 FILES FROM ARC ...", "stage : Demo Stage",
                             " ... BUILDING BINARY FILES FROM 'extract\\stage\\bin\\stage.bin' ...",
                             " ... BUILDING extract\\stage.arc ...", "CREATED FILE stage.arc", "Copy to Steam"}) {
        EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
    }
    // notes.txt is no IBIS archive: said on the error stream, and the file stays as it was.
    EXPECT_EQ(run.err, " ... This does not appear to be a MVCC IBIS/AFS file! ... \n");

    // The game now holds the rebuilt archive: the IBIS archive packed anew from its members (the
    // aliased one found again by its alias), the other files as they were.
    EXPECT_EQ(read_text(game_arc), read_text(work_dir / "extract" / "stage.arc"));
    EXPECT_NE(read_text(game_arc), original);
    const fs::path check = work_dir / "check";
    fs::create_directories(check);
    fs::copy_file(game_arc, check / "stage.arc");
    ASSERT_EQ(standin(check, "-x", check / "stage.arc").exit_status, 0);
    EXPECT_EQ(read_text(check / "stage" / "bin" / "stage.bin"), ibis_archive(64));
    EXPECT_EQ(read_text(check / "stage" / "bin" / "notes.txt"), "plain notes");
    EXPECT_EQ(read_text(check / "stage" / "data" / "level.dat"), "level bytes");
    EXPECT_FALSE(fs::exists(work_dir / "log.txt"));
}

}  // namespace
}  // namespace pellux::e2e
