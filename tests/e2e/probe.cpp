// A Win32 helper for the end-to-end tests, run under Wine beside the saver:
//   probe run FILE      starts the command line that FILE holds, byte for byte, and
//                       exits with that program's exit code (Wine would requote
//                       arguments with blanks, so a tail like "/s " needs this, and
//                       a line near Windows' 32,767-character limit fits in no
//                       argument of the probe's own);
//   probe draw HEIGHT   a black full-screen window with the company name in white
//                       at (100, 100) in Arial of that character height, for
//                       measuring what the saver's text should look like;
//   probe window        a small ordinary window that takes activation;
//   probe cursor        exits with 0 when the foreground program keeps the cursor
//                       hidden (its display count below zero), with 1 when it shows.
// Both windows close on any key or button, or after a minute.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kText = "Tavolin Brightwork Associates";
constexpr int kTextLeft = 100;
constexpr int kTextTop = 100;
constexpr UINT kLifetimeMilliseconds = 60000;

int textHeight = 19;

// Exit codes of the probe's own failures, apart from any the started program gives.
constexpr int kCannotRead = 199;
constexpr int kCannotStart = 200;

int run(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return kCannotRead;
    }
    std::string buffer(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const BOOL ok = buffer.empty() || ReadFile(file, &buffer[0], static_cast<DWORD>(buffer.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != buffer.size()) {
        return kCannotRead;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return kCannotStart;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 201;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

void paintText(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    HFONT font = CreateFontA(-textHeight, 0, 0, 0, FW_MEDIUM, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ previous = SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    TextOutA(hdc, kTextLeft, kTextTop, kText, static_cast<int>(std::strlen(kText)));
    SelectObject(hdc, previous);
    DeleteObject(font);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK probeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (GetWindowLongPtrA(hwnd, GWLP_USERDATA) != 0) {
            paintText(hwnd);
            return 0;
        }
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_TIMER:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int showWindow(HINSTANCE instance, bool drawsText) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = probeWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(drawsText ? BLACK_BRUSH : WHITE_BRUSH));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "TavolinProbe";
    RegisterClassA(&windowClass);
    HWND hwnd = drawsText
        ? CreateWindowExA(WS_EX_TOPMOST, "TavolinProbe", "Tavolin Probe Text", WS_POPUP, 0, 0,
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                          nullptr, instance, nullptr)
        : CreateWindowExA(0, "TavolinProbe", "Tavolin Probe Window", WS_OVERLAPPEDWINDOW, 50, 50, 200,
                          100, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, drawsText ? 1 : 0);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetTimer(hwnd, 1, kLifetimeMilliseconds, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc >= 3 && std::strcmp(__argv[1], "run") == 0) {
        return run(__argv[2]);
    }
    if (__argc >= 3 && std::strcmp(__argv[1], "draw") == 0) {
        textHeight = std::atoi(__argv[2]);
        return showWindow(instance, true);
    }
    if (__argc >= 2 && std::strcmp(__argv[1], "window") == 0) {
        return showWindow(instance, false);
    }
    if (__argc >= 2 && std::strcmp(__argv[1], "cursor") == 0) {
        CURSORINFO cursor = {};
        cursor.cbSize = sizeof cursor;
        if (!GetCursorInfo(&cursor)) {
            return 2;
        }
        return (cursor.flags & CURSOR_SHOWING) != 0 ? 1 : 0;
    }
    return 2;
}
