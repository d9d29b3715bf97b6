#include "backups/backup_sets.h"

#include <string>

#include "app/globals.h"
#include "files/command_runner.h"
#include "files/fs_text.h"
#include "platform/glyphs.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using testing::keys::down;
using testing::keys::enter;

// A game folder with enough archives that every archive menu pages, one archive in a sub-folder
// that must never be taken, and music in nested folders and at the top of the sound folder.
class BackupSetsTest : public testing::PelluxTest {
protected:
    static constexpr int kArchives = 22;

    void SetUp() override {
        PelluxTest::SetUp();
        game_folder = "game";
        game_found = true;
        for (int i = 0; i < kArchives; ++i) write_file(arc_path(i), "arc " + std::to_string(i));
        write_file("game\\nativeDX11x64\\arc\\pc\\sub\\skip.arc", "not taken");
        write_file("game\\nativeDX11x64\\arc\\pc\\notes.txt", "not taken");
        write_file("game\\nativeDX11x64\\sound\\bgm\\sys\\wav\\x.sngw", "music x");
        write_file("game\\nativeDX11x64\\sound\\top.SNGW", "music top");
    }

    static std::string arc_path(int i) {
        return "game\\nativeDX11x64\\arc\\pc\\a" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".arc";
    }

    std::string create_with_keys(const std::string& bytes) {
        set_keys(bytes);
        return output_of(create_backup_set);
    }
};

TEST_F(BackupSetsTest, DefaultSetHoldsTheFlatArchivesAndTheMusicAtTheirPaths) {
    const std::string screen = create_with_keys(enter);

    // A cleared screen, the boxed title, two empty lines, then the counts.
    ASSERT_FALSE(commands_ran().empty());
    EXPECT_EQ(commands_ran().front(), "cls");
    const auto box = screen.find("CREATE BACKUP FILES");
    const auto found = screen.find(platform::box_glyphs().bottom_right +
                                   "\n\n\n ... FOUND 22 ARC FILES ... \n ... FOUND 2 MUSIC FILES ... \n");
    ASSERT_NE(found, std::string::npos) << screen;
    EXPECT_LT(box, found);
    EXPECT_NE(screen.find("Choose a backup name or enter a custom one:"), std::string::npos);
    for (const char* label : {"[Default]", "[Stock]", "[My Mix]", "[Enter Custom Name]", "[BACK]"}) {
        EXPECT_NE(screen.find(label), std::string::npos) << label;
    }
    EXPECT_NE(screen.find(" ... BACKING UP 22 ARC FILES ... \n"), std::string::npos);
    EXPECT_NE(screen.find(" ... BACKING UP 2 MUSIC FILES ... \n"), std::string::npos);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);

    EXPECT_EQ(read_file("backups\\default\\arc\\a00.arc"), "arc 0");
    EXPECT_EQ(read_file("backups\\default\\arc\\a21.arc"), "arc 21");
    EXPECT_EQ(read_file("backups\\default\\sound\\bgm\\sys\\wav\\x.sngw"), "music x");
    EXPECT_EQ(read_file("backups\\default\\sound\\top.SNGW"), "music top");
    EXPECT_FALSE(exists("backups\\default\\arc\\sub"));
    EXPECT_FALSE(exists("backups\\default\\arc\\skip.arc"));
    EXPECT_FALSE(exists("backups\\default\\arc\\notes.txt"));
}

TEST_F(BackupSetsTest, SecondDefaultAsksBeforeOverwritingAndKeepsOtherFiles) {
    create_with_keys(enter);
    write_file(arc_path(0), "newer arc 0");
    write_file("backups\\default\\arc\\extra.arc", "kept");

    // Declining leaves the set as it was.
    std::string screen = create_with_keys(enter + down + enter);
    EXPECT_NE(screen.find("THIS WILL OVERWRITE CURRENT FILES AT: backups\\default\\"), std::string::npos);
    EXPECT_NE(screen.find("Replace Existing Backup Files"), std::string::npos);
    EXPECT_EQ(screen.find("BACKING UP"), std::string::npos);
    EXPECT_EQ(read_file("backups\\default\\arc\\a00.arc"), "arc 0");

    screen = create_with_keys(enter + enter);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_EQ(read_file("backups\\default\\arc\\a00.arc"), "newer arc 0");
    EXPECT_EQ(read_file("backups\\default\\arc\\extra.arc"), "kept");
}

TEST_F(BackupSetsTest, NamedSetsUseTheMenuKeyAsFolder) {
    create_with_keys(down + enter);
    create_with_keys(down + down + enter);
    EXPECT_EQ(read_file("backups\\Stock\\arc\\a03.arc"), "arc 3");
    EXPECT_EQ(read_file("backups\\MyMix\\sound\\top.SNGW"), "music top");
}

