// The built saver under Wine on a virtual X display, watched and driven as a
// person would: which launches show it, what it draws and where, its tick, the
// hidden cursor, what ends it and what does not.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "harness.h"
#include "model.h"

namespace e2e {
namespace {

constexpr const char* kSaverWindow = "Generic Screen Saver";
constexpr milliseconds kStartTimeout(20000);
constexpr milliseconds kQuietExitTimeout(10000);
constexpr milliseconds kEndTimeout(1000);
constexpr int kTickMilliseconds = 2000;
constexpr int kTickTolerance = 250;

// A stretch of time in which the screen showed one thing.
struct Segment {
    Observation seen;
    Clock::time_point start;
    Clock::time_point end;
};

class SaverE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Availability available = availability();
        if (!available.reason.empty()) {
            // CI installs and builds everything, so there only the machine's own limits skip.
            if (std::getenv("CI") != nullptr && !available.machineCannot) {
                FAIL() << available.reason;
            }
            GTEST_SKIP() << available.reason;
        }
        ASSERT_TRUE(WinePrefix::shared().ok()) << "could not make the Wine prefix";
        WinePrefix::shared().setPixelsPerInch(96);
        ASSERT_TRUE(WinePrefix::shared().ok()) << "could not set the pixels per inch";
    }

    void TearDown() override {
        if (availability().reason.empty()) {
            WinePrefix::shared().killAll();
        }
    }

    std::unique_ptr<WineProcess> startSaver(VirtualDisplay& display, const std::string& tail = "/s") {
        return std::make_unique<WineProcess>(display, saverCommand(saverCommandLine(tail)));
    }

    // The saver's window once it is viewable, and the screen has settled on its first paint.
    std::optional<Window> waitShown(VirtualDisplay& display, WineProcess& saver) {
        std::optional<Window> window;
        waitFor(kStartTimeout, [&] {
            window = display.findWindow(kSaverWindow);
            return (window && display.isViewable(*window)) || !saver.running();
        });
        if (!window || !display.isViewable(*window)) {
            return std::nullopt;
        }
        // Whatever a test goes on to do, the first paint is one palette colour on black.
        const Observation first = settledObservation(display);
        if (first.visible) {
            EXPECT_NE(std::find(std::begin(kPalette), std::end(kPalette), first.color), std::end(kPalette))
                << "first paint: " << first;
            EXPECT_TRUE(first.shadesOfOneColour) << "first paint: " << first;
        }
        return window;
    }

    // Watches the screen and cuts what it shows into segments; a look that lasts
    // less than a few frames (a paint under way) is dropped.
    void watch(VirtualDisplay& display, milliseconds duration, std::vector<Segment>& segments) {
        const auto until = Clock::now() + duration;
        while (Clock::now() < until) {
            const auto now = Clock::now();
            const Observation seen = observe(display.grab());
            if (segments.empty() || !(segments.back().seen == seen)) {
                if (!segments.empty() && segments.back().end - segments.back().start < milliseconds(60)) {
                    segments.pop_back();
                }
                if (!segments.empty() && segments.back().seen == seen) {
                    segments.back().end = now;
                    continue;
                }
                segments.push_back({seen, now, now});
            } else {
                segments.back().end = now;
            }
        }
    }

    // Watches for at least the given time, and on (up to eight seconds) until the
    // segments seen fit exactly one seed from the clock around the launch. The k-th
    // segment is the k-th placement, except that a run of invisible placements
    // shows as one segment.
    std::vector<std::uint32_t> identify(VirtualDisplay& display, const WineProcess& saver,
                                        const TextShape& shape, milliseconds duration,
                                        std::vector<Segment>* segments) {
        const auto giveUp = Clock::now() + milliseconds(8000);
        watch(display, duration, *segments);
        std::vector<std::uint32_t> seeds;
        for (;;) {
            seeds.clear();
            const std::int64_t first = saver.startedWallSeconds() - 1;
            const std::int64_t last = wallSeconds() + 1;
            for (std::int64_t clock = first; clock <= last; ++clock) {
                if (fits(static_cast<std::uint32_t>(clock), *segments, shape, display)) {
                    seeds.push_back(static_cast<std::uint32_t>(clock));
                }
            }
            if (seeds.size() <= 1 || Clock::now() >= giveUp) {
                return seeds;
            }
            watch(display, milliseconds(500), *segments);
        }
    }

