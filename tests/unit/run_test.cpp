// Whole runs of WinMain on the simulated platform, from the command line to the
// exit code, compared call by call with expected sequences: the show path, the
// paths that show nothing, each failure, and the rules that end the saver.
#include <algorithm>
#include <cstdint>

#include "content/text_item.h"

#include "saver_test.h"

namespace {

using ::testing::ElementsAre;

constexpr COLORREF kYellow = 0x0200FFFF;
constexpr COLORREF kOlive = 0x02008080;
constexpr COLORREF kRed = 0x020000FF;
constexpr COLORREF kCyan = 0x02FFFF00;
const std::string kCompanyName = "Tavolin Brightwork Associates";

// The tail the toolchain's start-up code hands over; the saver cuts the line itself.
char kIgnoredTail[] = "/c";

int runWinMain() {
    return WinMain(kInstance, nullptr, kIgnoredTail, SW_SHOWNORMAL);
}

// Showing with a quoted program path, the clock's low 32 bits at 1 (the seed of a
// fresh process, so the first placement is the worked one: yellow at 500, -53),
// and one key press once the saver is active.
const Sequence kShowThenKeyPress = {
    "GetCommandLineA()",
    "time()",
    "GetSystemMetrics(SM_CXSCREEN)",
    "GetSystemMetrics(SM_CYSCREEN)",
    "GetStockObject(BLACK_BRUSH)",
    "RegisterClassA(0x080B, saverWindowProc, 0, 0, hinstance, NULL, NULL, BLACK_BRUSH, NULL, QuintorScreenSaver)",
    "GetSystemMetrics(SM_CXSCREEN)",
    "GetSystemMetrics(SM_CYSCREEN)",
    "CreateWindowExA(0x00000008, QuintorScreenSaver, Generic Screen Saver, 0x80000000, 0, 0, 1024, 768, NULL, NULL, hinstance, NULL)",
    "hwnd1 <- WM_NCCREATE(0, 0)",
    "DefWindowProcA(hwnd1, WM_NCCREATE, 0, 0)",
    "hwnd1 <- WM_CREATE(0, 0)",
    "DefWindowProcA(hwnd1, WM_CREATE, 0, 0)",
    "Sleep(250)",
    "ShowWindow(hwnd1, SW_SHOWNORMAL)",
    "hwnd1 <- WM_SHOWWINDOW(1, 0)",
    "DefWindowProcA(hwnd1, WM_SHOWWINDOW, 1, 0)",
    "hwnd1 <- WM_ACTIVATE(1, 0)",
    "DefWindowProcA(hwnd1, WM_ACTIVATE, 1, 0)",
    "ShowCursor(FALSE)",
    "UpdateWindow(hwnd1)",
    "hwnd1 <- WM_PAINT(0, 0)",
    "BeginPaint(hwnd1)",
    "hwnd1 <- WM_ERASEBKGND(hdc1, 0)",
    "DefWindowProcA(hwnd1, WM_ERASEBKGND, hdc1, 0)",
    "[erased hwnd1 with BLACK_BRUSH]",
    "GetDeviceCaps(hdc1, LOGPIXELSY)",
    "CreateFontA(-19, 0, 0, 0, 500, 0, 0, 0, 1, 0, 0, 4, 0x20, Arial)",
    "SelectObject(hdc1, font1)",
    "SetBkMode(hdc1, TRANSPARENT)",
    "SetTextColor(hdc1, 0x0200FFFF)",
    "TextOutA(hdc1, 500, -53, \"Tavolin Brightwork Associates\", 29)",
    "SelectObject(hdc1, SYSTEM_FONT)",
    "DeleteObject(font1)",
    "EndPaint(hwnd1)",
    "SetTimer(hwnd1, 1, 2000, NULL)",
    "GetMessageA(NULL, 0, 0) -> WM_KEYDOWN",
    "TranslateMessage(WM_KEYDOWN)",
    "DispatchMessageA(WM_KEYDOWN)",
    "hwnd1 <- WM_KEYDOWN(65, 0)",
    "KillTimer(hwnd1, 1)",
    "DestroyWindow(hwnd1)",
    "hwnd1 <- WM_ACTIVATE(0, 0)",
    "hwnd1 <- WM_DESTROY(0, 0)",
    "ShowCursor(TRUE)",
    "PostQuitMessage(0)",
    "GetMessageA(NULL, 0, 0) -> WM_QUIT",
    "UnregisterClassA(QuintorScreenSaver, hinstance)",
};

// The same run in pieces, for the tests that vary one part of it.
const Sequence kStartUp(kShowThenKeyPress.begin(), kShowThenKeyPress.begin() + 6);
const Sequence kCreateWindow(kShowThenKeyPress.begin() + 6, kShowThenKeyPress.begin() + 13);
const Sequence kShowAndActivate(kShowThenKeyPress.begin() + 13, kShowThenKeyPress.begin() + 22);
const Sequence kShowWithoutActivation = {
    "Sleep(250)",
    "ShowWindow(hwnd1, SW_SHOWNORMAL)",
    "hwnd1 <- WM_SHOWWINDOW(1, 0)",
    "DefWindowProcA(hwnd1, WM_SHOWWINDOW, 1, 0)",
    "ShowCursor(FALSE)",
    "UpdateWindow(hwnd1)",
    "hwnd1 <- WM_PAINT(0, 0)",
};
const Sequence kStartTimer = {"SetTimer(hwnd1, 1, 2000, NULL)"};
const Sequence kDismissWhileActive = {
    "KillTimer(hwnd1, 1)",         "DestroyWindow(hwnd1)", "hwnd1 <- WM_ACTIVATE(0, 0)",
    "hwnd1 <- WM_DESTROY(0, 0)",   "ShowCursor(TRUE)",     "PostQuitMessage(0)",
};
const Sequence kQuit = {
    "GetMessageA(NULL, 0, 0) -> WM_QUIT",
    "UnregisterClassA(QuintorScreenSaver, hinstance)",
};

std::string hex8(COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", color);
    return text;
}

// One paint of the company name with the paint's own font, erased first; font 0
// stands for a font that could not be made.
Sequence paint(int font, COLORREF color, int x, int y, int fontHeight = -19) {
    const std::string name = font == 0 ? "NULL" : "font" + std::to_string(font);
    return {
        "BeginPaint(hwnd1)",
        "hwnd1 <- WM_ERASEBKGND(hdc1, 0)",
        "DefWindowProcA(hwnd1, WM_ERASEBKGND, hdc1, 0)",
        "[erased hwnd1 with BLACK_BRUSH]",
        "GetDeviceCaps(hdc1, LOGPIXELSY)",
        "CreateFontA(" + std::to_string(fontHeight) + ", 0, 0, 0, 500, 0, 0, 0, 1, 0, 0, 4, 0x20, Arial)",
        "SelectObject(hdc1, " + name + ")",
        "SetBkMode(hdc1, TRANSPARENT)",
        "SetTextColor(hdc1, " + hex8(color) + ")",
        "TextOutA(hdc1, " + std::to_string(x) + ", " + std::to_string(y) + ", \"" + kCompanyName + "\", 29)",
        font == 0 ? "SelectObject(hdc1, NULL)" : "SelectObject(hdc1, SYSTEM_FONT)",
        "DeleteObject(" + name + ")",
        "EndPaint(hwnd1)",
    };
}

// A message the loop takes from the queue and dispatches to the saver's window.
Sequence delivered(const std::string& message, const std::string& wParam = "0") {
    return {
        "GetMessageA(NULL, 0, 0) -> " + message,
        "TranslateMessage(" + message + ")",
        "DispatchMessageA(" + message + ")",
        "hwnd1 <- " + message + "(" + wParam + ", 0)",
    };
}

Sequence repeated(const Sequence& part, int times) {
    Sequence whole;
    for (int i = 0; i < times; ++i) {
        whole = whole + part;
    }
    return whole;
}

// A tick re-places the item (reading the screen) and the repaint follows.
Sequence tick(int font, COLORREF color, int x, int y) {
    return delivered("WM_TIMER", "1") +
           Sequence{"GetSystemMetrics(SM_CXSCREEN)", "GetSystemMetrics(SM_CYSCREEN)",
                    "InvalidateRect(hwnd1, NULL, TRUE)"} +
           delivered("WM_PAINT") + paint(font, color, x, y);
}

const Sequence kUpToTheLoop =
    kStartUp + kCreateWindow + kShowAndActivate + paint(1, kYellow, 500, -53) + kStartTimer;

sim::DrawnText companyNameAt(int x, int y, COLORREF color, int fontHeight = -19) {
    return {kCompanyName, x, y, color, TRANSPARENT, fontHeight, "Arial"};
}

class RunTest : public SaverTest {
protected:
    // Every text drawn in a palette colour, at a place the screen's range allows.
    void expectEveryTextPlacedFor(int screenWidth, int screenHeight) {
        for (const sim::DrawnText& text : sim::drawnTexts()) {
            ASSERT_GE(text.x, -20);
            ASSERT_LE(text.x, screenWidth - 21);
            ASSERT_GE(text.y, -100);
            ASSERT_LE(text.y, screenHeight - 101);
            ASSERT_NE(std::find(std::begin(textPalette), std::end(textPalette), text.color), std::end(textPalette));
        }
    }

