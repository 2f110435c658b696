// handleMessage as a decision table: each row puts the saver in a state, hands it
// one message for a window it did not create, and compares every platform call it
// makes, and its result, with the row's. Actions go to the message's window.
#include "saver_test.h"

namespace {


// What DefWindowProcA answers in these tests, so a result passed on can be told from 0.
constexpr LRESULT kDefaultResult = 77;

enum class State {
    Fresh,                      // shown, never activated
    Active,                     // activated once
    ActiveAfterFourMoves,
    ActiveAfterFiveMoves,
    ActiveAfterMovesWhileFresh,  // six moves before activation, none since
};

struct MessageCase {
    std::string label;
    State state;
    UINT message;
    WPARAM wParam;
    Sequence expected;
    LRESULT result;
};

std::ostream& operator<<(std::ostream& out, const MessageCase& row) {
    return out << row.label;
}

const Sequence kDismissed = {
    "KillTimer(hwnd1, 1)",
    "DestroyWindow(hwnd1)",
    "hwnd1 <- WM_DESTROY(0, 0)",
    "ShowCursor(TRUE)",
    "PostQuitMessage(0)",
};

const Sequence kIgnored = {};

const Sequence kPaintWithNoItems = {
    "BeginPaint(hwnd1)",
    "GetDeviceCaps(hdc1, LOGPIXELSY)",
    "CreateFontA(-19, 0, 0, 0, 500, 0, 0, 0, 1, 0, 0, 4, 0x20, Arial)",
    "SelectObject(hdc1, font1)",
    "SelectObject(hdc1, SYSTEM_FONT)",
    "DeleteObject(font1)",
    "EndPaint(hwnd1)",
};

MessageCase passedOn(const std::string& name, UINT message, WPARAM wParam = 0) {
    return {name + "_goes_to_the_default", State::Active, message, wParam,
            {"DefWindowProcA(hwnd1, " + name + ", " + std::to_string(wParam) + ", 0)"},
            kDefaultResult};
}

// The five inputs that end an active saver.
const std::pair<const char*, UINT> kDismissingInputs[] = {
    {"WM_KEYDOWN", WM_KEYDOWN},         {"WM_CHAR", WM_CHAR},
    {"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {"WM_MBUTTONDOWN", WM_MBUTTONDOWN},
};

std::vector<MessageCase> messageCases() {
    std::vector<MessageCase> rows = {
        {"WM_DESTROY_shows_the_cursor_and_quits", State::Fresh, WM_DESTROY, 0,
         {"ShowCursor(TRUE)", "PostQuitMessage(0)"}, 0},
        {"deactivation_before_activation_dismisses", State::Fresh, WM_ACTIVATE, WA_INACTIVE, kDismissed, 0},
        {"deactivation_when_active_dismisses", State::Active, WM_ACTIVATE, WA_INACTIVE, kDismissed, 0},
        {"activation_goes_on_to_the_default", State::Fresh, WM_ACTIVATE, WA_ACTIVE,
         {"DefWindowProcA(hwnd1, WM_ACTIVATE, 1, 0)"}, kDefaultResult},
        {"minimized_activation_is_still_activation", State::Fresh, WM_ACTIVATE, 0x00010000,
         {"DefWindowProcA(hwnd1, WM_ACTIVATE, 65536, 0)"}, kDefaultResult},
        {"WM_PAINT_with_no_items_makes_and_frees_the_font", State::Fresh, WM_PAINT, 0, kPaintWithNoItems, 0},
        {"WM_TIMER_of_any_id_repaints_with_erasing", State::Fresh, WM_TIMER, 7,
         {"InvalidateRect(hwnd1, NULL, TRUE)"}, 0},
        {"mouse_move_before_activation_is_ignored", State::Fresh, WM_MOUSEMOVE, 0, kIgnored, 0},
        {"fifth_mouse_move_is_absorbed", State::ActiveAfterFourMoves, WM_MOUSEMOVE, 0, kIgnored, 0},
        {"sixth_mouse_move_dismisses", State::ActiveAfterFiveMoves, WM_MOUSEMOVE, 0, kDismissed, 0},
        {"moves_before_activation_do_not_count", State::ActiveAfterMovesWhileFresh, WM_MOUSEMOVE, 0, kIgnored, 0},
        {"WM_CLOSE_destroys_through_the_default", State::Active, WM_CLOSE, 0,
         {"DefWindowProcA(hwnd1, WM_CLOSE, 0, 0)", "hwnd1 <- WM_DESTROY(0, 0)", "ShowCursor(TRUE)",
          "PostQuitMessage(0)"},
         0},
        passedOn("WM_LBUTTONUP", WM_LBUTTONUP),
        passedOn("WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK),
        passedOn("WM_RBUTTONUP", WM_RBUTTONUP),
        passedOn("WM_RBUTTONDBLCLK", WM_RBUTTONDBLCLK),
        passedOn("WM_MBUTTONUP", WM_MBUTTONUP),
        passedOn("WM_MBUTTONDBLCLK", WM_MBUTTONDBLCLK),
        passedOn("WM_MOUSEWHEEL", WM_MOUSEWHEEL, 0x00780000),
        passedOn("WM_XBUTTONDOWN", WM_XBUTTONDOWN, 0x00010000),
        passedOn("WM_XBUTTONUP", WM_XBUTTONUP, 0x00010000),
        passedOn("WM_KEYUP", WM_KEYUP, 'A'),
        passedOn("WM_SYSKEYDOWN", WM_SYSKEYDOWN, VK_MENU),
        passedOn("WM_SYSKEYUP", WM_SYSKEYUP, VK_F10),
        passedOn("WM_SYSCHAR", WM_SYSCHAR, 'x'),
        passedOn("WM_SETFOCUS", WM_SETFOCUS),
        passedOn("WM_CREATE", WM_CREATE),
    };
    for (const auto& [name, message] : kDismissingInputs) {
        rows.push_back({std::string(name) + "_before_activation_is_swallowed", State::Fresh, message, 0, kIgnored, 0});
        rows.push_back({std::string(name) + "_when_active_dismisses", State::Active, message, 0, kDismissed, 0});
    }
    return rows;
}

// A window of the saver's procedure that the saver did not create: its own `window` stays empty.
class WindowProcTest : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        hwnd = sim::makeWindow(saverWindowProc);
        sim::script().defWindowProcResult = kDefaultResult;
    }

    HWND hwnd = nullptr;
};

class HandleMessageTest : public WindowProcTest, public ::testing::WithParamInterface<MessageCase> {
protected:
    void moveMouse(ScreenSaver& saver, int times) {
        for (int i = 0; i < times; ++i) {
            saver.handleMessage(hwnd, WM_MOUSEMOVE, 0, 0);
        }
    }

