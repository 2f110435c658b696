// A small Win32 of one thread, enough to run the saver on the host: windows,
// classes, the message queue, timers, the paint bracket and a few GDI objects.
//
// Every exported call writes one line to the log as it is entered; every message
// a window procedure receives writes "hwndN <- WM_NAME(wParam, lParam)". What the
// platform does on its own (the default erase) is written in brackets. Messages
// are sent synchronously where Windows sends them: creation messages from
// CreateWindowExA, WM_SHOWWINDOW and WM_ACTIVATE from ShowWindow, WM_PAINT from
// UpdateWindow, WM_ERASEBKGND from BeginPaint, and WM_ACTIVATE(0) then WM_DESTROY
// from DestroyWindow. GetMessageA takes posted messages first, then the quit,
// then a paint, then the test's scripted events; when nothing is left it fails
// with "nothing left to deliver", which no expected sequence contains. Its log
// line is written as it returns, after whatever it sent on the way.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <set>
#include <sstream>

#include "simulation.h"

namespace {

struct Window {
    std::string className;
    WNDPROC proc = nullptr;
    bool visible = false;
    bool needsPaint = false;
    bool needsErase = false;
};

struct Font {
    int height = 0;
    std::string face;
};

struct DeviceContext {
    HWND window = nullptr;
    HGDIOBJ font = nullptr;
    int bkMode = OPAQUE;
    COLORREF textColor = 0;
};

struct Event {
    enum Kind { Message, Tick, Activate, Deactivate } kind;
    MSG message;
};

// Handles are numbers in ranges of their own, so a log line can name them; a range
// holds more objects than the longest run makes.
constexpr std::uintptr_t kHandleRange = 0x1000000;
constexpr std::uintptr_t kWindowBase = 1 * kHandleRange;
constexpr std::uintptr_t kDcBase = 2 * kHandleRange;
constexpr std::uintptr_t kFontBase = 3 * kHandleRange;
constexpr std::uintptr_t kStockBase = 4 * kHandleRange;

struct Platform {
    sim::Script script;
    std::vector<std::string> log;
    std::string commandLineBuffer;
    std::map<std::string, WNDCLASSA> classes;
    std::map<HWND, Window> windows;
    std::map<std::pair<HWND, UINT_PTR>, UINT> timers;
    std::map<HFONT, Font> fonts;
    std::map<HDC, DeviceContext> dcs;
    std::map<const void*, std::string> names;
    std::deque<MSG> posted;
    std::deque<Event> events;
    std::vector<sim::DrawnText> drawn;
    WNDCLASSA lastClass = {};
    HWND active = nullptr;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCount = 0;
    int getMessageCalls = 0;
    std::uintptr_t windowsMade = 0;
    std::uintptr_t fontsMade = 0;
};

Platform& platform() {
    static Platform instance;
    return instance;
}

template <typename T>
T handleFrom(std::uintptr_t base, std::uintptr_t number) {
    return reinterpret_cast<T>(base + number);
}

HGDIOBJ stockObject(int object) {
    return handleFrom<HGDIOBJ>(kStockBase, static_cast<std::uintptr_t>(object));
}

std::string hex(std::uintptr_t value, int digits = 0) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string nameOf(const void* handle) {
    if (handle == nullptr) {
        return "NULL";
    }
    const auto named = platform().names.find(handle);
    if (named != platform().names.end()) {
        return named->second;
    }
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == reinterpret_cast<std::uintptr_t>(stockObject(BLACK_BRUSH))) {
        return "BLACK_BRUSH";
    }
    if (value == reinterpret_cast<std::uintptr_t>(stockObject(SYSTEM_FONT))) {
        return "SYSTEM_FONT";
    }
    const std::pair<std::uintptr_t, const char*> ranges[] = {
        {kWindowBase, "hwnd"}, {kDcBase, "hdc"}, {kFontBase, "font"}};
    for (const auto& [base, prefix] : ranges) {
        if (value > base && value < base + kHandleRange) {
            return prefix + std::to_string(value - base);
        }
    }
    return hex(value);
}

