// The test side of the Win32 stand-in: what a test scripts before a run (command
// line, clock, screen, failures, the input and ticks the message loop will see)
// and what it reads afterwards (the call log, what was drawn, what is still alive).
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace sim {

// What the platform answers; reset() restores these defaults.
struct Script {
    std::string commandLine = "tavolin.exe /s";
    std::int64_t clock = 1;  // seconds since 1970, as time() reports them
    int screenWidth = 1024;
    int screenHeight = 768;
    int logPixelsY = 96;
    // Lead-byte ranges of the ANSI code page; empty for a single-byte code page.
    std::vector<std::pair<BYTE, BYTE>> leadByteRanges;
    bool activateOnShow = true;  // whether ShowWindow's window gets activation
    bool registerClassFails = false;
    bool createWindowFails = false;
    bool setTimerFails = false;
    bool createFontFails = false;
    int getMessageFailsOnCall = 0;  // 1-based; 0 never fails
    LRESULT defWindowProcResult = 0;  // for messages without a default action of their own
    bool keepsLog = true;  // off for long runs, whose log would not fit in memory
};

// Lead bytes of code page 932 (Japanese Shift-JIS).
std::vector<std::pair<BYTE, BYTE>> codePage932();

// Back to a fresh platform: no classes, windows, timers, objects or log; default script.
void reset();
Script& script();

// Events the message loop meets once its own queue is empty, in this order.
// A message with no window goes to the first window alive; it is dropped if none is.
void queueMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, HWND hwnd = nullptr);
void queueTick();        // WM_TIMER from the first live timer; nothing if none is alive
void queueActivate();    // the first window alive takes activation
void queueDeactivate();  // another program's window takes activation

// Every call the product made, every message a window procedure received, in order.
const std::vector<std::string>& log();
void clearLog();

// Names for handles and procedures the simulation did not make, for the log.
void name(const void* handleOrProc, std::string text);
void name(WNDPROC proc, std::string text);

// A window of no class: no creation messages, not shown, not active.
HWND makeWindow(WNDPROC proc);

struct DrawnText {
    std::string text;
    int x;
    int y;
    COLORREF color;
    int bkMode;
    int fontHeight;  // 0 when the DC still had its default font
    std::string fontFace;
};
bool operator==(const DrawnText& left, const DrawnText& right);
std::ostream& operator<<(std::ostream& out, const DrawnText& text);
const std::vector<DrawnText>& drawnTexts();
// The class RegisterClassA was last given, as it was given.
const WNDCLASSA& lastRegisteredClass();

// Accounting
int gdiObjectsAlive();  // objects made and not yet deleted (stock objects excluded)
int cursorCount();      // the display count ShowCursor moves; 0 at start
int classesRegistered();
int windowsAlive();
int timersAlive();
int timerPeriod(UINT_PTR id);  // of a live timer; 0 if none

}  // namespace sim