    void expectEverythingReleased() {
        EXPECT_EQ(sim::windowsAlive(), 0);
        EXPECT_EQ(sim::timersAlive(), 0);
        EXPECT_EQ(sim::classesRegistered(), 0);
        EXPECT_EQ(sim::gdiObjectsAlive(), 0);
        EXPECT_EQ(sim::cursorCount(), 0);
    }
};

TEST_F(RunTest, ShowPathFromTheCommandLineToExit) {
    sim::script().commandLine = "\"C:\\Program Files\\Tavolin\\tavolin.exe\" /s";
    sim::script().clock = (std::int64_t{1} << 32) + 1;
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), IsSequence(kShowThenKeyPress));
    EXPECT_THAT(sim::drawnTexts(), ElementsAre(companyNameAt(500, -53, kYellow)));
    expectEverythingReleased();
}

TEST_F(RunTest, TheClassCarriesTheSaversWindowProcedure) {
    sim::queueMessage(WM_KEYDOWN, 'A');
    runWinMain();
    EXPECT_EQ(sim::lastRegisteredClass().lpfnWndProc, &saverWindowProc);
    EXPECT_EQ(sim::lastRegisteredClass().style, 0x080Bu);
}

struct QuietCase {
    const char* label;
    const char* commandLine;
};

