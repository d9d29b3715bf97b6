#include "archives/ibis_codec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "archives/alias_table.h"
#include "console/progress_stream.h"
#include "support/test_env.h"

namespace pellux {
namespace {

std::string u32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return bytes;
}

std::string pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7);
    return bytes;
}

// A plain archive with the given table, in front of the given data.
std::string plain_archive(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& table, const std::string& data) {
    std::string bytes = "IBIS" + u32(static_cast<std::uint32_t>(table.size()));
    for (const auto& [offset, size] : table) bytes += u32(offset) + u32(size);
    if (bytes.size() < 64) bytes.resize(64, '\0');
    return bytes + data;
}

class IbisCodec : public testing::PelluxTest {
protected:
    void SetUp() override {
        PelluxTest::SetUp();
        progress_out.mute();
    }
};

TEST_F(IbisCodec, EntryNamesUseThreeDigitsOrASafeAlias) {
    alias_by_name = {{"mvsc2/f010.bin", "Intro Logo.bin"}, {"stage01/f001.bin", "..\\..\\evil.bin"},
                     {"stage01/f002.bin", "sub/evil.bin"},   {"stage01/f003.bin", ".."},
                     {"stage01/f004.bin", "C:evil.bin"},     {"stage01/f005.bin", "Sky.bin"}};
    struct Case {
        int number;
        const char* base;
        const char* name;
    };
    const Case cases[] = {{5, "STAGE", "F005.BIN"},       {123, "STAGE", "F123.BIN"},
                          {10, "MVSC2", "Intro Logo.bin"}, {10, "STAGE01", "F010.BIN"},
                          {1, "STAGE01", "F001.BIN"},      {2, "STAGE01", "F002.BIN"},
                          {3, "STAGE01", "F003.BIN"},      {4, "STAGE01", "F004.BIN"},
                          {5, "STAGE01", "Sky.bin"}};
    for (const auto& c : cases) EXPECT_EQ(ibis_entry_name(c.number, c.base), c.name) << c.number << " " << c.base;
}

TEST_F(IbisCodec, WritesPlainLayoutToTheByte) {
    write_file("src\\stage01.bin\\f001.bin", "de");
    write_file("src\\stage01.bin\\F000.BIN", "abc");
    write_file("src\\stage01.bin\\readme.txt", "not a member");
    ASSERT_TRUE(create_ibis("src\\stage01.bin", "out.bin"));
    EXPECT_EQ(read_file("out.bin"), plain_archive({{64, 3}, {67, 2}}, "abcde"));
}

TEST_F(IbisCodec, WritesAfsLayoutToTheByte) {
    const std::string m0 = pattern(2048, 'a'), m1 = pattern(2049, 'b'), m2 = "z";
    write_file("src\\MVSC2.BIN\\f000.bin", m0);
    write_file("src\\MVSC2.BIN\\f001.bin", m1);
    write_file("src\\MVSC2.BIN\\f002.bin", m2);
    ASSERT_TRUE(create_ibis("src\\MVSC2.BIN", "out.bin"));

    const std::uint32_t block = 0x80000 + 2048 + 4096 + 2048;
    std::string expected = "IBIS" + u32(1) + u32(64) + u32(block);
    expected.resize(64, '\0');
    expected += std::string("AFS\0", 4) + u32(3) + u32(0x80000) + u32(2048) + u32(0x80800) + u32(2049) +
                u32(0x81800) + u32(1);
    expected.resize(0x80038, '\0');
    expected += u32(block) + u32(42720);
    expected += m0 + m1 + std::string(2047, '\0') + m2 + std::string(2047, '\0');
    EXPECT_EQ(read_file("out.bin").size(), 64 + block);
    EXPECT_EQ(read_file("out.bin"), expected);
}

TEST_F(IbisCodec, PlainArchiveOfMoreThanSevenMembersStartsItsDataAfterTheTable) {
    for (int i = 0; i < 9; ++i) write_file("src\\big.bin\\f00" + std::to_string(i) + ".bin", pattern(10 + i, 'A' + i));
    ASSERT_TRUE(create_ibis("src\\big.bin", "big.bin"));
    const std::string bytes = read_file("big.bin");
    EXPECT_EQ(bytes.substr(8, 8), u32(80) + u32(10));  // 8 + 9 * 8 bytes of table
    EXPECT_EQ(bytes.substr(80, 10), pattern(10, 'A'));
    ASSERT_TRUE(extract_ibis("big.bin", "big"));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(read_file("big\\F00" + std::to_string(i) + ".BIN"), pattern(10 + i, 'A' + i));
}