    static bool invisible(const Placement& placement, const TextShape& shape, VirtualDisplay& display) {
        return shows(Observation{}, placement, shape, display.width(), display.height());
    }

    bool fits(std::uint32_t seed, const std::vector<Segment>& segments, const TextShape& shape,
              VirtualDisplay& display) {
        const std::vector<Placement> placements =
            placementsFrom(seed, display.width(), display.height(), static_cast<int>(segments.size()) * 3 + 3);
        std::size_t k = 0;
        for (std::size_t i = 0; i < segments.size(); ++i, ++k) {
            while (i > 0 && k < placements.size() && invisible(placements[k], shape, display) &&
                   invisible(placements[k - 1], shape, display)) {
                ++k;
            }
            if (k >= placements.size() ||
                !shows(segments[i].seen, placements[k], shape, display.width(), display.height())) {
                return false;
            }
        }
        return true;
    }

    // A launch that shows nothing: the process ends at once with 0, and neither the
    // saver's window nor any full-screen one is ever mapped.
    void expectQuietLaunch(const std::string& commandLine, const std::string& what) {
        VirtualDisplay display(1024, 768);
        ASSERT_TRUE(display.ok());
        WineProcess saver(display, saverCommand(commandLine));

        EXPECT_EQ(saver.waitForExit(kQuietExitTimeout), std::optional<int>(0)) << what;
        for (const VirtualDisplay::Mapping& mapping : display.takeMappings()) {
            EXPECT_NE(mapping.name, kSaverWindow) << what;
            EXPECT_FALSE(mapping.width == display.width() && mapping.height == display.height())
                << what << ": a full-screen window \"" << mapping.name << "\" was mapped";
        }
    }

    void endWithKey(VirtualDisplay& display, WineProcess& saver) {
        display.pressKey(XK_Escape);
        EXPECT_EQ(saver.waitForExit(milliseconds(5000)), std::optional<int>(0));
    }
};

std::string printable(const std::string& tail) {
    return tail.empty() ? "(none)" : "\"" + tail + "\"";
}

// Launches that show nothing.
class QuietLaunchTest : public SaverE2eTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(QuietLaunchTest, ExitsWithZeroAndMapsNoWindow) {
    const std::string tail = GetParam();
    expectQuietLaunch(saverCommandLine(tail), "tail " + printable(tail));
}

INSTANTIATE_TEST_SUITE_P(Tails, QuietLaunchTest,
                         ::testing::Values("", "/c", "/p 1234", "/a", "-x", "/s 1", "/s "),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return "tail_" + name + "_" + std::to_string(info.index);
                         });

// Command lines no launcher should send, built in full; they show nothing either.
struct BadLine {
    const char* label;
    std::string tail;
    bool fillsTheLongestLine;  // the tail is repeated until the line is as long as Windows allows
};

std::ostream& operator<<(std::ostream& out, const BadLine& line) {
    return out << line.label;
}

std::string bytesFrom(int first, int last) {
    std::string bytes;
    for (int c = first; c <= last; ++c) {
        bytes += static_cast<char>(c);
    }
    return bytes;
}

std::string commandLineOf(const BadLine& bad) {
    std::string line = saverCommandLine(bad.tail);
    while (bad.fillsTheLongestLine && line.size() < kLongestCommandLine) {
        line += bad.tail;
    }
    line.resize(std::min(line.size(), kLongestCommandLine));
    return line;
}