std::ostream& operator<<(std::ostream& out, const QuietCase& row) {
    return out << row.label;
}

const QuietCase kQuietCases[] = {
    {"no_arguments", "tavolin.exe"},
    {"configure", "tavolin.exe /c"},
    {"preview", "tavolin.exe /p 1234"},
    {"show_switch_with_a_number", "\"C:\\Program Files\\tavolin.exe\" /s 1"},
    {"unclosed_quote", "\"C:\\Program Files\\tavolin.exe /s"},
};

class QuietRunTest : public RunTest, public ::testing::WithParamInterface<QuietCase> {};

// The item is still built, reading the screen, and nothing else happens.
TEST_P(QuietRunTest, ShowsNothingAndExitsWithZero) {
    sim::script().commandLine = GetParam().commandLine;
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), ElementsAre("GetCommandLineA()", "GetSystemMetrics(SM_CXSCREEN)",
                                        "GetSystemMetrics(SM_CYSCREEN)"));
    EXPECT_EQ(g_activeSaver, nullptr);
    expectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(CommandLines, QuietRunTest, ::testing::ValuesIn(kQuietCases),
                         [](const auto& info) { return std::string(info.param.label); });

struct Accounts {
    int windows;
    int timers;
    int classes;
    int cursor;
};

struct FailureCase {
    const char* label;
    void (*fail)(sim::Script&);
    Sequence expected;
    Accounts left;  // what the platform still holds when WinMain returns
};

std::ostream& operator<<(std::ostream& out, const FailureCase& row) {
    return out << row.label;
}


