#include "archives/alias_table.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace pellux {
namespace {

using Map = std::map<std::string, std::string>;

class AliasTable : public testing::PelluxTest {};

TEST_F(AliasTable, BuildsBothMapsWithPrefixesLowerCaseKeysAndNothingTrimmed) {
    write_file("tools\\mvcc_file_names.cfg",
               "# heading without an equals sign\r\n"
               "\r\n"
               "mvsc2/F010.BIN=Intro Logo.bin\r\n"
               "Stage01.ARC=Demo Stage\n"
               " sp/ F1 = a b \r\n"
               "=begins with equals\r\n"
               "nothing after=\r\n"
               "menu.arc=Menus/Fonts\r\n"
               "s000.sngw=First\r\n"
               "S000.SNGW=Second\r\n");
    EXPECT_TRUE(load_alias_table());
    EXPECT_EQ(alias_by_name, (Map{{"mvsc2/f010.bin", "Intro Logo.bin"},
                                  {"stage01.arc", "Demo Stage"},
                                  {" sp/ f1 ", " a b "},
                                  {"menu.arc", "Menus/Fonts"},
                                  {"s000.sngw", "Second"}}));
    EXPECT_EQ(name_by_alias, (Map{{"mvsc2/intro logo.bin", "F010.BIN"},
                                  {"demo stage", "Stage01.ARC"},
                                  {" sp/ a b ", " F1 "},
                                  {"menus/fonts", "menu.arc"},
                                  {"first", "s000.sngw"},
                                  {"second", "S000.SNGW"}}));
}

TEST_F(AliasTable, DuplicateAliasInOneFolderStopsLoading) {
    write_file("tools\\mvcc_file_names.cfg",
               "mvsc2/F001.BIN=Logo.bin\n"
               "stage01/F001.BIN=Logo.bin\n"
               "mvsc2/F002.BIN=LOGO.BIN\n"
               "mvsc2/F003.BIN=Never Read.bin\n");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(load_alias_table());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              " ERROR: DUPLICATE FILE NAME FOUND IN ALIAS FILE: \nmvsc2/logo.bin\nF001.BIN\n");
    // The stopping line's forward entry stays; later lines are not read.
    EXPECT_EQ(alias_by_name, (Map{{"mvsc2/f001.bin", "Logo.bin"},
                                  {"stage01/f001.bin", "Logo.bin"},
                                  {"mvsc2/f002.bin", "LOGO.BIN"}}));
    EXPECT_EQ(name_by_alias, (Map{{"mvsc2/logo.bin", "F001.BIN"}, {"stage01/logo.bin", "F001.BIN"}}));
}

TEST_F(AliasTable, MissingFileLeavesTheTableEmpty) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(load_alias_table());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(alias_by_name.empty());
    EXPECT_TRUE(name_by_alias.empty());
}

TEST_F(AliasTable, DisplayNameAddsTheAliasOfTheLastComponent) {
    alias_by_name = {{"s000.sngw", "Stage Theme"}, {"mvsc2/f001.bin", "Logo"}};
    struct Case {
        const char* argument;
        const char* label;
    };
    const Case cases[] = {
        {"game\\nativeDX11x64\\sound\\bgm\\mvc2\\wav\\S000.sngw",
         "game\\nativeDX11x64\\sound\\bgm\\mvc2\\wav\\S000.sngw : Stage Theme"},
        {"s000.sngw", "s000.sngw : Stage Theme"},
        {"backups\\set/s000.sngw", "backups\\set/s000.sngw : Stage Theme"},
        {"s010.sngw", "s010.sngw"},
        {"f001.bin", "f001.bin"},  // member aliases carry a folder prefix and never label a bare file
    };
    for (const auto& c : cases) EXPECT_EQ(alias_display_name(c.argument), c.label) << c.argument;
}

}  // namespace
}  // namespace pellux