const BadLine kBadLines[] = {
    {"longest_line_of_one_letter", "A", true},
    {"longest_line_of_show_switches", "/s ", true},
    {"longest_line_after_a_show_switch", "/sssssssss", true},
    {"control_bytes_after_the_switch", "/s" + bytesFrom(0x01, 0x1F), false},
    {"control_byte_inside_the_switch", "/\x1Bs", false},
    {"delete_after_the_switch", "/s\x7F", false},
    {"bytes_0x80_to_0xFF", bytesFrom(0x80, 0xFF), false},
    {"high_byte_after_the_switch", "/s\xFF", false},
    {"every_byte_from_0x01", bytesFrom(0x01, 0xFF), false},
    {"unmatched_quote_before_the_switch", "\"/s", false},
    {"unmatched_quote_after_the_switch", "/s \"", false},
};

class BadLineTest : public SaverE2eTest, public ::testing::WithParamInterface<BadLine> {};

TEST_P(BadLineTest, ExitsWithZeroAndMapsNoWindow) {
    const std::string line = commandLineOf(GetParam());
    expectQuietLaunch(line, std::to_string(line.size()) + "-byte line");
}

INSTANTIATE_TEST_SUITE_P(Lines, BadLineTest, ::testing::ValuesIn(kBadLines),
                         [](const auto& info) { return std::string(info.param.label); });

// The whole of the longest line reaches the saver: blanks up to its end, then the switch.
TEST_F(SaverE2eTest, ShowsAfterBlanksFillingTheLongestLine) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    std::string line = saverCommandLine("");
    line += std::string(kLongestCommandLine - line.size() - 2, ' ') + "/s";
    WineProcess saver(display, saverCommand(line));
    ASSERT_TRUE(waitShown(display, saver));
    endWithKey(display, saver);
}

class ShowLaunchTest : public SaverE2eTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ShowLaunchTest, ShowsTheSaver) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    auto saver = startSaver(display, GetParam());
    ASSERT_TRUE(waitShown(display, *saver)) << "tail " << printable(GetParam());
    endWithKey(display, *saver);
}

INSTANTIATE_TEST_SUITE_P(Switches, ShowLaunchTest, ::testing::Values("/s", "/S", "-s", "-S", "s", "S"),
                         [](const auto& info) {
                             const std::string tail = info.param;
                             return std::string(tail[0] == '/' ? "slash_" : tail[0] == '-' ? "dash_" : "bare_") +
                                    (tail.back() == 's' ? "s" : "capital_S");
                         });

TEST_F(SaverE2eTest, ShowsAfterAQuotedProgramPathWithBlanks) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    const std::string path = WinePrefix::shared().installSaverWithBlanksInPath();
    WineProcess saver(display, saverCommand("\"" + path + "\" /s"));
    ASSERT_TRUE(waitShown(display, saver));
    endWithKey(display, saver);
}

// Windows starts a screen saver as its .scr file; the copy behaves as the program does.
TEST_F(SaverE2eTest, ShowsAsTheScreenSaverFile) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    std::string line = saverCommandLine("/s");
    line.replace(line.rfind("tavolin.exe"), 11, "tavolin.scr");
    WineProcess saver(display, saverCommand(line));
    ASSERT_TRUE(waitShown(display, saver));
    endWithKey(display, saver);
}

// The window covers the screen above everything, every pixel is black but the
// text, the text is one palette colour in 14-point Arial, and it stands where the
// first placement from the clock's seed puts it.
TEST_F(SaverE2eTest, FirstPaintShowsTheCompanyNameAtTheSeedsPlace) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    const TextShape shape = measureText(display, characterHeight(96));
    ASSERT_GT(shape.width, 0) << "the probe drew nothing";

    auto saver = startSaver(display);
    const auto window = waitShown(display, *saver);
    ASSERT_TRUE(window);
    EXPECT_EQ(display.geometry(*window), (std::vector<int>{0, 0, 1024, 768}));
    EXPECT_EQ(display.topmostViewable(), window);

    std::vector<Segment> segments;
    const auto seeds = identify(display, *saver, shape, milliseconds(1500), &segments);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(seeds.size(), 1u) << "first look: " << segments.front().seen;
    for (const Segment& segment : segments) {
        if (segment.seen.visible) {
            EXPECT_TRUE(segment.seen.shadesOfOneColour) << segment.seen;
        }
    }
    endWithKey(display, *saver);
}

