// The saver's life: register the class, create the window, wait a moment, show
// it (the system activates it), hide the cursor, paint, start the tick, pump.
//
// Every message comes back through saverWindowProc to handleMessage, a table
// of one handler per message. Once the window is active, a key, a button press
// or the sixth mouse move dismisses it; losing activation dismisses at any
// time. dismiss kills the tick and destroys the window; WM_DESTROY shows the
// cursor and posts the quit that ends the loop, and run unregisters the class.
#include "saver/screen_saver.h"

#include <cstdint>
#include <ctime>

#include "content/saver_random.h"

ScreenSaver* g_activeSaver = nullptr;

namespace {

// The launch tails that show the saver; any other tail shows nothing.
constexpr const char* kShowSwitches[] = {"s", "-s", "/s"};

constexpr const char* kClassName = "QuintorScreenSaver";
constexpr const char* kWindowName = "Generic Screen Saver";
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;

// A short pause between creating the window and showing it.
constexpr DWORD kShowDelayMilliseconds = 250;

// The tick that moves the text.
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMilliseconds = 2000;

// A hand resting on the mouse makes small moves; these are forgiven, the next one dismisses.
constexpr int kMouseMovesAbsorbed = 5;

// 14-point Arial, turned into device pixels for each paint.
constexpr int kFontPoints = 14;
constexpr int kPointsPerInch = 72;
constexpr const char* kFontFace = "Arial";

// Compares the whole strings, folding only the letters A to Z.
bool equalsIgnoringAsciiCase(const char* left, const char* right) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    for (; *left != '\0' && *right != '\0'; ++left, ++right) {
        if (fold(static_cast<unsigned char>(*left)) != fold(static_cast<unsigned char>(*right))) {
            return false;
        }
    }
    return *left == *right;
}

bool isShowSwitch(const char* commandTail) {
    for (const char* showSwitch : kShowSwitches) {
        if (equalsIgnoringAsciiCase(commandTail, showSwitch)) {
            return true;
        }
    }
    return false;
}

}  // namespace

ScreenSaver::ScreenSaver(HINSTANCE instance, const char* commandTail) {
    if (commandTail == nullptr || !isShowSwitch(commandTail)) {
        return;
    }
    this->instance = instance;
    g_activeSaver = this;
    // The low 32 bits of the seconds since 1970.
    SaverRandom::seed(static_cast<std::uint32_t>(std::time(nullptr)));
}

void ScreenSaver::addItem(TextItem& item) {
    items.push_back(&item);
}

void ScreenSaver::run() {
    if (instance == nullptr) {
        return;
    }
    if (!registerWindowClass()) {
        return;
    }
    if (createSaverWindow()) {
        Sleep(kShowDelayMilliseconds);
        ShowWindow(window, SW_SHOWNORMAL);
        ShowCursor(FALSE);
        UpdateWindow(window);
        SetTimer(window, kTimerId, kTickMilliseconds, nullptr);
        pumpMessages();
    }
    UnregisterClassA(kClassName, instance);
}

bool ScreenSaver::registerWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = kClassStyle;
    windowClass.lpfnWndProc = saverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

bool ScreenSaver::createSaverWindow() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    window = CreateWindowExA(WS_EX_TOPMOST, kClassName, kWindowName, WS_POPUP, 0, 0, width, height,
                             nullptr, nullptr, instance, nullptr);
    return window != nullptr;
}

// Ends on WM_QUIT (0) and also when GetMessageA fails (-1).
void ScreenSaver::pumpMessages() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT ScreenSaver::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_ACTIVATE:
        return onActivate(hwnd, wParam, lParam);
    case WM_PAINT:
        onPaint(hwnd);
        return 0;
    case WM_TIMER:
        onTimer(hwnd);
        return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        onInput(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// The whole wParam counts: a minimized activation (high word set) is still an activation.
LRESULT ScreenSaver::onActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (wParam == 0) {
        dismiss(hwnd);
        return 0;
    }
    isActive = true;
    return DefWindowProcA(hwnd, WM_ACTIVATE, wParam, lParam);
}

// Input before the first activation is swallowed: it may be what started the saver.
void ScreenSaver::onInput(HWND hwnd) {
    if (isActive) {
        dismiss(hwnd);
    }
}

void ScreenSaver::onMouseMove(HWND hwnd) {
    if (!isActive) {
        return;
    }
    ++mouseMoveCount;
    if (mouseMoveCount > kMouseMovesAbsorbed) {
        dismiss(hwnd);
    }
}

void ScreenSaver::onTimer(HWND hwnd) {
    for (TextItem* item : items) {
        item->placeRandomly();
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// BeginPaint has the class's black brush erase the window when a repaint asked for it.
void ScreenSaver::onPaint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    HFONT font = CreateFontA(-MulDiv(kFontPoints, GetDeviceCaps(hdc, LOGPIXELSY), kPointsPerInch), 0,
                             0, 0, FW_MEDIUM, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, kFontFace);
    HGDIOBJ previousFont = SelectObject(hdc, font);
    for (const TextItem* item : items) {
        // No background box: the black screen and earlier items show between the letters.
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, item->color);
        TextOutA(hdc, item->x, item->y, item->text.c_str(), static_cast<int>(item->text.size()));
    }
    SelectObject(hdc, previousFont);
    DeleteObject(font);
    EndPaint(hwnd, &paint);
}

void ScreenSaver::onDestroy() {
    ShowCursor(TRUE);
    PostQuitMessage(0);
}

// Destroying the active window deactivates it first, and that WM_ACTIVATE comes
// back here from inside DestroyWindow; the second call has nothing left to do.
void ScreenSaver::dismiss(HWND hwnd) {
    if (isDismissed) {
        return;
    }
    isDismissed = true;
    KillTimer(hwnd, kTimerId);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK saverWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_activeSaver == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return g_activeSaver->handleMessage(hwnd, message, wParam, lParam);
}