std::string messageName(UINT message) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},           {WM_DESTROY, "WM_DESTROY"},
        {WM_ACTIVATE, "WM_ACTIVATE"},       {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_PAINT, "WM_PAINT"},             {WM_CLOSE, "WM_CLOSE"},
        {WM_QUIT, "WM_QUIT"},               {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},   {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},     {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},             {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},   {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_SYSCHAR, "WM_SYSCHAR"},         {WM_TIMER, "WM_TIMER"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},     {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},     {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"}, {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
        {WM_MBUTTONUP, "WM_MBUTTONUP"},     {WM_MBUTTONDBLCLK, "WM_MBUTTONDBLCLK"},
        {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},   {WM_XBUTTONDOWN, "WM_XBUTTONDOWN"},
        {WM_XBUTTONUP, "WM_XBUTTONUP"},
    };
    const auto found = names.find(message);
    return found != names.end() ? found->second : hex(message, 4);
}

// A message parameter that happens to be a handle is shown by its name.
std::string parameter(std::uintptr_t value) {
    if (value == 0) {
        return "0";
    }
    const std::string named = nameOf(reinterpret_cast<const void*>(value));
    return named.rfind("0x", 0) == 0 ? std::to_string(static_cast<std::intptr_t>(value)) : named;
}

// A constant argument by its name when it is the one the saver passes, else by number.
std::string symbol(int value, int known, const char* name) {
    return value == known ? name : std::to_string(value);
}

std::string boolean(BOOL value) {
    return value ? "TRUE" : "FALSE";
}

void write(std::string line) {
    if (platform().script.keepsLog) {
        platform().log.push_back(std::move(line));
    }
}

bool isWindow(HWND hwnd) {
    return platform().windows.count(hwnd) != 0;
}

LRESULT send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!isWindow(hwnd)) {
        return 0;
    }
    write(nameOf(hwnd) + " <- " + messageName(message) + "(" + parameter(wParam) + ", " +
          parameter(static_cast<std::uintptr_t>(lParam)) + ")");
    return platform().windows[hwnd].proc(hwnd, message, wParam, lParam);
}

HWND firstWindow() {
    return platform().windows.empty() ? nullptr : platform().windows.begin()->first;
}

void activate(HWND hwnd) {
    Platform& p = platform();
    if (p.active == hwnd || !isWindow(hwnd)) {
        return;
    }
    p.active = hwnd;
    send(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
}

void deactivate() {
    Platform& p = platform();
    HWND previous = p.active;
    p.active = nullptr;
    if (previous != nullptr) {
        send(previous, WM_ACTIVATE, WA_INACTIVE, 0);
    }
}

// The window procedure may destroy the window again while it loses activation;
// a window already gone by then is not destroyed twice.
BOOL destroy(HWND hwnd) {
    Platform& p = platform();
    if (!isWindow(hwnd)) {
        return FALSE;
    }
    if (p.active == hwnd) {
        deactivate();
        if (!isWindow(hwnd)) {
            return TRUE;
        }
    }
    p.windows[hwnd].visible = false;
    for (auto timer = p.timers.begin(); timer != p.timers.end();) {
        timer = timer->first.first == hwnd ? p.timers.erase(timer) : std::next(timer);
    }
    for (auto message = p.posted.begin(); message != p.posted.end();) {
        message = message->hwnd == hwnd ? p.posted.erase(message) : std::next(message);
    }
    send(hwnd, WM_DESTROY, 0, 0);
    p.windows.erase(hwnd);
    return TRUE;
}

bool isSelectedSomewhere(HGDIOBJ object) {
    for (const auto& [hdc, dc] : platform().dcs) {
        if (dc.font == object) {
            return true;
        }
    }
    return false;
}

DeviceContext* dcFor(HDC hdc) {
    const auto found = platform().dcs.find(hdc);
    return found != platform().dcs.end() ? &found->second : nullptr;
}

// A character key on its way through TranslateMessage.
bool characterFor(WPARAM key, char* character) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == ' ') {
        *character = static_cast<char>(key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key);
        return true;
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
        *character = static_cast<char>(key);
        return true;
    }
    return false;
}

void fill(MSG* message, HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
    *message = MSG{};
    message->hwnd = hwnd;
    message->message = id;
    message->wParam = wParam;
    message->lParam = lParam;
}

