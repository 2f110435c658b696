// Host stand-in for the part of Win32 the saver uses: the same names, types and
// numeric values, declared here and implemented by the simulation in platform.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

// Calling conventions mean nothing on the host.
#define WINAPI
#define CALLBACK

// Handles are pointers to distinct incomplete types, so mixing them up does not compile.
struct HINSTANCE__;
struct HWND__;
struct HDC__;
struct HBRUSH__;
struct HFONT__;
struct HICON__;
struct HMENU__;
using HINSTANCE = HINSTANCE__*;
using HWND = HWND__*;
using HDC = HDC__*;
// Any GDI object converts to the generic handle, as brushes and fonts do for SelectObject.
using HGDIOBJ = void*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HICON = HICON__*;
using HCURSOR = HICON__*;
using HMENU = HMENU__*;

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using ATOM = WORD;
using COLORREF = DWORD;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Messages
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_XBUTTONDOWN = 0x020B;
constexpr UINT WM_XBUTTONUP = 0x020C;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_F10 = 0x79;

// Window classes and windows
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// GDI
constexpr int BLACK_BRUSH = 4;
constexpr int SYSTEM_FONT = 13;
constexpr int LOGPIXELSY = 90;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int FW_MEDIUM = 500;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_SWISS = 0x20;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) {
    return 0x02000000 | RGB(r, g, b);
}

// KERNEL32
LPSTR GetCommandLineA();
BOOL IsDBCSLeadByte(BYTE testChar);
void Sleep(DWORD milliseconds);
int MulDiv(int number, int numerator, int denominator);

// USER32
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
BOOL DestroyWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int command);
BOOL UpdateWindow(HWND hwnd);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
int GetSystemMetrics(int index);
int ShowCursor(BOOL show);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
BOOL GetMessageA(MSG* message, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// GDI32
HGDIOBJ GetStockObject(int object);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetDeviceCaps(HDC hdc, int index);
int SetBkMode(HDC hdc, int mode);
COLORREF SetTextColor(HDC hdc, COLORREF color);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int show);
