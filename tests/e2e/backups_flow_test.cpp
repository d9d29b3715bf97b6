// The real binary with its keys piped in: a backup set made from the main menu brings a changed
// game file back when it is restored in a later run.
#include <string>

#include "e2e/e2e_harness.h"
#include "support/test_env.h"

namespace pellux::e2e {
namespace {

using pellux::testing::PelluxTest;
namespace keys = pellux::testing::keys;

class E2EBackups : public PelluxTest {};

TEST_F(E2EBackups, DefaultSetRestoresAChangedGameFile) {
    make_tools(work_dir);
    const fs::path game = make_game(work_dir);
    const fs::path archive = game / "nativeDX11x64" / "arc" / "pc" / "game.arc";
    const fs::path song = game / "nativeDX11x64" / "sound" / "bgm" / "mvc2" / "wav" / "s000.sngw";
    write_text(archive, "original archive");
    write_text(song, "original song");
    write_text(work_dir / "config.ini", "steam_path=" + game.string() + "\n");

    // [QUIT] is the last row; above it "Run Game", then the backup entries. Without a set there is
    // one backup entry: create "[Default]", let the DONE note go, leave.
    auto run = run_pellux(work_dir, keys::end + keys::up + keys::up + keys::enter + keys::enter + "x" + keys::escape);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    std::string plain = strip_escapes(run.out);
    EXPECT_NE(plain.find(" ... BACKING UP 1 ARC FILES ... \n"), std::string::npos) << plain;
    EXPECT_NE(plain.find(" ... BACKING UP 1 MUSIC FILES ... \n"), std::string::npos) << plain;
    EXPECT_EQ(read_text(work_dir / "backups" / "default" / "arc" / "game.arc"), "original archive");
    EXPECT_EQ(read_text(work_dir / "backups" / "default" / "sound" / "bgm" / "mvc2" / "wav" / "s000.sngw"),
              "original song");

    write_text(archive, "changed by a mod");
    write_text(song, "changed by a mod");

    // With a set: create, restore, delete, then "Run Game". Restore the only set, everything in it.
    run = run_pellux(work_dir, keys::end + keys::up + keys::up + keys::up + keys::enter + keys::enter + keys::down +
                                   keys::enter + "x" + keys::escape);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    plain = strip_escapes(run.out);
    EXPECT_NE(plain.find(" ... RESTORING ALL FILES ... \n"), std::string::npos) << plain;
    EXPECT_EQ(read_text(archive), "original archive");
    EXPECT_EQ(read_text(song), "original song");
    EXPECT_TRUE(fs::exists(work_dir / "backups" / "default"));
}

}  // namespace
}  // namespace pellux::e2e
