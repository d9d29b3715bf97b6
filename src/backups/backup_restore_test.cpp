#include "backups/backup_restore.h"

#include <filesystem>
#include <string>

#include "app/globals.h"
#include "archives/alias_table.h"
#include "files/fs_text.h"
#include "support/test_env.h"

namespace pellux {
namespace {

using testing::keys::down;
using testing::keys::end;
using testing::keys::enter;
using testing::keys::up;

// The set s1 holds more archives than a menu page, so the restore menu pages; the game folder
// holds older versions of some of them.
class BackupRestoreTest : public testing::PelluxTest {
protected:
    static constexpr int kArchives = 22;

    void SetUp() override {
        PelluxTest::SetUp();
        game_folder = "game";
        game_found = true;
        for (int i = 0; i < kArchives; ++i) {
            write_file("backups\\s1\\arc\\" + arc_name(i), "saved " + std::to_string(i));
            write_file("game\\nativeDX11x64\\arc\\pc\\" + arc_name(i), "game " + std::to_string(i));
        }
        write_file("game\\nativeDX11x64\\arc\\pc\\untouched.arc", "game only");
    }

    static std::string arc_name(int i) {
        return "a" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".arc";
    }

    int restored_archives() {
        int count = 0;
        for (int i = 0; i < kArchives; ++i) {
            if (read_file("game\\nativeDX11x64\\arc\\pc\\" + arc_name(i)) == "saved " + std::to_string(i)) ++count;
        }
        return count;
    }

