#include "platform/key_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/input_buffer.h"
#include "platform/terminal.h"
#include "support/test_env.h"

namespace pellux::platform {
namespace {

using ::testing::ElementsAre;

class KeyDecoderTest : public pellux::testing::PelluxTest {};

// Every code the bytes give when nothing follows them.
std::vector<int> codes_of(const std::string& bytes) {
    InputBuffer in;
    in.bytes = bytes;
    std::vector<int> codes;
    while (!in.bytes.empty() || !in.codes.empty()) codes.push_back(next_key(in, no_more_bytes, -1));
    return codes;
}

// The codes the decoder alone makes of the bytes, key by key.
std::vector<int> decoded(std::string_view bytes) {
    std::vector<int> codes;
    while (!bytes.empty()) {
        const DecodedKey key = decode_key(bytes, false);
        codes.insert(codes.end(), key.codes.begin(), key.codes.end());
        bytes.remove_prefix(key.length);
    }
    return codes;
}

TEST_F(KeyDecoderTest, DecodesEveryCaseOfTheKeyTable) {
    std::ifstream file(PELLUX_SOURCE_DIR "/tests/fixtures/keys.json");
    const auto table = nlohmann::json::parse(file);
    ASSERT_GT(table["cases"].size(), 30u);
    for (const auto& c : table["cases"]) {
        const std::string bytes = c["bytes"];
        std::vector<int> codes = decoded(bytes);
        if (codes.empty() && c.value("eof", false)) {
            InputBuffer in;
            codes.push_back(next_key(in, no_more_bytes, -1));
        }
        EXPECT_EQ(codes, c["codes"].get<std::vector<int>>()) << ::testing::PrintToString(bytes);
    }
}

TEST_F(KeyDecoderTest, WaitsForTheRestOfAStartedSequence) {
    for (const char* partial : {"\x1b", "\x1b[", "\x1bO", "\x1b[1;", "\x1b[5", "\x1b[["}) {
        EXPECT_EQ(decode_key(partial, true).length, 0u) << ::testing::PrintToString(partial);
    }
    // Decided without more bytes: a lone Escape, or the cut-off sequence swallowed.
    EXPECT_THAT(decode_key("\x1b", false).codes, ElementsAre(27));
    const DecodedKey cut = decode_key("\x1b[1;", false);
    EXPECT_TRUE(cut.codes.empty());
    EXPECT_EQ(cut.length, 4u);
}

TEST_F(KeyDecoderTest, SwallowsUnknownSequencesWithoutLeakingLetters) {
    // Shift+Tab, F1 in both forms, the Linux console's F1, a focus report.
    EXPECT_THAT(codes_of("\x1b[Z\x1bOP\x1b[11~\x1b[[A\x1b[Iq"), ElementsAre('q'));
    // A control byte ends a sequence and is a key of its own.
    EXPECT_THAT(codes_of("\x1b[1\r"), ElementsAre(13));
    EXPECT_THAT(codes_of("\x1b[\x1b[B"), ElementsAre(224, 80));
}

TEST_F(KeyDecoderTest, BytesAboveAsciiArePassedOnAsTheyAre) {
    EXPECT_THAT(codes_of("\xc3\xa9"), ElementsAre(0xc3, 0xa9));
}

// A source that hands out prepared pieces, one per read, and then times out or ends.
struct ScriptedSource {
    ScriptedSource(std::vector<std::string> p, bool e = false) : pieces(std::move(p)), ends(e) {}
    std::vector<std::string> pieces;
    bool ends;
    std::vector<int> timeouts;  // the time each read was allowed to wait
    FillResult operator()(std::string& bytes, int timeout_ms) {
        timeouts.push_back(timeout_ms);
        if (pieces.empty()) return ends ? FillResult::at_end : FillResult::timed_out;
        bytes += pieces.front();
        pieces.erase(pieces.begin());
        return FillResult::got_bytes;
    }
};

TEST_F(KeyDecoderTest, EscapeWithNothingAfterItWithinTheWaitIsALoneEscape) {
    ScriptedSource source{{"\x1b"}};
    InputBuffer in;
    ByteSource read = std::ref(source);
    EXPECT_EQ(next_key(in, read, 50), 27);
    EXPECT_THAT(source.timeouts, ElementsAre(-1, 50));
}

TEST_F(KeyDecoderTest, SequenceArrivingInPiecesIsOneKey) {
    ScriptedSource source{{"\x1b", "[", "5~"}};
    InputBuffer in;
    ByteSource read = std::ref(source);
    EXPECT_EQ(next_key(in, read, 50), 224);
    EXPECT_EQ(next_key(in, read, 50), 73);
}

TEST_F(KeyDecoderTest, PipeWaitsForTheByteAfterEscapeWithoutTiming) {
    ScriptedSource source{{"\x1b", "x"}, true};
    InputBuffer in;
    ByteSource read = std::ref(source);
    EXPECT_EQ(next_key(in, read, -1), 27);
    EXPECT_EQ(next_key(in, read, -1), 'x');
    EXPECT_EQ(next_key(in, read, -1), 27);  // end of input
    EXPECT_THAT(source.timeouts, ElementsAre(-1, -1, -1));
}

TEST_F(KeyDecoderTest, SwallowedSequenceIsNotAWaitingKey) {
    ScriptedSource source{{"\x1b[I"}};
    InputBuffer in;
    ByteSource read = std::ref(source);
    EXPECT_FALSE(key_ready(in, read, 0));
    in.bytes = "\x1b[A";
    EXPECT_TRUE(key_ready(in, read, 0));
}

TEST_F(KeyDecoderTest, KeysAndLinesShareOneBuffer) {
    set_keys("\x1b[B\rname\n\r");
    EXPECT_EQ(read_key(), 224);
    EXPECT_EQ(read_key(), 80);
    EXPECT_EQ(read_key(), 13);
    EXPECT_EQ(read_line(), "name");
    EXPECT_EQ(read_key(), 13);
    // The end of the script reads as Escape and as empty lines, and a key is always waiting.
    EXPECT_TRUE(key_waiting());
    EXPECT_EQ(read_key(), 27);
    EXPECT_EQ(read_line(), "");
    EXPECT_TRUE(wait_for_key(1000));
}

TEST_F(KeyDecoderTest, LineDropsACarriageReturnAndTheLastLineNeedsNoLineEnd) {
    set_keys("first\r\n  \nlast");
    EXPECT_EQ(read_line(), "first");
    EXPECT_EQ(read_line(), "  ");
    EXPECT_EQ(read_line(), "last");
    EXPECT_EQ(read_line(), "");
}

}  // namespace
}  // namespace pellux::platform
