// Shows the 64-bit saver on a virtual display for someone without one: saves a
// screenshot of its first paint and one after its first tick, ends it with a key
// press as a user would, and reports the exit code.
//   show_on_virtual_display OUTPUT_FOLDER
#include <X11/keysym.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "harness.h"
#include "model.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::string describe(const e2e::Observation& seen) {
    std::ostringstream text;
    text << seen;
    return seen.visible ? text.str() : "a black screen (the text was placed off it this time)";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace e2e;
    const std::filesystem::path folder = argc > 1 ? argv[1] : "screenshots";
    std::filesystem::create_directories(folder);
    if (const Availability available = availability(); !available.reason.empty()) {
        std::cerr << "Cannot show the saver: " << available.reason << "\n";
        return 1;
    }
    std::cout << "Preparing the Wine prefix in " << WinePrefix::shared().path() << " (the first time takes a while)\n";
    if (!WinePrefix::shared().ok()) {
        std::cerr << "Could not make the Wine prefix\n";
        return 1;
    }
    WinePrefix::shared().setPixelsPerInch(96);
    VirtualDisplay display(kScreenWidth, kScreenHeight);
    if (!display.ok()) {
        std::cerr << "Could not start Xvfb\n";
        return 1;
    }

    std::cout << "Running " << target().saverExe() << " /s on a virtual " << kScreenWidth << "x"
              << kScreenHeight << " display " << display.name() << "\n";
    WineProcess saver(display, {target().saverExe(), "/s"});
    const bool shown = waitFor(milliseconds(30000), [&] {
        const auto window = display.findWindow("Generic Screen Saver");
        return (window && display.isViewable(*window)) || !saver.running();
    });
    if (!shown || !saver.running()) {
        std::cerr << "The saver's window did not appear\n";
        WinePrefix::shared().killAll();
        return 1;
    }

    const Observation first = settledObservation(display);
    const auto firstPath = folder / "first-paint.png";
    writePng(firstPath, display.grab());
    std::cout << "First paint: " << describe(first) << "\n  saved " << firstPath.string() << "\n";

    Observation afterTick = first;
    waitFor(milliseconds(4000), [&] {
        afterTick = observe(display.grab());
        return !(afterTick == first);
    });
    afterTick = settledObservation(display);
    const auto tickPath = folder / "after-tick.png";
    writePng(tickPath, display.grab());
    std::cout << "After a tick: " << describe(afterTick) << "\n  saved " << tickPath.string() << "\n";

    std::cout << "Pressing a key to end it\n";
    display.pressKey(XK_space);
    const std::optional<int> exitCode = saver.waitForExit(milliseconds(5000));
    WinePrefix::shared().killAll();
    if (!exitCode) {
        std::cerr << "The saver did not end after the key press\n";
        return 1;
    }
    std::cout << "tavolin.exe /s exited with code " << *exitCode << "\n";
    return *exitCode;
}