// Every two seconds the text jumps to the next placement of the same sequence.
TEST_F(SaverE2eTest, TicksFollowTheRandomSequenceEveryTwoSeconds) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    const TextShape shape = measureText(display, characterHeight(96));
    ASSERT_GT(shape.width, 0);
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));

    std::vector<Segment> segments;
    const auto seeds = identify(display, *saver, shape, milliseconds(7000), &segments);
    ASSERT_EQ(seeds.size(), 1u);
    ASSERT_GE(segments.size(), 4u) << "three ticks in seven seconds";

    int ticks = 0;
    for (std::size_t i = 2; i < segments.size(); ++i) {
        const auto interval = std::chrono::duration_cast<milliseconds>(segments[i].start - segments[i - 1].start).count();
        const long periods = std::lround(static_cast<double>(interval) / kTickMilliseconds);
        EXPECT_GE(periods, 1) << "interval " << interval << " ms";
        EXPECT_LE(std::abs(interval - periods * kTickMilliseconds), kTickTolerance * periods)
            << "interval " << interval << " ms";
        ticks += periods == 1 ? 1 : 0;
    }
    EXPECT_GE(ticks, 1) << "at least one interval of a single tick";
    endWithKey(display, *saver);
}

TEST_F(SaverE2eTest, CursorIsHiddenWhileShownAndBackAfter) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    display.movePointer(512, 384);
    ASSERT_FALSE(display.cursorHidden()) << "the root's cursor shows before the saver starts";
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));
    EXPECT_TRUE(waitFor(milliseconds(2000), [&] { return display.cursorHidden(); }));
    // The pointer over a window without a cursor of its own shows nothing either, so
    // the saver's own display count is asked of the system as well.
    WineProcess cursor(display, {target().probeExe(), "cursor"});
    EXPECT_EQ(cursor.waitForExit(milliseconds(10000)), std::optional<int>(0)) << "the cursor counts as showing";
    endWithKey(display, *saver);
    EXPECT_TRUE(waitFor(milliseconds(2000), [&] { return !display.cursorHidden(); }));
}

struct Input {
    const char* label;
    bool isKey;
    unsigned long code;  // a keysym or a button number
};

std::ostream& operator<<(std::ostream& out, const Input& input) {
    return out << input.label;
}

void press(VirtualDisplay& display, const Input& input) {
    if (input.isKey) {
        display.pressKey(input.code);
    } else {
        display.pressButton(static_cast<unsigned int>(input.code));
    }
}

class EndingInputTest : public SaverE2eTest, public ::testing::WithParamInterface<Input> {};

TEST_P(EndingInputTest, EndsTheSaverWithinASecond) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));

    press(display, GetParam());

    EXPECT_EQ(saver->waitForExit(kEndTimeout), std::optional<int>(0));
    EXPECT_FALSE(display.findWindow(kSaverWindow) && display.isViewable(*display.findWindow(kSaverWindow)));
}

INSTANTIATE_TEST_SUITE_P(Inputs, EndingInputTest,
                         ::testing::Values(Input{"letter", true, XK_a}, Input{"enter", true, XK_Return},
                                           Input{"escape", true, XK_Escape}, Input{"left_button", false, 1},
                                           Input{"right_button", false, 3}, Input{"middle_button", false, 2}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SaverE2eTest, AltF10AndTheWheelDoNotEndIt) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));

    for (const Input& input : {Input{"alt", true, XK_Alt_L}, Input{"f10", true, XK_F10},
                               Input{"wheel_up", false, 4}, Input{"wheel_down", false, 5}}) {
        press(display, input);
        EXPECT_FALSE(saver->waitForExit(milliseconds(700))) << input.label << " ended the saver";
    }
    endWithKey(display, *saver);
}