// Every failure is quiet and ends with exit code 0; the key press queued for each
// run ends those that reach the loop.
const FailureCase kFailureCases[] = {
    {"class_registration_fails", [](sim::Script& s) { s.registerClassFails = true; }, kStartUp,
     {0, 0, 0, 0}},
    {"window_creation_fails", [](sim::Script& s) { s.createWindowFails = true; },
     kStartUp + Sequence{"GetSystemMetrics(SM_CXSCREEN)", "GetSystemMetrics(SM_CYSCREEN)",
                         kCreateWindow[2], "UnregisterClassA(QuintorScreenSaver, hinstance)"},
     {0, 0, 0, 0}},
    // Nothing on this path takes the window down: the process is about to end, and
    // the class stays registered because a window of it still exists.
    {"message_loop_fails", [](sim::Script& s) { s.getMessageFailsOnCall = 1; },
     kUpToTheLoop + Sequence{"GetMessageA(NULL, 0, 0) -> -1", "UnregisterClassA(QuintorScreenSaver, hinstance)"},
     {1, 1, 1, -1}},
    {"timer_fails", [](sim::Script& s) { s.setTimerFails = true; },
     kUpToTheLoop + delivered("WM_KEYDOWN", "65") + kDismissWhileActive + kQuit, {0, 0, 0, 0}},
    {"font_creation_fails", [](sim::Script& s) { s.createFontFails = true; },
     kStartUp + kCreateWindow + kShowAndActivate + paint(0, kYellow, 500, -53) + kStartTimer +
         tick(0, kOlive, 676, -9) + delivered("WM_KEYDOWN", "65") + kDismissWhileActive + kQuit,
     {0, 0, 0, 0}},
};

class FailureRunTest : public RunTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureRunTest, EndsQuietlyWithZero) {
    const FailureCase& row = GetParam();
    row.fail(sim::script());
    // A tick before the key: it arrives only where a timer is alive.
    sim::queueTick();
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), IsSequence(row.expected));
    EXPECT_EQ(sim::windowsAlive(), row.left.windows);
    EXPECT_EQ(sim::timersAlive(), row.left.timers);
    EXPECT_EQ(sim::classesRegistered(), row.left.classes);
    EXPECT_EQ(sim::cursorCount(), row.left.cursor);
    EXPECT_EQ(sim::gdiObjectsAlive(), 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailureRunTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(RunTest, TicksMoveTheTextAlongTheRandomSequence) {
    sim::queueTick();
    sim::queueTick();
    sim::queueTick();
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), IsSequence(kUpToTheLoop + tick(2, kOlive, 676, -9) +
                                             tick(3, kRed, 151, 496) + tick(4, kCyan, 382, 24) +
                                             delivered("WM_KEYDOWN", "65") + kDismissWhileActive + kQuit));
    EXPECT_THAT(sim::drawnTexts(),
                ElementsAre(companyNameAt(500, -53, kYellow), companyNameAt(676, -9, kOlive),
                            companyNameAt(151, 496, kRed), companyNameAt(382, 24, kCyan)));
}

TEST_F(RunTest, FiveMouseMovesAreAbsorbedAndTheSixthEnds) {
    for (int i = 0; i < 5; ++i) {
        sim::queueMessage(WM_MOUSEMOVE);
    }
    sim::queueTick();  // still running after five
    sim::queueMessage(WM_MOUSEMOVE);
    sim::queueMessage(WM_MOUSEMOVE);  // never reached

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), IsSequence(kUpToTheLoop + repeated(delivered("WM_MOUSEMOVE"), 5) +
                                             tick(2, kOlive, 676, -9) + delivered("WM_MOUSEMOVE") +
                                             kDismissWhileActive + kQuit));
    expectEverythingReleased();
}

// Until the window is activated, keys, buttons and moves are swallowed and the moves
// are not counted: after activation six more moves are needed.
TEST_F(RunTest, InputBeforeActivationIsSwallowed) {
    sim::script().activateOnShow = false;
    sim::queueMessage(WM_KEYDOWN, 'A');
    sim::queueMessage(WM_LBUTTONDOWN);
    sim::queueMessage(WM_RBUTTONDOWN);
    sim::queueMessage(WM_MBUTTONDOWN);
    for (int i = 0; i < 6; ++i) {
        sim::queueMessage(WM_MOUSEMOVE);
    }
    sim::queueActivate();
    for (int i = 0; i < 6; ++i) {
        sim::queueMessage(WM_MOUSEMOVE);
    }

    EXPECT_EQ(runWinMain(), 0);

    const Sequence activation = {"hwnd1 <- WM_ACTIVATE(1, 0)", "DefWindowProcA(hwnd1, WM_ACTIVATE, 1, 0)"};
    EXPECT_THAT(sim::log(),
                IsSequence(kStartUp + kCreateWindow + kShowWithoutActivation +
                                 paint(1, kYellow, 500, -53) + kStartTimer +
                                 delivered("WM_KEYDOWN", "65") + delivered("WM_CHAR", "97") +
                                 delivered("WM_LBUTTONDOWN") + delivered("WM_RBUTTONDOWN") +
                                 delivered("WM_MBUTTONDOWN") + repeated(delivered("WM_MOUSEMOVE"), 6) +
                                 activation + repeated(delivered("WM_MOUSEMOVE"), 6) +
                                 kDismissWhileActive + kQuit));
    expectEverythingReleased();
}