// Extracting what we wrote and building the folder again gives the same bytes, aliases included.
TEST_F(IbisCodec, RoundTripsBothVariantsWithAliases) {
    alias_by_name = {{"mvsc2/f001.bin", "Intro Logo.bin"}, {"stage01/f000.bin", "Sky.bin"}};
    name_by_alias = {{"mvsc2/intro logo.bin", "F001.BIN"}, {"stage01/sky.bin", "F000.BIN"}};
    for (const std::string name : {"mvsc2", "stage01"}) {
        SCOPED_TRACE(name);
        for (int i = 0; i < 4; ++i) write_file("a\\" + name + ".bin\\f00" + std::to_string(i) + ".bin", pattern(700 * i + 5, 'k'));
        ASSERT_TRUE(create_ibis("a\\" + name + ".bin", name + ".first"));
        ASSERT_TRUE(extract_ibis(name + ".first", "b\\" + name + ".bin"));
        EXPECT_TRUE(exists("b\\" + name + ".bin\\" + (name == "mvsc2" ? "Intro Logo.bin" : "Sky.bin")));
        ASSERT_TRUE(create_ibis("b\\" + name + ".bin", name + ".second"));
        EXPECT_EQ(read_file(name + ".second"), read_file(name + ".first"));
    }
}

TEST_F(IbisCodec, AfsMagicSelectsTheMvsc2NamesWhateverTheFileName) {
    alias_by_name = {{"mvsc2/f000.bin", "Logo.bin"}};
    write_file("src\\mvsc2.bin\\f000.bin", "logo");
    ASSERT_TRUE(create_ibis("src\\mvsc2.bin", "other.bin"));
    ::testing::internal::CaptureStdout();
    progress_out.unmute();
    ASSERT_TRUE(extract_ibis("other.bin", "out"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              " ... EXTRACTING FILE: other.bin-OTHER ... \n ... EXTRACTED: 1 MVSC2 FILE(S) TO out ... \n");
    EXPECT_EQ(read_file("out\\Logo.bin"), "logo");
}

TEST_F(IbisCodec, ProgressLinesOfABuild) {
    write_file("src\\stage01.bin\\f000.bin", "x");
    ::testing::internal::CaptureStdout();
    progress_out.unmute();
    ASSERT_TRUE(create_ibis("src\\stage01.bin", "out.bin"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              " ... CREATING:out.bin ...\n ... FROM src\\stage01.bin (1 FILES) ...\n");
}

TEST_F(IbisCodec, RefusesFoldersThatDoNotNumberCleanly) {
    name_by_alias = {{"stage01/logo.bin", "F001.BIN"}};
    struct Case {
        const char* folder;
        std::vector<std::string> files;
        const char* message;
    };
    const Case cases[] = {
        {"s1\\stage01.bin", {"f000.bin", "f001.bin", "f003.bin"}, "ERROR: Missing file number:2!\n"},
        {"s2\\stage01.bin", {"f001.bin", "f001_copy.bin"}, " ERROR: Duplicate file number: 1 found!\n"},
        {"s3\\stage01.bin", {"f000.bin", "F001.BIN", "Logo.bin"}, " ERROR: Duplicate file number: 1 found!\n"},
        {"s4\\stage01.bin", {"readme.txt"}, " ... ERROR: No Files found! ...\n"},
        {"s5\\stage01", {"f000.bin"}, " ... Unable to determine source from path: stage01 ...\n"},
        {"s6\\.bin", {"f000.bin"}, " ... Unable to determine source from path: .bin ...\n"},
    };
    for (const auto& c : cases) {
        for (const auto& file : c.files) write_file(std::string(c.folder) + "\\" + file, "data");
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(create_ibis(c.folder, "out.bin")) << c.folder;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.message), std::string::npos) << c.folder << ": " << err;
        EXPECT_FALSE(exists("out.bin")) << c.folder;
    }
}

TEST_F(IbisCodec, DuplicateMessageNamesBothFiles) {
    write_file("s\\stage01.bin\\f001.bin", "a");
    write_file("s\\stage01.bin\\F001_Copy.bin", "b");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(create_ibis("s\\stage01.bin", "out.bin"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(err == " ERROR: Duplicate file number: 1 found!\nf001_copy.bin & f001.bin\n" ||
                err == " ERROR: Duplicate file number: 1 found!\nf001.bin & f001_copy.bin\n")
        << err;
}

TEST_F(IbisCodec, AliasNamedMembersNumberThroughTheReverseMap) {
    name_by_alias = {{"stage01/sky.bin", "F000.BIN"}};
    write_file("s\\stage01.bin\\Sky.bin", "sky");
    write_file("s\\stage01.bin\\f001.bin", "one");
    ASSERT_TRUE(create_ibis("s\\stage01.bin", "out.bin"));
    EXPECT_EQ(read_file("out.bin"), plain_archive({{64, 3}, {67, 3}}, "skyone"));
}

// A damaged or hostile archive never makes the reader leave its data, and nothing is written.
TEST_F(IbisCodec, RefusesTablesThatPointOutsideTheFile) {
    struct Case {
        const char* label;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"not ibis", "IBIZ" + std::string(100, '\0'), " ... This does not appear to be a MVCC IBIS/AFS file! ... \n"},
        {"too short", "IBIS", "IS TOO SHORT FOR ITS FILE TABLE"},
        {"count too large", "IBIS" + u32(1000000) + std::string(56, '\0'), "IS TOO SHORT FOR ITS TABLE OF 1000000"},
        {"offset past end", plain_archive({{64, 1}, {5000, 1}}, "ab"), "FILE 1 OF bad.bin LIES OUTSIDE"},
        {"size past end", plain_archive({{64, 3}}, "ab"), "FILE 0 OF bad.bin LIES OUTSIDE"},
        {"offset and size overflow", plain_archive({{0xFFFFFFF0u, 0x20}}, "ab"), "LIES OUTSIDE"},
    };
    for (const auto& c : cases) {
        write_file("bad.bin", c.bytes);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(extract_ibis("bad.bin", "out")) << c.label;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.message), std::string::npos) << c.label << ": " << err;
        EXPECT_FALSE(exists("out")) << c.label;
    }
}

