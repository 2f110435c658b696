// The saver: decides from the command tail whether to show, then owns the
// full-screen window, its message rules, the two-second tick and the painting.
#pragma once

#include <windows.h>

#include <vector>

#include "content/text_item.h"

class ScreenSaver {
public:
    // Shows only for the tails "s", "-s" and "/s" (letters in any case); only then
    // does it keep the instance, become g_activeSaver and seed SaverRandom.
    ScreenSaver(HINSTANCE instance, const char* commandTail);
    ScreenSaver(const ScreenSaver&) = delete;
    ScreenSaver& operator=(const ScreenSaver&) = delete;

    // The saver draws the item but does not own it; it must outlive run().
    void addItem(TextItem& item);

    // The whole visible life of the saver; returns at once unless it shows.
    void run();

    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool registerWindowClass();
    bool createSaverWindow();
    void pumpMessages();

    LRESULT onActivate(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void onInput(HWND hwnd);
    void onMouseMove(HWND hwnd);
    void onTimer(HWND hwnd);
    void onPaint(HWND hwnd);
    void onDestroy();
    void dismiss(HWND hwnd);

    HINSTANCE instance = nullptr;  // set only in show mode
    HWND window = nullptr;
    bool isActive = false;         // set by the first activation, never reset
    int mouseMoveCount = 0;        // moves seen while active, never reset
    std::vector<TextItem*> items;  // drawn and re-placed in this order
    bool isDismissed = false;      // dismiss runs once, though destroying can re-enter it
};

// The saver that shows, if any: the window procedure's way back to it.
extern ScreenSaver* g_activeSaver;

LRESULT CALLBACK saverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
