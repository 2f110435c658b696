// The launch-mode test: only the three show switches, in either letter case and
// with nothing around them, make the saver show, seed the random source from the
// clock and become the active saver; every other tail leaves all three alone.
#include "saver_test.h"

namespace {

struct LaunchCase {
    const char* label;
    const char* tail;
    bool shows;
};

std::ostream& operator<<(std::ostream& out, const LaunchCase& row) {
    return out << row.label;
}

const LaunchCase kShowCases[] = {
    {"s", "s", true},
    {"capital_S", "S", true},
    {"dash_s", "-s", true},
    {"dash_capital_S", "-S", true},
    {"slash_s", "/s", true},
    {"slash_capital_S", "/S", true},
};

const LaunchCase kOtherCases[] = {
    {"empty", "", false},
    {"configure", "/c", false},
    {"preview_with_window", "/p 1234", false},
    {"password", "/a", false},
    {"other_dash_switch", "-x", false},
    {"slash_s_and_number", "/s 1", false},
    {"slash_s_and_blank", "/s ", false},
    {"blank_and_slash_s", " /s", false},
    {"slash_s_and_tab", "/s\t", false},
    {"doubled_letter", "/ss", false},
    {"doubled_slash", "//s", false},
    {"backslash_s", "\\s", false},
    {"switch_after_another", "/c /s", false},
    {"letter_only_prefix", "save", false},
    {"byte_that_folds_to_s_only_outside_ascii", "/\xDF", false},
    // Setting bit 5 is no case folding: it would turn these into "-s" and "/s".
    {"carriage_return_s", "\rs", false},
    {"control_byte_s", "\x0Fs", false},
};

// With the clock at 2^32 + 5 the seed is 5, whose first draw is 54; the unseeded state's is 41.
constexpr std::int64_t kClockWithLowBitsFive = (std::int64_t{1} << 32) + 5;
constexpr int kFirstDrawAfterSeedFive = 54;
constexpr int kFirstDrawUnseeded = 41;

class LaunchModeTest : public SaverTest, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchModeTest, DecidesFromTheWholeTail) {
    const LaunchCase& row = GetParam();
    sim::script().clock = kClockWithLowBitsFive;

    ScreenSaver saver(kInstance, row.tail);

    if (row.shows) {
        EXPECT_EQ(g_activeSaver, &saver);
        EXPECT_THAT(sim::log(), ::testing::ElementsAre("time()"));
        EXPECT_EQ(SaverRandom::next(), kFirstDrawAfterSeedFive);
    } else {
        EXPECT_EQ(g_activeSaver, nullptr);
        EXPECT_THAT(sim::log(), ::testing::IsEmpty());
        EXPECT_EQ(SaverRandom::next(), kFirstDrawUnseeded);
    }
}

using NoShowRunTest = LaunchModeTest;

TEST_P(NoShowRunTest, MakesNoPlatformCall) {
    ScreenSaver saver(kInstance, GetParam().tail);
    saver.run();
    EXPECT_THAT(sim::log(), ::testing::IsEmpty());
    EXPECT_EQ(sim::classesRegistered(), 0);
    EXPECT_EQ(sim::windowsAlive(), 0);
}

std::string rowName(const ::testing::TestParamInfo<LaunchCase>& info) {
    return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(ShowSwitches, LaunchModeTest, ::testing::ValuesIn(kShowCases), rowName);
INSTANTIATE_TEST_SUITE_P(OtherTails, LaunchModeTest, ::testing::ValuesIn(kOtherCases), rowName);
INSTANTIATE_TEST_SUITE_P(OtherTails, NoShowRunTest, ::testing::ValuesIn(kOtherCases), rowName);

}  // namespace
