// The floor for the saver's own job, for the benchmark: written plainly in C style,
// a black full-screen topmost window with a 2000 ms timer, one invalidation per
// tick and one paint of one line of 14-point Arial at a new place and colour. A
// key or a button ends it.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

static const char kText[] = "Tavolin Brightwork Associates";
static int textX = 0;
static int textY = 0;
static COLORREF textColor = RGB(255, 255, 255);

static void onPaint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    HFONT font = CreateFontA(-MulDiv(14, GetDeviceCaps(hdc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                             FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ previous = SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, textColor);
    TextOutA(hdc, textX, textY, kText, (int)strlen(kText));
    SelectObject(hdc, previous);
    DeleteObject(font);
    EndPaint(hwnd, &paint);
}

static void onTimer(HWND hwnd) {
    textX = rand() % (GetSystemMetrics(SM_CXSCREEN) / 2);
    textY = rand() % (GetSystemMetrics(SM_CYSCREEN) - 20);
    textColor = RGB(rand() % 256, rand() % 256, rand() % 256);
    InvalidateRect(hwnd, NULL, TRUE);
}

static LRESULT CALLBACK tickerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        onPaint(hwnd);
        return 0;
    case WM_TIMER:
        onTimer(hwnd);
        return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, 1);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = tickerWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = "FloorTicker";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "FloorTicker", "Floor Ticker", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NULL, NULL,
                                instance, NULL);
    if (hwnd == NULL) {
        return 1;
    }
    ShowCursor(FALSE);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetTimer(hwnd, 1, 2000, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    ShowCursor(TRUE);
    return 0;
}
