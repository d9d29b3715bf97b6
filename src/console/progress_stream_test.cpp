#include "console/progress_stream.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace pellux {
namespace {

using ProgressStreamTest = testing::PelluxTest;

TEST_F(ProgressStreamTest, MutedLinesVanishAndUnmutingPrintsAgain) {
    ::testing::internal::CaptureStdout();
    progress_out << " ... one ..." << std::endl;
    progress_out.mute();
    progress_out << " ... two ..." << std::endl;
    progress_out.unmute();
    progress_out << " ... three ..." << std::endl;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " ... one ...\n ... three ...\n");
    EXPECT_TRUE(progress_out.good());
}

}  // namespace
}  // namespace pellux