// Takes the next scripted event: true when it yields a message, false when it was
// an activation change (handled here, by sending) or had nothing to deliver.
bool takeScriptedEvent(MSG* message) {
    Platform& p = platform();
    const Event event = p.events.front();
    p.events.pop_front();
    switch (event.kind) {
    case Event::Message: {
        HWND target = event.message.hwnd != nullptr ? event.message.hwnd : firstWindow();
        *message = event.message;
        message->hwnd = target;
        return isWindow(target);
    }
    case Event::Tick:
        if (p.timers.empty()) {
            return false;
        }
        fill(message, p.timers.begin()->first.first, WM_TIMER, p.timers.begin()->first.second, 0);
        return true;
    case Event::Activate:
        activate(firstWindow());
        return false;
    case Event::Deactivate:
        deactivate();
        return false;
    }
    return false;
}

}  // namespace

namespace sim {

std::vector<std::pair<BYTE, BYTE>> codePage932() {
    return {{0x81, 0x9F}, {0xE0, 0xFC}};
}

void reset() {
    platform() = Platform{};
}

Script& script() {
    return platform().script;
}

void queueMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd) {
    Event event{Event::Message, {}};
    fill(&event.message, hwnd, message, wParam, lParam);
    platform().events.push_back(event);
}

void queueTick() {
    platform().events.push_back({Event::Tick, {}});
}

void queueActivate() {
    platform().events.push_back({Event::Activate, {}});
}

void queueDeactivate() {
    platform().events.push_back({Event::Deactivate, {}});
}

const std::vector<std::string>& log() {
    return platform().log;
}

void clearLog() {
    platform().log.clear();
}

void name(const void* handleOrProc, std::string text) {
    platform().names[handleOrProc] = std::move(text);
}

void name(WNDPROC proc, std::string text) {
    name(reinterpret_cast<const void*>(proc), std::move(text));
}

HWND makeWindow(WNDPROC proc) {
    Platform& p = platform();
    HWND hwnd = handleFrom<HWND>(kWindowBase, ++p.windowsMade);
    p.windows[hwnd].proc = proc;
    return hwnd;
}

bool operator==(const DrawnText& left, const DrawnText& right) {
    return left.text == right.text && left.x == right.x && left.y == right.y &&
           left.color == right.color && left.bkMode == right.bkMode &&
           left.fontHeight == right.fontHeight && left.fontFace == right.fontFace;
}

std::ostream& operator<<(std::ostream& out, const DrawnText& text) {
    return out << '"' << text.text << "\" at (" << text.x << ", " << text.y << ") in "
               << hex(text.color, 8) << (text.bkMode == TRANSPARENT ? " transparent" : " opaque")
               << ", font " << text.fontHeight << " " << text.fontFace;
}

const std::vector<DrawnText>& drawnTexts() {
    return platform().drawn;
}

const WNDCLASSA& lastRegisteredClass() {
    return platform().lastClass;
}

int gdiObjectsAlive() {
    return static_cast<int>(platform().fonts.size());
}

int cursorCount() {
    return platform().cursorCount;
}

int classesRegistered() {
    return static_cast<int>(platform().classes.size());
}

int windowsAlive() {
    return static_cast<int>(platform().windows.size());
}

int timersAlive() {
    return static_cast<int>(platform().timers.size());
}

int timerPeriod(UINT_PTR id) {
    for (const auto& [key, period] : platform().timers) {
        if (key.second == id) {
            return static_cast<int>(period);
        }
    }
    return 0;
}

}  // namespace sim

// The clock: the saver reads calendar time through the C library, so the
// simulation takes the C library's place for it.
extern "C" std::time_t time(std::time_t* result) {
    write("time()");
    const auto now = static_cast<std::time_t>(platform().script.clock);
    if (result != nullptr) {
        *result = now;
    }
    return now;
}

// KERNEL32

LPSTR GetCommandLineA() {
    write("GetCommandLineA()");
    Platform& p = platform();
    p.commandLineBuffer = p.script.commandLine;
    return p.commandLineBuffer.data();
}