    void enter(ScreenSaver& saver, State state) {
        if (state == State::ActiveAfterMovesWhileFresh) {
            moveMouse(saver, 6);
        }
        if (state != State::Fresh) {
            saver.handleMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        }
        moveMouse(saver, state == State::ActiveAfterFourMoves ? 4 : state == State::ActiveAfterFiveMoves ? 5 : 0);
    }
};

TEST_P(HandleMessageTest, ActsAsTheTableSays) {
    const MessageCase& row = GetParam();
    ScreenSaver saver(kInstance, "/s");
    enter(saver, row.state);
    sim::clearLog();

    const LRESULT result = saver.handleMessage(hwnd, row.message, row.wParam, 0);

    EXPECT_THAT(sim::log(), IsSequence(row.expected));
    EXPECT_EQ(result, row.result);
}

INSTANTIATE_TEST_SUITE_P(Messages, HandleMessageTest, ::testing::ValuesIn(messageCases()),
                         [](const auto& info) { return info.param.label; });

TEST_F(WindowProcTest, ForwardsToTheActiveSaver) {
    ScreenSaver saver(kInstance, "/s");
    saver.handleMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    sim::clearLog();
    EXPECT_EQ(saverWindowProc(hwnd, WM_KEYDOWN, 'A', 0), 0);
    EXPECT_THAT(sim::log(), IsSequence(kDismissed));
}

TEST_F(WindowProcTest, WithoutAnActiveSaverUsesTheDefault) {
    ScreenSaver saver(kInstance, "/c");
    ASSERT_EQ(g_activeSaver, nullptr);
    EXPECT_EQ(saverWindowProc(hwnd, WM_KEYDOWN, 'A', 0), kDefaultResult);
    EXPECT_THAT(sim::log(), IsSequence(Sequence{"DefWindowProcA(hwnd1, WM_KEYDOWN, 65, 0)"}));
}

// Each item in list order, each in its own colour with no background box, in one font;
// an empty text is drawn as an empty string.
TEST_F(WindowProcTest, PaintDrawsEveryItemInListOrder) {
    ScreenSaver saver(kInstance, "/s");
    SaverRandom::seed(1);
    TextItem first("first");
    TextItem empty("");
    TextItem last("last");
    saver.addItem(first);
    saver.addItem(empty);
    saver.addItem(last);

    saver.handleMessage(hwnd, WM_PAINT, 0, 0);

    EXPECT_THAT(sim::drawnTexts(),
                ::testing::ElementsAre(sim::DrawnText{"first", 500, -53, 0x0200FFFF, TRANSPARENT, -19, "Arial"},
                                       sim::DrawnText{"", 676, -9, 0x02008080, TRANSPARENT, -19, "Arial"},
                                       sim::DrawnText{"last", 151, 496, 0x020000FF, TRANSPARENT, -19, "Arial"}));
    EXPECT_THAT(sim::log(), ::testing::Contains("TextOutA(hdc1, 676, -9, \"\", 0)"));
    EXPECT_EQ(sim::gdiObjectsAlive(), 0);
}

// A tick re-places every item in list order, three draws each, before asking for the repaint.
TEST_F(WindowProcTest, TickReplacesEveryItemInListOrder) {
    ScreenSaver saver(kInstance, "/s");
    SaverRandom::seed(1);
    TextItem first("first");
    TextItem second("second");
    saver.addItem(first);
    saver.addItem(second);
    sim::clearLog();

    saver.handleMessage(hwnd, WM_TIMER, 1, 0);

    EXPECT_EQ(first.color, 0x020000FFu);
    EXPECT_EQ(first.x, 151);
    EXPECT_EQ(first.y, 496);
    EXPECT_EQ(second.color, 0x02FFFF00u);
    EXPECT_EQ(second.x, 382);
    EXPECT_EQ(second.y, 24);
    EXPECT_THAT(sim::log(), IsSequence(Sequence{
                                "GetSystemMetrics(SM_CXSCREEN)", "GetSystemMetrics(SM_CYSCREEN)",
                                "GetSystemMetrics(SM_CXSCREEN)", "GetSystemMetrics(SM_CYSCREEN)",
                                "InvalidateRect(hwnd1, NULL, TRUE)"}));
}

}  // namespace
