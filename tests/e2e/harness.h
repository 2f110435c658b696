// The end-to-end harness: a virtual X display of a chosen size, the Wine prefix
// the saver runs in, Windows programs started under Wine, and the screen, pointer
// and keyboard as a person would see and use them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Polls until the condition holds or the time is up; true if it held.
bool waitFor(milliseconds timeout, const std::function<bool()>& condition,
             milliseconds interval = milliseconds(20));

// Which Windows build the tests run, from TAVOLIN_E2E_ARCH ("x64" unless set).
struct Target {
    std::string arch;       // "x64" or "x86"
    std::string buildDir;   // build/windows-x64 or build/windows-x86
    std::string wine;       // the Wine loader that runs this build
    std::string saverExe() const { return buildDir + "/tavolin.exe"; }
    std::string probeExe() const { return buildDir + "/tavolin_probe.exe"; }
};
const Target& target();

// Why the e2e tests cannot run here, or an empty reason when they can. Some reasons
// are the machine's (it cannot run 32-bit Windows programs); the others, a tool
// or a build that is missing, CI must never meet.
struct Availability {
    std::string reason;
    bool machineCannot = false;
};
Availability availability();

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Writes an 8-bit RGB PNG (stored, uncompressed deflate blocks).
bool writePng(const std::string& path, const Image& image);

// An Xvfb of its own, found through -displayfd and ended by its PID. Its root is
// the old black and white weave, so any part of the screen left uncovered shows.
class VirtualDisplay {
public:
    VirtualDisplay(int width, int height);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return display_ != nullptr; }
    const std::string& name() const { return name_; }
    int width() const { return width_; }
    int height() const { return height_; }

    Image grab();

    // The top-level window with this name, mapped or not.
    std::optional<Window> findWindow(const std::string& windowName);
    bool isViewable(Window window);
    // x, y, width, height of a top-level window, in root coordinates.
    std::vector<int> geometry(Window window);
    // The viewable top-level window highest in the stacking order.
    std::optional<Window> topmostViewable();

    // Names and sizes of every top-level window mapped since the last call.
    struct Mapping {
        std::string name;
        int width;
        int height;
    };
    std::vector<Mapping> takeMappings();

    void pressKey(unsigned long keysym);
    void pressButton(unsigned int button);
    void movePointer(int x, int y);
    // True while the X cursor's image has no visible pixel.
    bool cursorHidden();

private:
    std::string windowName(Window window);
    std::vector<Window> topLevelWindows();

    int width_;
    int height_;
    int pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

// The prefix shared by every test of one build; made on first use, then reused.
class WinePrefix {
public:
    static WinePrefix& shared();
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }
    // Sets the pixels per inch Windows programs see (only when it changes).
    void setPixelsPerInch(int pixelsPerInch);
    // Copies the saver to "C:\Program Files\Tavolin Saver\tavolin.exe"; returns that path.
    std::string installSaverWithBlanksInPath();
    // Ends every Wine process of the prefix and waits for the server to go.
    void killAll();
    std::vector<std::string> environment(const std::string& display) const;

private:
    WinePrefix();
    bool runQuietly(const std::vector<std::string>& arguments, const std::string& display = "");

    std::string path_;
    bool ok_ = false;
};

// A Windows program under Wine on a display.
class WineProcess {
public:
    WineProcess(const VirtualDisplay& display, const std::vector<std::string>& arguments);
    ~WineProcess();
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // The exit code once the process has ended within the timeout.
    std::optional<int> waitForExit(milliseconds timeout);
    bool running();
    Clock::time_point started() const { return started_; }
    std::int64_t startedWallSeconds() const { return startedWall_; }
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    std::optional<int> exitCode_;
    Clock::time_point started_;
    std::int64_t startedWall_ = 0;
};

// The saver started through the probe with exactly this command line (the probe
// passes it to CreateProcessA untouched and exits with the saver's exit code).
std::vector<std::string> saverCommand(const std::string& commandLine);
// The usual one: the saver's Windows path, a blank, and the tail (none for an empty tail).
std::string saverCommandLine(const std::string& tail);

// The longest command line Windows passes to a new process: 32,767 characters with
// the terminating one. CreateProcessA refuses anything longer, under Wine as on Windows.
constexpr std::size_t kLongestCommandLine = 32766;

// PIDs of the processes whose command line holds this text (Wine shows a Windows
// program's own command line there).
std::vector<int> processesMentioning(const std::string& text);

std::int64_t wallSeconds();

}  // namespace e2e