// A pure query, asked once per byte of a quoted name: not logged.
BOOL IsDBCSLeadByte(BYTE testChar) {
    for (const auto& [first, last] : platform().script.leadByteRanges) {
        if (testChar >= first && testChar <= last) {
            return TRUE;
        }
    }
    return FALSE;
}

void Sleep(DWORD milliseconds) {
    write("Sleep(" + std::to_string(milliseconds) + ")");
}

// Arithmetic only, so not logged: number * numerator / denominator, rounded half
// away from zero, -1 when the denominator is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(number) * numerator;
    const long long magnitude = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
    const long long result = (product < 0) != (denominator < 0) ? -magnitude : magnitude;
    return result > INT32_MAX || result < INT32_MIN ? -1 : static_cast<int>(result);
}

// USER32

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    Platform& p = platform();
    write("RegisterClassA(" + hex(windowClass->style, 4) + ", " +
          nameOf(reinterpret_cast<const void*>(windowClass->lpfnWndProc)) + ", " +
          std::to_string(windowClass->cbClsExtra) + ", " + std::to_string(windowClass->cbWndExtra) +
          ", " + nameOf(windowClass->hInstance) + ", " + nameOf(windowClass->hIcon) + ", " +
          nameOf(windowClass->hCursor) + ", " + nameOf(windowClass->hbrBackground) + ", " +
          (windowClass->lpszMenuName ? windowClass->lpszMenuName : "NULL") + ", " +
          windowClass->lpszClassName + ")");
    p.lastClass = *windowClass;
    if (p.script.registerClassFails || p.classes.count(windowClass->lpszClassName) != 0) {
        return 0;
    }
    p.classes[windowClass->lpszClassName] = *windowClass;
    return static_cast<ATOM>(0xC000 + p.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    Platform& p = platform();
    write(std::string("UnregisterClassA(") + className + ", " + nameOf(instance) + ")");
    const auto found = p.classes.find(className);
    if (found == p.classes.end() || found->second.hInstance != instance) {
        return FALSE;
    }
    // Windows refuses while a window of the class exists.
    for (const auto& [hwnd, window] : p.windows) {
        if (window.className == className) {
            return FALSE;
        }
    }
    p.classes.erase(found);
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    Platform& p = platform();
    write(std::string("CreateWindowExA(") + hex(exStyle, 8) + ", " + className + ", " + windowName +
          ", " + hex(style, 8) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
          std::to_string(width) + ", " + std::to_string(height) + ", " + nameOf(parent) + ", " +
          nameOf(menu) + ", " + nameOf(instance) + ", " + nameOf(param) + ")");
    const auto found = p.classes.find(className);
    if (p.script.createWindowFails || found == p.classes.end() ||
        found->second.hInstance != instance) {
        return nullptr;
    }
    HWND hwnd = sim::makeWindow(found->second.lpfnWndProc);
    p.windows[hwnd].className = className;
    // A window procedure that refuses creation makes CreateWindowExA fail.
    if (send(hwnd, WM_NCCREATE, 0, 0) == 0) {
        p.windows.erase(hwnd);
        return nullptr;
    }
    if (send(hwnd, WM_CREATE, 0, 0) == -1) {
        destroy(hwnd);
        return nullptr;
    }
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    write("DestroyWindow(" + nameOf(hwnd) + ")");
    return destroy(hwnd);
}