TEST_F(IbisCodec, MissingArchiveIsReported) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extract_ibis("none.bin", "out"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), " Unable to locate file:\nnone.bin\n");
}

// A file where a folder must go: the texts differ between the two writers and the reader.
TEST_F(IbisCodec, OutputThatCannotBeCreatedIsReported) {
    write_file("blocker", "a file, not a folder");
    write_file("src\\stage01.bin\\f000.bin", "x");
    write_file("src\\mvsc2.bin\\f000.bin", "x");
    struct Case {
        const char* source;
        const char* message;
    };
    const Case cases[] = {{"src\\stage01.bin", " ... Error creating Archive file: blocker\\out.bin ...\n"},
                          {"src\\mvsc2.bin", " ... Error creating Archive file ...\n"}};
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(create_ibis(c.source, "blocker\\out.bin")) << c.source;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message) << c.source;
    }

    write_file("stage01.bin", plain_archive({{64, 1}}, "a"));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extract_ibis("stage01.bin", "blocker\\out"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), " ... ERROR CREATING FOLDER blocker\\out ...\n");
    EXPECT_EQ(read_file("blocker"), "a file, not a folder");
}

TEST_F(IbisCodec, ReadErrorEndsOnlyTheExtraction) {
    write_file("folder.bin\\inside", "x");  // a folder where an archive was expected
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extract_ibis("folder.bin", "out"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(err.find("Failed to read the specified number of bytes.") != std::string::npos ||
                err.find("Unable to open file:") != std::string::npos)
        << err;
}

TEST_F(IbisCodec, MembersThatWouldShareANameAreRefused) {
    alias_by_name = {{"stage01/f000.bin", "F001.BIN"}};
    write_file("stage01.bin", plain_archive({{64, 1}, {65, 1}}, "ab"));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(extract_ibis("stage01.bin", "out"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("WOULD BE NAMED F001.BIN"), std::string::npos);
    EXPECT_FALSE(exists("out"));
}

TEST_F(IbisCodec, HeaderTextStopsAtZeroAndAtTheEnd) {
    std::istringstream in(std::string("IBIS\0\0\0\0AF", 10));
    EXPECT_EQ(read_header_text(in, 0, 4), "IBIS");
    EXPECT_EQ(read_header_text(in, 0, 8), "IBIS");
    EXPECT_EQ(read_header_text(in, 8, 3), "AF");
    EXPECT_EQ(read_header_text(in, 1, 3), "BIS");  // the stream is usable after a short read

    // A file shorter than the AFS magic's offset: no text, no error.
    write_file("short.bin", "IBIS");
    std::ifstream file(work_dir / "short.bin", std::ios::binary);
    EXPECT_EQ(read_header_text(file, 64, 3), "");
    EXPECT_EQ(read_header_text(file, 0, 4), "IBIS");
}

TEST_F(IbisCodec, HeaderTextRaisesOnBrokenStreams) {
    struct NoSeek : std::streambuf {
        pos_type seekpos(pos_type, std::ios_base::openmode) override { return pos_type(off_type(-1)); }
    };
    struct BrokenRead : std::streambuf {
        pos_type seekpos(pos_type pos, std::ios_base::openmode) override { return pos; }
        int_type underflow() override { throw std::runtime_error("disk gone"); }
    };
    NoSeek no_seek;
    BrokenRead broken;
    std::istream seek_fails(&no_seek), read_fails(&broken);
    try {
        read_header_text(seek_fails, 64, 3);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to seek to the specified offset.");
    }
    try {
        read_header_text(read_fails, 0, 4);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to read the specified number of bytes.");
    }
}

TEST_F(IbisCodec, PadsToTheNextBoundaryCountedFromTheBase) {
    struct Case {
        std::size_t written;
        std::size_t padding;
    };
    const Case cases[] = {{64, 0}, {65, 2047}, {64 + 2048, 0}, {64 + 2049, 2047}, {64 + 4095, 1}};
    for (const auto& c : cases) {
        std::ostringstream out;
        out << std::string(c.written, 'x');
        pad_to_boundary(out, 2048, 64);
        EXPECT_EQ(out.str(), std::string(c.written, 'x') + std::string(c.padding, '\0')) << c.written;
    }
}

}  // namespace
}  // namespace pellux
