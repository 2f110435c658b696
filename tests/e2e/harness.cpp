// Processes, displays and input for the end-to-end tests. Xvfb and Wine are
// started with fork and exec; nothing here sleeps for a fixed time where it can
// poll for the event it waits for.
#include "harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#ifndef TAVOLIN_BUILD_ROOT
#error "TAVOLIN_BUILD_ROOT names the folder that holds the Windows builds"
#endif

namespace fs = std::filesystem;

namespace e2e {

namespace {

constexpr const char* kWine64 = "/usr/lib/wine/wine64";
constexpr const char* kWine32 = "/usr/lib/wine/wine";
constexpr const char* kWineServer = "/usr/lib/wine/wineserver";
constexpr const char* kXvfb = "/usr/bin/Xvfb";

bool executable(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

// Starts a program with extra environment entries; stdout and stderr go to /dev/null
// unless outputFd is given.
int spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
          int keepFd = -1) {
    const int pid = fork();
    if (pid != 0) {
        return pid;
    }
    setpgid(0, 0);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    for (const std::string& entry : environment) {
        putenv(strdup(entry.c_str()));
    }
    // Close what the test process holds open, but the descriptor the child must write to.
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) {
            close(fd);
        }
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

std::optional<int> reap(int pid, milliseconds timeout) {
    std::optional<int> code;
    waitFor(timeout, [&] {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        }
        return false;
    });
    return code;
}

int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

void putBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    putBigEndian(out, crc32(reinterpret_cast<const unsigned char*>(typed.data()), typed.size()));
}

}  // namespace

bool waitFor(milliseconds timeout, const std::function<bool()>& condition, milliseconds interval) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(interval);
    }
}

std::int64_t wallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

const Target& target() {
    static const Target chosen = [] {
        const char* arch = std::getenv("TAVOLIN_E2E_ARCH");
        const bool x86 = arch != nullptr && std::string(arch) == "x86";
        const std::string root = TAVOLIN_BUILD_ROOT;
        return x86 ? Target{"x86", root + "/windows-x86", kWine32}
                   : Target{"x64", root + "/windows-x64", kWine64};
    }();
    return chosen;
}

Availability availability() {
    if (!executable(kXvfb)) {
        return {std::string("Xvfb is not installed (") + kXvfb + ")"};
    }
    if (!executable(target().wine)) {
        if (target().arch == "x86") {
            return {std::string("this machine cannot run 32-bit Windows programs (no ") + kWine32 +
                        "): the x86 build is only built and checked statically here",
                    true};
        }
        return {std::string("64-bit Wine is not installed (") + kWine64 + ")"};
    }
    if (!executable(kWineServer)) {
        return {std::string("wineserver is not installed (") + kWineServer + ")"};
    }
    for (const std::string& program : {target().saverExe(), target().probeExe()}) {
        if (!fs::exists(program)) {
            return {program + " is missing: build the windows-" + target().arch + " preset first"};
        }
    }
    return {};
}

bool writePng(const std::string& path, const Image& image) {
    std::string raw;
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t rgb = image.at(x, y);
            raw += static_cast<char>((rgb >> 16) & 0xFF);
            raw += static_cast<char>((rgb >> 8) & 0xFF);
            raw += static_cast<char>(rgb & 0xFF);
        }
    }
    std::string zlib = "\x78\x01";
    constexpr std::size_t kBlock = 65535;
    for (std::size_t offset = 0; offset < raw.size() || offset == 0; offset += kBlock) {
        const std::size_t size = std::min(kBlock, raw.size() - offset);
        const bool last = offset + size >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(size & 0xFF);
        zlib += static_cast<char>(size >> 8);
        zlib += static_cast<char>(~size & 0xFF);
        zlib += static_cast<char>((~size >> 8) & 0xFF);
        zlib.append(raw, offset, size);
        if (last) {
            break;
        }
    }
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(zlib, (b << 16) | a);

    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(image.width));
    putBigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", "");
    std::ofstream file(path, std::ios::binary);
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

// VirtualDisplay