TEST_F(BackupSetsTest, CustomNamesAreSanitizedAndDotNamesRefused) {
    enum class Outcome { made, refused, stays_inside };
    struct NameCase {
        const char* typed;
        Outcome outcome;
        const char* folder;
    };
    // Names of dots and blanks only would name backups\ itself or its parent on Windows.
    const NameCase cases[] = {{"CON", Outcome::made, "backups\\CON_\\"},
                              {"a/b", Outcome::made, "backups\\a_b\\"},
                              {"My Set", Outcome::made, "backups\\My Set\\"},
                              {"", Outcome::refused, nullptr},
                              {". .", Outcome::refused, nullptr},
                              {"  ", Outcome::refused, nullptr},
                              {"..", Outcome::stays_inside, nullptr},
                              {".", Outcome::stays_inside, nullptr}};
    for (const auto& c : cases) {
        const std::string screen = create_with_keys(down + down + down + enter + c.typed + "\n");
        EXPECT_NE(screen.find("\n Enter a custom backup name: "), std::string::npos) << c.typed;
        if (c.outcome == Outcome::made) {
            EXPECT_EQ(read_file(std::string(c.folder) + "arc\\a10.arc"), "arc 10") << c.typed;
            EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos) << c.typed;
        } else if (c.outcome == Outcome::refused) {
            EXPECT_EQ(screen.find("BACKING UP"), std::string::npos) << c.typed;
        }
    }
    // Nothing was written beside the sets or into the program folder.
    EXPECT_FALSE(exists("backups\\arc"));
    EXPECT_FALSE(exists("backups\\sound"));
    EXPECT_FALSE(exists("arc"));
    EXPECT_FALSE(exists("sound"));
}

TEST_F(BackupSetsTest, BackOutOfTheNameMenuMakesNothing) {
    const std::string screen = create_with_keys(testing::keys::end + enter);
    EXPECT_EQ(screen.find("BACKING UP"), std::string::npos);
    EXPECT_FALSE(exists("backups\\default"));
}

TEST_F(BackupSetsTest, MissingArchivesOrMusicAreReportedAndNothingIsMade) {
    // Music first: the archives are still there, so only the missing music stops the backup.
    remove_tree("game\\nativeDX11x64\\sound");
    std::string screen = create_with_keys(enter);
    EXPECT_NE(screen.find("No files found in:"), std::string::npos);
    EXPECT_NE(screen.find("game\\nativeDX11x64\\sound"), std::string::npos);
    EXPECT_EQ(screen.find("FOUND"), std::string::npos);

    remove_tree("game\\nativeDX11x64\\arc\\pc");
    screen = create_with_keys(enter);
    EXPECT_NE(screen.find("No ARC files found in:"), std::string::npos);
    EXPECT_NE(screen.find("game\\nativeDX11x64\\arc\\pc"), std::string::npos);

    EXPECT_FALSE(exists("backups\\default"));
}

TEST_F(BackupSetsTest, ChooseBackupFolderListsFoldersOnly) {
    write_file("backups\\loose.arc", "");
    set_keys(enter);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(choose_backup_folder("backups\\", {"RESTORE BACKUP FILES"}), "");
    std::string screen = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(screen.find("No backup folders found in:"), std::string::npos);
    EXPECT_NE(screen.find(" backups\\\n"), std::string::npos);

    // A set called "back" is a set like any other, not the way out.
    write_file("backups\\back\\arc\\a.arc", "");
    set_keys(enter);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(choose_backup_folder("backups\\", {"RESTORE BACKUP FILES"}), "back");
    screen = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(screen.find("Choose a backup folder:"), std::string::npos);
    EXPECT_NE(screen.find("[BACK]"), std::string::npos);

    set_keys(down + enter);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(choose_backup_folder("backups\\", {"RESTORE BACKUP FILES"}), "");
    ::testing::internal::GetCapturedStdout();
}

class LegacyBackupTest : public testing::PelluxTest {};

TEST_F(LegacyBackupTest, NothingHappensWithoutTheOldFolders) {
    write_file("backup\\readme.info", "");
    migrate_legacy_backup();
    EXPECT_FALSE(exists("backups\\default"));
    EXPECT_TRUE(exists("backup\\readme.info"));
}

TEST_F(LegacyBackupTest, MovesBothFoldersAndRemovesTheEmptiedOldFolder) {
    write_file("backup\\arc\\a.arc", "old arc");
    write_file("backup\\sound\\bgm\\s.sngw", "old music");
    write_file("backup\\readme.info", "");
    migrate_legacy_backup();
    EXPECT_EQ(read_file("backups\\default\\arc\\a.arc"), "old arc");
    EXPECT_EQ(read_file("backups\\default\\sound\\bgm\\s.sngw"), "old music");
    EXPECT_FALSE(exists("backup"));

    migrate_legacy_backup();  // later starts find nothing to do
    EXPECT_EQ(read_file("backups\\default\\arc\\a.arc"), "old arc");
}

TEST_F(LegacyBackupTest, OldFolderWithOtherFilesStaysWithANote) {
    write_file("backup\\sound\\s.sngw", "old music");
    write_file("backup\\readme.INFO", "");
    write_file("backup\\other.txt", "mine");
    migrate_legacy_backup();
    EXPECT_EQ(read_file("backups\\default\\sound\\s.sngw"), "old music");
    EXPECT_FALSE(exists("backup\\readme.INFO"));
    EXPECT_EQ(read_file("backup\\other.txt"), "mine");
    EXPECT_TRUE(exists("backup\\THIS FOLDER IS NO LONGER NEEDED.TXT"));
}

TEST_F(LegacyBackupTest, RefusedRenameKeepsBothCopies) {
    write_file("backup\\arc\\a.arc", "old arc");
    write_file("backups\\default\\arc\\b.arc", "newer set");
    migrate_legacy_backup();
    EXPECT_EQ(read_file("backup\\arc\\a.arc"), "old arc");
    EXPECT_EQ(read_file("backups\\default\\arc\\b.arc"), "newer set");
    EXPECT_TRUE(exists("backup\\THIS FOLDER IS NO LONGER NEEDED.TXT"));
}

}  // namespace
}  // namespace pellux