    std::string restore_with_keys(const std::string& bytes) {
        set_keys(bytes);
        return output_of(restore_backup_set);
    }
};

TEST_F(BackupRestoreTest, MenuShowsWholeSetEntriesAndOneLinePerFile) {
    write_file("backups\\s1\\sound\\bgm\\sys\\wav\\x.sngw", "saved music");
    alias_by_name["a07.arc"] = "Training Stage";
    // End shows the second page as well, then Escape leaves.
    const std::string screen = restore_with_keys(enter + end);

    for (const char* line :
         {"Choose what to restore from backup:", "Do Not Restore Any Files",
          "  Restore All Files (All ARC Files & Music Folder)\n", "  Restore All ARC Files\n",
          "  Restore All Music Files\n", "\n INDIVIDUAL ARC FILES\n", "\n INDIVIDUAL MUSIC FILES\n",
          "  Restore backups\\s1\\arc\\a07.arc : Training Stage\n", "  Restore backups\\s1\\arc\\a21.arc\n",
          "Restore backups\\s1\\sound\\bgm\\sys\\wav\\x.sngw", "[NEXT PAGE]", "[PREVIOUS PAGE]"}) {
        EXPECT_NE(screen.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(screen.find("DONE"), std::string::npos);
    EXPECT_EQ(restored_archives(), 0);
}

TEST_F(BackupRestoreTest, RestoringEverythingCreatesMissingMusicFolders) {
    write_file("backups\\s1\\sound\\bgm\\sys\\wav\\x.sngw", "saved music");
    const std::string screen = restore_with_keys(enter + down + enter);
    EXPECT_NE(screen.find(" ... RESTORING ALL FILES ... \n ... RESTORING ARC FILES ... \n"), std::string::npos);
    EXPECT_NE(screen.find(" ... RESTORING MUSIC FILES ... \n"), std::string::npos);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_EQ(restored_archives(), kArchives);
    EXPECT_EQ(read_file("game\\nativeDX11x64\\sound\\bgm\\sys\\wav\\x.sngw"), "saved music");
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\untouched.arc"), "game only");
}

TEST_F(BackupRestoreTest, RestoringOneKindLeavesTheOther) {
    write_file("backups\\s1\\sound\\x.sngw", "saved music");
    std::string screen = restore_with_keys(enter + down + down + enter);
    EXPECT_NE(screen.find(" ... RESTORING ALL ARC FILES ... \n"), std::string::npos);
    EXPECT_EQ(restored_archives(), kArchives);
    EXPECT_FALSE(exists("game\\nativeDX11x64\\sound\\x.sngw"));

    screen = restore_with_keys(enter + down + down + down + enter);
    EXPECT_NE(screen.find(" ... RESTORING ALL MUSIC FILES ... \n"), std::string::npos);
    EXPECT_EQ(read_file("game\\nativeDX11x64\\sound\\x.sngw"), "saved music");
}

TEST_F(BackupRestoreTest, RestoringOneArchiveCopiesOnlyThatOne) {
    write_file("backups\\s1\\sound\\x.sngw", "saved music");
    // Four steps down from the first entry pass the heading onto the first archive.
    const std::string screen = restore_with_keys(enter + down + down + down + down + enter);
    const std::string marker = " ... RESTORING ARC FILE: backups\\s1\\arc\\";
    const auto at = screen.find(marker);
    ASSERT_NE(at, std::string::npos);
    const std::string name = screen.substr(at + marker.size(), screen.find(' ', at + marker.size()) - at - marker.size());
    EXPECT_EQ(restored_archives(), 1);
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\" + name), read_file("backups\\s1\\arc\\" + name));
    EXPECT_FALSE(exists("game\\nativeDX11x64\\sound\\x.sngw"));
}

TEST_F(BackupRestoreTest, RestoringOneMusicFileGoesToTheSoundFolderWhateverItsCase) {
    struct MusicCase {
        const char* saved;
        const char* restored;
    };
    const MusicCase cases[] = {
        {"backups\\s1\\sound\\bgm\\sys\\wav\\x.sngw", "game\\nativeDX11x64\\sound\\bgm\\sys\\wav\\x.sngw"},
        {"backups\\s1\\sound\\bgm\\X.SNGW", "game\\nativeDX11x64\\sound\\bgm\\X.SNGW"},
    };
    for (const auto& c : cases) {
        remove_tree("backups\\s1\\sound");
        write_file(c.saved, std::string("saved ") + c.saved);
        // The last music file sits just above the closing [BACK].
        const std::string screen = restore_with_keys(enter + end + up + enter);
        EXPECT_NE(screen.find(std::string(" ... RESTORING MUSIC FILE: ") + c.saved + " ... \n"), std::string::npos)
            << c.saved;
        EXPECT_EQ(read_file(c.restored), std::string("saved ") + c.saved);
        EXPECT_FALSE(exists("game\\nativeDX11x64\\arc\\pc\\X.SNGW"));
        EXPECT_FALSE(exists("game\\nativeDX11x64\\arc\\pc\\x.sngw"));
        EXPECT_EQ(restored_archives(), 0);
    }
}

TEST_F(BackupRestoreTest, LeavingWithoutAChoiceRestoresNothing) {
    write_file("backups\\s1\\sound\\x.sngw", "saved music");
    for (const std::string& choice : {enter, end + enter, testing::keys::escape}) {
        const std::string screen = restore_with_keys(enter + choice);
        EXPECT_EQ(screen.find("RESTORING"), std::string::npos);
        EXPECT_EQ(screen.find("DONE"), std::string::npos);
    }
    EXPECT_EQ(restored_archives(), 0);
    EXPECT_FALSE(exists("game\\nativeDX11x64\\sound\\x.sngw"));
}

TEST_F(BackupRestoreTest, SetWithoutMusicOrArchivesIsReported) {
    std::string screen = restore_with_keys(enter);
    EXPECT_NE(screen.find("No sound files found in backup folder at:"), std::string::npos);
    EXPECT_NE(screen.find(" backups\\s1\\sound\n"), std::string::npos);
    EXPECT_TRUE(exists("backups\\s1\\sound"));

    write_file("backups\\s2\\sound\\x.sngw", "");
    remove_tree("backups\\s1");
    screen = restore_with_keys(enter);
    EXPECT_NE(screen.find("No ARC files found in backup folder at:"), std::string::npos);
    EXPECT_NE(screen.find(" backups\\s2\\arc\n"), std::string::npos);
    EXPECT_EQ(restored_archives(), 0);
}

class BackupDeleteTest : public testing::PelluxTest {
protected:
    std::string delete_with_keys(const std::string& bytes) {
        set_keys(bytes);
        return output_of(delete_backup_set);
    }
};

TEST_F(BackupDeleteTest, ChosenSetIsDeletedAndNoLongerListed) {
    write_file("backups\\s1\\arc\\a.arc", "one");
    write_file("backups\\s2\\sound\\b.sngw", "two");
    std::string screen = delete_with_keys(enter);
    const std::string marker = " ... DELETED BACKUP FOLDER: ";
    const auto at = screen.find(marker);
    ASSERT_NE(at, std::string::npos);
    const std::string gone = screen.substr(at + marker.size(), 2);
    const std::string kept = gone == "s1" ? "s2" : "s1";
    EXPECT_NE(screen.find(marker + gone + " ... \n"), std::string::npos);
    EXPECT_NE(screen.find(" ... DONE ..."), std::string::npos);
    EXPECT_FALSE(exists("backups\\" + gone));
    EXPECT_TRUE(exists("backups\\" + kept));

    screen = delete_with_keys(testing::keys::escape);
    EXPECT_NE(screen.find(kept), std::string::npos);
    EXPECT_EQ(screen.find(gone), std::string::npos);
    EXPECT_TRUE(exists("backups\\" + kept));

    delete_with_keys(enter);
    screen = delete_with_keys(enter);
    EXPECT_NE(screen.find("No backup folders found in:"), std::string::npos);
    EXPECT_TRUE(exists("backups"));
}

TEST_F(BackupDeleteTest, LinkOutOfBackupsIsNotFollowed) {
    write_file("game\\nativeDX11x64\\arc\\pc\\a.arc", "game file");
    write_file("backups\\.note.info", "");
    std::error_code ec;
    std::filesystem::create_directory_symlink(work_dir / "game", work_dir / "backups" / "link", ec);
    if (ec) GTEST_SKIP() << "no folder links here: " << ec.message();

    ::testing::internal::CaptureStderr();
    delete_with_keys(enter);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Error deleting folder: "), std::string::npos);
    EXPECT_EQ(read_file("game\\nativeDX11x64\\arc\\pc\\a.arc"), "game file");
}

}  // namespace
}  // namespace pellux