struct EndingCase {
    const char* label;
    const char* messageName;
    UINT message;
    WPARAM wParam;
    const char* wParamText;
};

std::ostream& operator<<(std::ostream& out, const EndingCase& row) {
    return out << row.label;
}

const EndingCase kEndingCases[] = {
    {"letter_key", "WM_KEYDOWN", WM_KEYDOWN, 'A', "65"},
    {"enter", "WM_KEYDOWN", WM_KEYDOWN, VK_RETURN, "13"},
    {"escape", "WM_KEYDOWN", WM_KEYDOWN, VK_ESCAPE, "27"},
    {"character", "WM_CHAR", WM_CHAR, 'x', "120"},
    {"left_button", "WM_LBUTTONDOWN", WM_LBUTTONDOWN, 0, "0"},
    {"right_button", "WM_RBUTTONDOWN", WM_RBUTTONDOWN, 0, "0"},
    {"middle_button", "WM_MBUTTONDOWN", WM_MBUTTONDOWN, 0, "0"},
};

class EndingRunTest : public RunTest, public ::testing::WithParamInterface<EndingCase> {};

// The platform's deactivation from inside DestroyWindow re-enters the dismissal,
// which does nothing the second time: one KillTimer, one DestroyWindow, one WM_DESTROY.
TEST_P(EndingRunTest, OneInputEndsAnActiveSaver) {
    const EndingCase& row = GetParam();
    sim::queueMessage(row.message, row.wParam);

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(),
                IsSequence(kUpToTheLoop + delivered(row.messageName, row.wParamText) + kDismissWhileActive + kQuit));
    expectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(Inputs, EndingRunTest, ::testing::ValuesIn(kEndingCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(RunTest, InputThatDoesNotEndItGoesToTheDefault) {
    sim::queueMessage(WM_SYSKEYDOWN, VK_MENU);
    sim::queueMessage(WM_KEYUP, 'A');
    sim::queueMessage(WM_MOUSEWHEEL, 0x00780000);
    sim::queueMessage(WM_LBUTTONUP);
    sim::queueDeactivate();

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(),
                IsSequence(kUpToTheLoop + delivered("WM_SYSKEYDOWN", "18") +
                                 Sequence{"DefWindowProcA(hwnd1, WM_SYSKEYDOWN, 18, 0)"} +
                                 delivered("WM_KEYUP", "65") + Sequence{"DefWindowProcA(hwnd1, WM_KEYUP, 65, 0)"} +
                                 delivered("WM_MOUSEWHEEL", "7864320") +
                                 Sequence{"DefWindowProcA(hwnd1, WM_MOUSEWHEEL, 7864320, 0)"} +
                                 delivered("WM_LBUTTONUP") + Sequence{"DefWindowProcA(hwnd1, WM_LBUTTONUP, 0, 0)"} +
                                 Sequence{"hwnd1 <- WM_ACTIVATE(0, 0)", "KillTimer(hwnd1, 1)",
                                          "DestroyWindow(hwnd1)", "hwnd1 <- WM_DESTROY(0, 0)",
                                          "ShowCursor(TRUE)", "PostQuitMessage(0)"} +
                                 kQuit));
    expectEverythingReleased();
}

// Another program's window taking activation ends the saver; the window is no
// longer active, so destroying it sends no second deactivation.
TEST_F(RunTest, LosingActivationEndsIt) {
    sim::queueTick();
    sim::queueDeactivate();

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), IsSequence(kUpToTheLoop + tick(2, kOlive, 676, -9) +
                                             Sequence{"hwnd1 <- WM_ACTIVATE(0, 0)", "KillTimer(hwnd1, 1)",
                                                      "DestroyWindow(hwnd1)", "hwnd1 <- WM_DESTROY(0, 0)",
                                                      "ShowCursor(TRUE)", "PostQuitMessage(0)"} +
                                             kQuit));
    expectEverythingReleased();
}