VirtualDisplay::VirtualDisplay(int width, int height) : width_(width), height_(height) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = spawn({kXvfb, "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen,
                  "-nolisten", "tcp", "-noreset", "-retro"},
                 {}, pipeFds[1]);
    close(pipeFds[1]);
    std::string number;
    char c = 0;
    // Xvfb writes the display number and a newline once it accepts connections.
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(pipeFds[0]);
    if (number.empty()) {
        return;
    }
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (display_ != nullptr) {
        XSetErrorHandler(ignoreXErrors);
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, False);
    }
}

VirtualDisplay::~VirtualDisplay() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (!reap(pid_, milliseconds(3000))) {
            kill(pid_, SIGKILL);
            reap(pid_, milliseconds(3000));
        }
    }
}

Image VirtualDisplay::grab() {
    Image image;
    XImage* shot = XGetImage(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width_),
                             static_cast<unsigned>(height_), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        return image;
    }
    image.width = width_;
    image.height = height_;
    image.pixels.resize(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(shot->data + y * shot->bytes_per_line);
        for (int x = 0; x < width_; ++x) {
            image.pixels[static_cast<std::size_t>(y) * width_ + x] = row[x] & 0xFFFFFF;
        }
    }
    XDestroyImage(shot);
    return image;
}

std::string VirtualDisplay::windowName(Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(display_, window, &name) && name != nullptr) {
        result = name;
        XFree(name);
    }
    return result;
}

// The root's children, from the bottom of the stacking order to the top.
std::vector<Window> VirtualDisplay::topLevelWindows() {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

std::optional<Window> VirtualDisplay::findWindow(const std::string& windowName) {
    for (Window window : topLevelWindows()) {
        if (this->windowName(window) == windowName) {
            return window;
        }
    }
    return std::nullopt;
}

bool VirtualDisplay::isViewable(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
}

std::vector<int> VirtualDisplay::geometry(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) {
        return {};
    }
    return {attributes.x, attributes.y, attributes.width, attributes.height};
}

std::optional<Window> VirtualDisplay::topmostViewable() {
    std::optional<Window> top;
    for (Window window : topLevelWindows()) {
        if (isViewable(window)) {
            top = window;
        }
    }
    return top;
}

std::vector<VirtualDisplay::Mapping> VirtualDisplay::takeMappings() {
    std::vector<Mapping> mappings;
    XSync(display_, False);
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MapNotify) {
            const std::vector<int> box = geometry(event.xmap.window);
            mappings.push_back({windowName(event.xmap.window), box.empty() ? 0 : box[2],
                                box.empty() ? 0 : box[3]});
        }
    }
    return mappings;
}

void VirtualDisplay::pressKey(unsigned long keysym) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

void VirtualDisplay::pressButton(unsigned int button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
}