BOOL ShowWindow(HWND hwnd, int command) {
    Platform& p = platform();
    write("ShowWindow(" + nameOf(hwnd) + ", " +
          symbol(command, SW_SHOWNORMAL, "SW_SHOWNORMAL") + ")");
    if (!isWindow(hwnd) || p.windows[hwnd].visible) {
        return isWindow(hwnd);
    }
    send(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (isWindow(hwnd)) {
        Window& window = p.windows[hwnd];
        window.visible = true;
        window.needsPaint = true;
        window.needsErase = true;
    }
    if (p.script.activateOnShow) {
        activate(hwnd);
    }
    return FALSE;  // it was hidden before
}

BOOL UpdateWindow(HWND hwnd) {
    write("UpdateWindow(" + nameOf(hwnd) + ")");
    if (!isWindow(hwnd)) {
        return FALSE;
    }
    if (platform().windows[hwnd].needsPaint) {
        send(hwnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    write("InvalidateRect(" + nameOf(hwnd) + ", " + (rect ? "rect" : "NULL") + ", " +
          boolean(erase) + ")");
    if (!isWindow(hwnd)) {
        return FALSE;
    }
    Window& window = platform().windows[hwnd];
    window.needsPaint = true;
    window.needsErase = window.needsErase || erase != FALSE;
    return TRUE;
}

int GetSystemMetrics(int index) {
    const Platform& p = platform();
    write("GetSystemMetrics(" +
          (index == SM_CYSCREEN ? "SM_CYSCREEN" : symbol(index, SM_CXSCREEN, "SM_CXSCREEN")) + ")");
    return index == SM_CXSCREEN ? p.script.screenWidth : index == SM_CYSCREEN ? p.script.screenHeight : 0;
}

int ShowCursor(BOOL show) {
    write("ShowCursor(" + boolean(show) + ")");
    return platform().cursorCount += show ? 1 : -1;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
    Platform& p = platform();
    write("SetTimer(" + nameOf(hwnd) + ", " + std::to_string(id) + ", " + std::to_string(elapse) +
          ", " + nameOf(reinterpret_cast<const void*>(timerProc)) + ")");
    if (p.script.setTimerFails || !isWindow(hwnd)) {
        return 0;
    }
    p.timers[{hwnd, id}] = elapse;
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    write("KillTimer(" + nameOf(hwnd) + ", " + std::to_string(id) + ")");
    return platform().timers.erase({hwnd, id}) != 0 ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* message, HWND hwnd, UINT filterMin, UINT filterMax) {
    Platform& p = platform();
    const std::string call = "GetMessageA(" + nameOf(hwnd) + ", " + std::to_string(filterMin) +
                             ", " + std::to_string(filterMax) + ") -> ";
    if (++p.getMessageCalls == p.script.getMessageFailsOnCall) {
        write(call + "-1");
        return -1;
    }
    // What a scripted event sends may post, so each turn starts again from the posted messages.
    for (;;) {
        if (!p.posted.empty()) {
            *message = p.posted.front();
            p.posted.pop_front();
            break;
        }
        if (p.quitPosted) {
            p.quitPosted = false;
            fill(message, nullptr, WM_QUIT, static_cast<WPARAM>(p.quitCode), 0);
            write(call + "WM_QUIT");
            return 0;
        }
        const auto dirty = std::find_if(p.windows.begin(), p.windows.end(), [](const auto& window) {
            return window.second.visible && window.second.needsPaint;
        });
        if (dirty != p.windows.end()) {
            fill(message, dirty->first, WM_PAINT, 0, 0);
            break;
        }
        if (p.events.empty()) {
            write(call + "nothing left to deliver");
            return -1;
        }
        if (takeScriptedEvent(message)) {
            break;
        }
    }
    write(call + messageName(message->message));
    return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
    write("TranslateMessage(" + messageName(message->message) + ")");
    char character = 0;
    if (message->message != WM_KEYDOWN || !characterFor(message->wParam, &character)) {
        return FALSE;
    }
    MSG translated;
    fill(&translated, message->hwnd, WM_CHAR, static_cast<unsigned char>(character), message->lParam);
    platform().posted.push_back(translated);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
    write("DispatchMessageA(" + messageName(message->message) + ")");
    return send(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    write("PostQuitMessage(" + std::to_string(exitCode) + ")");
    platform().quitPosted = true;
    platform().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Platform& p = platform();
    write("DefWindowProcA(" + nameOf(hwnd) + ", " + messageName(message) + ", " + parameter(wParam) +
          ", " + parameter(static_cast<std::uintptr_t>(lParam)) + ")");
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_ERASEBKGND: {
        const auto found = isWindow(hwnd) ? p.classes.find(p.windows[hwnd].className) : p.classes.end();
        const HBRUSH brush = found != p.classes.end() ? found->second.hbrBackground : nullptr;
        if (brush == nullptr) {
            return 0;
        }
        write("[erased " + nameOf(hwnd) + " with " + nameOf(brush) + "]");
        return 1;
    }
    case WM_CLOSE:
        destroy(hwnd);
        return 0;
    case WM_PAINT:
        if (isWindow(hwnd)) {
            p.windows[hwnd].needsPaint = false;
        }
        return 0;
    default:
        return p.script.defWindowProcResult;
    }
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Platform& p = platform();
    write("BeginPaint(" + nameOf(hwnd) + ")");
    *paint = PAINTSTRUCT{};
    if (!isWindow(hwnd)) {
        return nullptr;
    }
    // One DC per window, fresh for each paint.
    HDC hdc = handleFrom<HDC>(kDcBase, reinterpret_cast<std::uintptr_t>(hwnd) - kWindowBase);
    p.dcs[hdc] = DeviceContext{hwnd, stockObject(SYSTEM_FONT), OPAQUE, 0};
    paint->hdc = hdc;
    paint->rcPaint = RECT{0, 0, p.script.screenWidth, p.script.screenHeight};
    Window& window = p.windows[hwnd];
    window.needsPaint = false;
    if (window.needsErase) {
        window.needsErase = false;
        paint->fErase = send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
    }
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    write("EndPaint(" + nameOf(hwnd) + ")");
    platform().dcs.erase(paint->hdc);
    return TRUE;
}

// GDI32

HGDIOBJ GetStockObject(int object) {
    write("GetStockObject(" + symbol(object, BLACK_BRUSH, "BLACK_BRUSH") + ")");
    return stockObject(object);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName) {
    Platform& p = platform();
    std::ostringstream call;
    call << "CreateFontA(" << height << ", " << width << ", " << escapement << ", " << orientation
         << ", " << weight << ", " << italic << ", " << underline << ", " << strikeOut << ", "
         << charSet << ", " << outPrecision << ", " << clipPrecision << ", " << quality << ", "
         << hex(pitchAndFamily, 2) << ", " << faceName << ")";
    write(call.str());
    if (p.script.createFontFails) {
        return nullptr;
    }
    HFONT font = handleFrom<HFONT>(kFontBase, ++p.fontsMade);
    p.fonts[font] = Font{height, faceName};
    return font;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    write("SelectObject(" + nameOf(hdc) + ", " + nameOf(object) + ")");
    DeviceContext* dc = dcFor(hdc);
    const bool known = object == stockObject(SYSTEM_FONT) ||
                       platform().fonts.count(static_cast<HFONT>(object)) != 0;
    if (dc == nullptr || !known) {
        return nullptr;
    }
    HGDIOBJ previous = dc->font;
    dc->font = object;
    return previous;
}

// A font still selected into a DC is not deleted.
BOOL DeleteObject(HGDIOBJ object) {
    write("DeleteObject(" + nameOf(object) + ")");
    Platform& p = platform();
    const auto font = p.fonts.find(static_cast<HFONT>(object));
    if (font == p.fonts.end() || isSelectedSomewhere(object)) {
        return FALSE;
    }
    p.fonts.erase(font);
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
    write("GetDeviceCaps(" + nameOf(hdc) + ", " +
          symbol(index, LOGPIXELSY, "LOGPIXELSY") + ")");
    return dcFor(hdc) != nullptr && index == LOGPIXELSY ? platform().script.logPixelsY : 0;
}

int SetBkMode(HDC hdc, int mode) {
    write("SetBkMode(" + nameOf(hdc) + ", " +
          symbol(mode, TRANSPARENT, "TRANSPARENT") + ")");
    DeviceContext* dc = dcFor(hdc);
    if (dc == nullptr) {
        return 0;
    }
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    write("SetTextColor(" + nameOf(hdc) + ", " + hex(color, 8) + ")");
    DeviceContext* dc = dcFor(hdc);
    if (dc == nullptr) {
        return 0xFFFFFFFF;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    Platform& p = platform();
    const std::string drawn(text, static_cast<std::size_t>(length));
    write("TextOutA(" + nameOf(hdc) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", \"" +
          drawn + "\", " + std::to_string(length) + ")");
    DeviceContext* dc = dcFor(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    const auto font = p.fonts.find(static_cast<HFONT>(dc->font));
    const Font used = font != p.fonts.end() ? font->second : Font{};
    p.drawn.push_back({drawn, x, y, dc->textColor, dc->bkMode, used.height, used.face});
    return TRUE;
}