// Alt+F4 comes as WM_CLOSE: the default destroys the window, whose deactivation
// on the way dismisses the saver, timer included.
TEST_F(RunTest, CloseGoesThroughTheDefaultAndEndsIt) {
    sim::queueMessage(WM_CLOSE);

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(),
                IsSequence(kUpToTheLoop + delivered("WM_CLOSE") +
                                 Sequence{"DefWindowProcA(hwnd1, WM_CLOSE, 0, 0)", "hwnd1 <- WM_ACTIVATE(0, 0)",
                                          "KillTimer(hwnd1, 1)", "DestroyWindow(hwnd1)",
                                          "hwnd1 <- WM_DESTROY(0, 0)", "ShowCursor(TRUE)",
                                          "PostQuitMessage(0)"} +
                                 kQuit));
    expectEverythingReleased();
}

TEST_F(RunTest, ManyTicksLeaveNoFontAndTheCursorBalanced) {
    constexpr int kTicks = 5000;
    for (int i = 0; i < kTicks; ++i) {
        sim::queueTick();
    }
    sim::queueMessage(WM_LBUTTONDOWN);

    EXPECT_EQ(runWinMain(), 0);

    ASSERT_EQ(sim::drawnTexts().size(), static_cast<std::size_t>(kTicks + 1));
    expectEveryTextPlacedFor(1024, 768);
    for (const sim::DrawnText& text : sim::drawnTexts()) {
        ASSERT_EQ(text.fontHeight, -19);
    }
    expectEverythingReleased();
}

// A long unattended run: every placement stays on its range, each tick draws
// three values for the one item, and nothing is left alive at the end.
TEST_F(RunTest, AHundredThousandTicks) {
    constexpr int kTicks = 100000;
    sim::script().keepsLog = false;
    sim::script().screenWidth = 1920;
    sim::script().screenHeight = 1080;
    for (int i = 0; i < kTicks; ++i) {
        sim::queueTick();
    }
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    ASSERT_EQ(sim::drawnTexts().size(), static_cast<std::size_t>(kTicks + 1));
    expectEveryTextPlacedFor(1920, 1080);
    const int drawAfterTheRun = SaverRandom::next();
    SaverRandom::seed(1);  // the clock's seed in this run
    for (int i = 0; i < 3 * (kTicks + 1); ++i) {
        SaverRandom::next();
    }
    EXPECT_EQ(SaverRandom::next(), drawAfterTheRun);
    expectEverythingReleased();
}

struct ResolutionCase {
    int pixelsPerInch;
    int fontHeight;
};

std::ostream& operator<<(std::ostream& out, const ResolutionCase& row) {
    return out << row.pixelsPerInch << " pixels per inch";
}

class ResolutionRunTest : public RunTest, public ::testing::WithParamInterface<ResolutionCase> {};

// 14 points as a character height in pixels, rounded to the nearest.
TEST_P(ResolutionRunTest, FontFollowsTheScreensPixelsPerInch) {
    sim::script().logPixelsY = GetParam().pixelsPerInch;
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::drawnTexts(), ElementsAre(companyNameAt(500, -53, kYellow, GetParam().fontHeight)));
}

INSTANTIATE_TEST_SUITE_P(PixelsPerInch, ResolutionRunTest,
                         ::testing::Values(ResolutionCase{96, -19}, ResolutionCase{120, -23},
                                           ResolutionCase{144, -28}, ResolutionCase{110, -21},
                                           ResolutionCase{72, -14}),
                         [](const auto& info) { return std::to_string(info.param.pixelsPerInch) + "dpi"; });

TEST_F(RunTest, WindowCoversTheScreenItIsGiven) {
    sim::script().screenWidth = 1920;
    sim::script().screenHeight = 1080;
    sim::queueMessage(WM_KEYDOWN, 'A');

    EXPECT_EQ(runWinMain(), 0);

    EXPECT_THAT(sim::log(), ::testing::Contains(
                                "CreateWindowExA(0x00000008, QuintorScreenSaver, Generic Screen Saver, "
                                "0x80000000, 0, 0, 1920, 1080, NULL, NULL, hinstance, NULL)"));
    // (4616 mod 1920) - 20 and (1583 mod 1080) - 100
    EXPECT_THAT(sim::drawnTexts(), ElementsAre(companyNameAt(756, 403, kYellow)));
}

}  // namespace