void VirtualDisplay::movePointer(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

bool VirtualDisplay::cursorHidden() {
    XFixesCursorImage* cursor = XFixesGetCursorImage(display_);
    if (cursor == nullptr) {
        return false;
    }
    bool hidden = true;
    for (int i = 0; i < cursor->width * cursor->height; ++i) {
        if ((cursor->pixels[i] >> 24) != 0) {
            hidden = false;
        }
    }
    XFree(cursor);
    return hidden;
}

// WinePrefix

WinePrefix& WinePrefix::shared() {
    static WinePrefix prefix;
    return prefix;
}

std::vector<std::string> WinePrefix::environment(const std::string& display) const {
    std::vector<std::string> entries = {"WINEPREFIX=" + path_, "WINEDEBUG=-all",
                                        "WINEDLLOVERRIDES=mscoree,mshtml="};
    if (!display.empty()) {
        entries.push_back("DISPLAY=" + display);
    }
    return entries;
}

bool WinePrefix::runQuietly(const std::vector<std::string>& arguments, const std::string& display) {
    const int pid = spawn(arguments, environment(display));
    const std::optional<int> code = reap(pid, milliseconds(120000));
    return code && *code == 0;
}

// The first test to need the prefix makes it, under a lock, and marks it ready;
// windows are made unmanaged, since Xvfb has no window manager to answer for them.
WinePrefix::WinePrefix() : path_(target().buildDir + "/wine-prefix") {
    const std::string lockPath = target().buildDir + "/wine-prefix.lock";
    const int lock = open(lockPath.c_str(), O_CREAT | O_RDWR, 0644);
    flock(lock, LOCK_EX);
    const std::string readyMark = path_ + "/.tavolin-ready";
    if (!fs::exists(readyMark)) {
        fs::remove_all(path_);
        ok_ = runQuietly({target().wine, "wineboot", "-i"}) &&
              runQuietly({target().wine, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v",
                          "Managed", "/t", "REG_SZ", "/d", "N", "/f"});
        killAll();
        if (ok_) {
            std::ofstream(readyMark) << "96\n";
        }
    } else {
        ok_ = true;
    }
    flock(lock, LOCK_UN);
    close(lock);
}

void WinePrefix::setPixelsPerInch(int pixelsPerInch) {
    const std::string readyMark = path_ + "/.tavolin-ready";
    int current = 0;
    std::ifstream(readyMark) >> current;
    if (current == pixelsPerInch) {
        return;
    }
    const std::string value = std::to_string(pixelsPerInch);
    ok_ = runQuietly({target().wine, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                      "/t", "REG_DWORD", "/d", value, "/f"});
    killAll();
    if (ok_) {
        std::ofstream(readyMark) << value << "\n";
    }
}

std::string WinePrefix::installSaverWithBlanksInPath() {
    const fs::path folder = fs::path(path_) / "drive_c" / "Program Files" / "Tavolin Saver";
    fs::create_directories(folder);
    fs::copy_file(target().saverExe(), folder / "tavolin.exe", fs::copy_options::overwrite_existing);
    return "C:\\Program Files\\Tavolin Saver\\tavolin.exe";
}

void WinePrefix::killAll() {
    const std::string server = executable(kWineServer) ? kWineServer : "wineserver";
    runQuietly({server, "-k"});
    runQuietly({server, "-w"});
}

// WineProcess

WineProcess::WineProcess(const VirtualDisplay& display, const std::vector<std::string>& arguments)
    : started_(Clock::now()), startedWall_(wallSeconds()) {
    std::vector<std::string> command = {target().wine};
    command.insert(command.end(), arguments.begin(), arguments.end());
    pid_ = spawn(command, WinePrefix::shared().environment(display.name()));
}

WineProcess::~WineProcess() {
    if (running()) {
        kill(-pid_, SIGKILL);
        reap(pid_, milliseconds(3000));
    }
}

std::optional<int> WineProcess::waitForExit(milliseconds timeout) {
    if (!exitCode_) {
        exitCode_ = reap(pid_, timeout);
    }
    return exitCode_;
}

bool WineProcess::running() {
    return !waitForExit(milliseconds(0));
}

// A Unix path as Wine's drive Z: shows it.
std::string windowsPath(const fs::path& path) {
    std::string windows = "Z:" + fs::absolute(path).lexically_normal().string();
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

std::vector<std::string> saverCommand(const std::string& commandLine) {
    // A file of its own for each launch, since the probe reads it after it has started.
    static int launches = 0;
    const fs::path folder = fs::path(target().buildDir) / "e2e-command-lines";
    fs::create_directories(folder);
    const fs::path file = folder / (std::to_string(getpid()) + "-" + std::to_string(++launches));
    std::ofstream(file, std::ios::binary) << commandLine;
    return {target().probeExe(), "run", windowsPath(file)};
}

std::string saverCommandLine(const std::string& tail) {
    const std::string path = windowsPath(target().saverExe());
    const bool quoted = path.find(' ') != std::string::npos;
    const std::string name = quoted ? "\"" + path + "\"" : path;
    return tail.empty() ? name : name + " " + tail;
}

std::vector<int> processesMentioning(const std::string& text) {
    std::vector<int> pids;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        const std::string commandLine((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (commandLine.find(text) != std::string::npos) {
            pids.push_back(std::stoi(name));
        }
    }
    return pids;
}

}  // namespace e2e