// The platform adds a move of its own when the window appears under the pointer,
// so the exact count is for the host tests: four moves leave it, the sixth ends it.
TEST_F(SaverE2eTest, AFewMouseMovesAreForgivenAndMoreEndIt) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    display.movePointer(100, 100);
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));

    int moves = 0;
    auto moveOnce = [&] {
        ++moves;
        display.movePointer(100 + 40 * moves, 100 + 30 * moves);
        // One move at a time, so the platform cannot fold two into one.
        return saver->waitForExit(milliseconds(250));
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(moveOnce()) << "ended after move " << moves;
    }
    EXPECT_FALSE(saver->waitForExit(milliseconds(300)));
    std::optional<int> exitCode;
    while (!exitCode && moves < 6) {
        exitCode = moveOnce();
    }
    if (!exitCode) {
        exitCode = saver->waitForExit(kEndTimeout);
    }
    EXPECT_EQ(exitCode, std::optional<int>(0)) << "still running after " << moves << " moves";
}

TEST_F(SaverE2eTest, AnotherWindowTakingActivationEndsIt) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    auto saver = startSaver(display);
    ASSERT_TRUE(waitShown(display, *saver));

    WineProcess other(display, {target().probeExe(), "window"});

    EXPECT_EQ(saver->waitForExit(milliseconds(10000)), std::optional<int>(0));
}

// A second saver started over the first takes activation from it, which ends the
// first; the second then ends on a key like any other, and no process stays behind.
TEST_F(SaverE2eTest, ALaterSaverEndsTheEarlierOne) {
    VirtualDisplay display(1024, 768);
    ASSERT_TRUE(display.ok());
    auto earlier = startSaver(display);
    ASSERT_TRUE(waitShown(display, *earlier));

    auto later = startSaver(display);

    EXPECT_EQ(earlier->waitForExit(kStartTimeout), std::optional<int>(0)) << "the earlier saver did not end";
    ASSERT_TRUE(waitShown(display, *later)) << "the later saver did not show";
    endWithKey(display, *later);
    EXPECT_TRUE(waitFor(kEndTimeout, [] { return processesMentioning("tavolin.exe").empty(); }))
        << processesMentioning("tavolin.exe").size() << " saver processes left";
}

struct ScreenCase {
    const char* label;
    int width;
    int height;
    int pixelsPerInch;
};

std::ostream& operator<<(std::ostream& out, const ScreenCase& screen) {
    return out << screen.width << "x" << screen.height << " at " << screen.pixelsPerInch << " pixels per inch";
}

class ScreenTest : public SaverE2eTest, public ::testing::WithParamInterface<ScreenCase> {};

// Placements follow the screen's size and the font its pixels per inch; on a screen
// wider than the draw's range the text never starts right of 8171.
TEST_P(ScreenTest, PlacementsFollowTheScreen) {
    const ScreenCase& screen = GetParam();
    WinePrefix::shared().setPixelsPerInch(screen.pixelsPerInch);
    ASSERT_TRUE(WinePrefix::shared().ok());
    VirtualDisplay display(screen.width, screen.height);
    ASSERT_TRUE(display.ok());
    const TextShape shape = measureText(display, characterHeight(screen.pixelsPerInch));
    ASSERT_GT(shape.width, 0);

    auto saver = startSaver(display);
    const auto window = waitShown(display, *saver);
    ASSERT_TRUE(window);
    EXPECT_EQ(display.geometry(*window), (std::vector<int>{0, 0, screen.width, screen.height}));

    std::vector<Segment> segments;
    const auto seeds = identify(display, *saver, shape, milliseconds(2800), &segments);
    ASSERT_EQ(seeds.size(), 1u) << "first look: " << (segments.empty() ? Observation{} : segments[0].seen);
    for (const Segment& segment : segments) {
        if (segment.seen.visible && segment.seen.box.left > 0) {
            EXPECT_LE(segment.seen.box.left - shape.dx, 8171);
        }
    }
    endWithKey(display, *saver);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenTest,
                         ::testing::Values(ScreenCase{"s800x600", 800, 600, 96},
                                           ScreenCase{"s1920x1080", 1920, 1080, 96},
                                           ScreenCase{"s9000x300_wider_than_8192", 9000, 300, 96},
                                           ScreenCase{"s1024x768_at_120_dpi", 1024, 768, 120}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace e2e
