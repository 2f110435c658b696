// Measures what the saver costs while it shows, beside two floors run the same way:
// a bare black topmost window (what the platform costs when a program does nothing)
// and a minimal C-style program that does the saver's job (a 2000 ms timer and one
// line of 14-point Arial per tick). It prints figures and judges nothing by them.
//
// Flow: one virtual display and one warm Wine prefix for the whole run. Each round
// starts every program once, in turn: it times the start until the window is
// mapped and until its first text is on the screen, lets it warm up, reads its
// counters over the measured period, then presses a key and times the window's
// going and the process's exit. The table shows medians with min and max.
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

// The saver ticks every two seconds; per-tick figures divide by these periods.
constexpr double kTickSeconds = 2.0;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr milliseconds kShowTimeout(20000);
constexpr milliseconds kEndTimeout(5000);
constexpr milliseconds kPollInterval(1);

// Exit codes: the machine lacks what the benchmark needs (a skip to CTest), or a
// program misbehaved while measured.
constexpr int kCannotRun = 77;
constexpr int kFailed = 1;

// The budgets the saver is held to against the tick-and-paint floor, printed beside the figures.
constexpr double kCpuRatioBudget = 1.3;
constexpr double kWakeupsOverFloorBudget = 2.0;
constexpr double kKeyToGoneOverFloorBudgetMs = 30.0;

struct Options {
    int runs = 5;
    int seconds = 20;
    int warmupSeconds = 3;
};

// The programs in the order main lists them; the comparison is of the saver with the ticker.
constexpr std::size_t kSaver = 0;
constexpr std::size_t kBareWindow = 1;
constexpr std::size_t kTicker = 2;

struct Program {
    const char* label;
    std::string exe;
    std::vector<std::string> arguments;
    const char* windowName;
    bool drawsText;
};

// One run of one program. NAN where a figure does not apply or was not seen.
struct Sample {
    double startToMappedMs = NAN;
    double startToTextMs = NAN;
    double keyToGoneMs = NAN;
    double keyToExitMs = NAN;
    double cpuPerTickMs = NAN;
    double wakeupsPerTick = NAN;
    double peakRssMiB = NAN;
    double serverCpuPerTickMs = NAN;
};

// What the kernel has counted for a process, over all its threads.
struct Counters {
    double cpuNs = 0;
    double voluntarySwitches = 0;
};

std::string readFile(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// What follows "key:" on the line of a /proc text that starts with the key.
std::string fieldOf(const std::string& text, const std::string& key) {
    const std::string lines = "\n" + text;
    const std::size_t at = lines.find("\n" + key);
    const std::size_t colon = at == std::string::npos ? at : lines.find(':', at);
    if (colon == std::string::npos) {
        return "";
    }
    const std::size_t start = lines.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? "" : lines.substr(start, lines.find('\n', colon) - start);
}

double statusField(const std::string& status, const std::string& field) {
    const std::string value = fieldOf(status, field);
    return value.empty() ? NAN : std::atof(value.c_str());
}

// schedstat counts nanoseconds on the CPU; stat's 10 ms steps would hide a tick's cost.
Counters countersOf(int pid) {
    Counters counters;
    std::error_code error;
    for (const fs::directory_entry& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        counters.cpuNs += std::atof(readFile(task.path() / "schedstat").c_str());
        counters.voluntarySwitches += statusField(readFile(task.path() / "status"), "voluntary_ctxt_switches");
    }
    return counters;
}

double peakRssMiB(int pid) {
    return statusField(readFile("/proc/" + std::to_string(pid) + "/status"), "VmHWM") / 1024.0;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool viewable(VirtualDisplay& display, const char* windowName) {
    const std::optional<Window> window = display.findWindow(windowName);
    return window && display.isViewable(*window);
}

// Text is on the screen once it is black but for a few pixels; before the window
// covers it, the root's weave is half white.
bool showsText(VirtualDisplay& display) {
    const Image image = display.grab();
    const auto lit = std::count_if(image.pixels.begin(), image.pixels.end(), [](std::uint32_t p) { return p != 0; });
    return lit > 0 && static_cast<std::size_t>(lit) < image.pixels.size() / 10;
}

int wineServerPid() {
    for (int pid : processesMentioning("wineserver")) {
        if (readFile("/proc/" + std::to_string(pid) + "/comm").rfind("wineserver", 0) == 0) {
            return pid;
        }
    }
    return -1;
}

bool measure(VirtualDisplay& display, const Program& program, const Options& options, Sample& sample) {
    std::vector<std::string> command = {program.exe};
    command.insert(command.end(), program.arguments.begin(), program.arguments.end());
    WineProcess process(display, command);
    const Clock::time_point started = process.started();

    if (!waitFor(kShowTimeout, [&] { return viewable(display, program.windowName) || !process.running(); },
                 kPollInterval) ||
        !process.running()) {
        std::fprintf(stderr, "%s: the window did not show\n", program.label);
        return false;
    }
    sample.startToMappedMs = msSince(started);
    if (program.drawsText && waitFor(kShowTimeout, [&] { return showsText(display); }, kPollInterval)) {
        sample.startToTextMs = msSince(started);
    }

    std::this_thread::sleep_for(std::chrono::seconds(options.warmupSeconds));
    const int server = wineServerPid();
    const Counters before = countersOf(process.pid());
    const Counters serverBefore = countersOf(server);
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.seconds));
    const Counters after = countersOf(process.pid());
    const Counters serverAfter = countersOf(server);
    const double ticks = msSince(from) / 1000.0 / kTickSeconds;
    sample.cpuPerTickMs = (after.cpuNs - before.cpuNs) / 1e6 / ticks;
    sample.wakeupsPerTick = (after.voluntarySwitches - before.voluntarySwitches) / ticks;
    sample.serverCpuPerTickMs = server > 0 ? (serverAfter.cpuNs - serverBefore.cpuNs) / 1e6 / ticks : NAN;
    sample.peakRssMiB = peakRssMiB(process.pid());

    const Clock::time_point pressed = Clock::now();
    display.pressKey(XK_Escape);
    if (waitFor(kEndTimeout, [&] { return !viewable(display, program.windowName); }, kPollInterval)) {
        sample.keyToGoneMs = msSince(pressed);
    }
    if (waitFor(kEndTimeout, [&] { return !process.running(); }, kPollInterval)) {
        sample.keyToExitMs = msSince(pressed);
    }
    if (process.waitForExit(milliseconds(0)) != std::optional<int>(0)) {
        std::fprintf(stderr, "%s: did not end with exit code 0 on a key\n", program.label);
        return false;
    }
    return true;
}

struct Summary {
    double median = NAN;
    double min = NAN;
    double max = NAN;
};

// The runs' values of one figure, those that were seen.
Summary summaryOf(const std::vector<Sample>& runs, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& sample : runs) {
        values.push_back(sample.*field);
    }
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }), values.end());
    Summary summary;
    if (values.empty()) {
        return summary;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    summary.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    summary.min = values.front();
    summary.max = values.back();
    return summary;
}

std::string cell(const Summary& summary, int decimals) {
    if (std::isnan(summary.median)) {
        return "-";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f (%.*f-%.*f)", decimals, summary.median, decimals, summary.min, decimals,
                  summary.max);
    return text;
}

std::string ratio(double saver, double floor) {
    if (std::isnan(saver) || std::isnan(floor) || floor == 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", saver / floor);
    return text;
}

struct Figure {
    const char* label;
    double Sample::*field;
    int decimals;
};

const Figure kFigures[] = {
    {"start to window mapped, ms", &Sample::startToMappedMs, 0},
    {"start to first text pixels, ms", &Sample::startToTextMs, 0},
    {"key to window gone, ms", &Sample::keyToGoneMs, 1},
    {"key to process exit, ms", &Sample::keyToExitMs, 1},
    {"CPU per tick, ms", &Sample::cpuPerTickMs, 2},
    {"voluntary context switches per tick", &Sample::wakeupsPerTick, 1},
    {"peak resident memory, MiB", &Sample::peakRssMiB, 1},
    {"wineserver CPU per tick, ms", &Sample::serverCpuPerTickMs, 2},
};

std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

void printMachine(const Options& options) {
    const std::string model = fieldOf(readFile("/proc/cpuinfo"), "model name");
    std::printf("machine: %s, %u cores; %s; Xvfb %dx%d\n", model.empty() ? "unknown CPU" : model.c_str(), std::thread::hardware_concurrency(),
                commandOutput(target().wine + " --version 2>/dev/null").c_str(), kScreenWidth, kScreenHeight);
    std::printf("build: %s; %d runs of each program, %d s measured after %d s of warm-up\n\n",
                target().buildDir.c_str(), options.runs, options.seconds, options.warmupSeconds);
}

void printTable(const std::vector<Program>& programs, const std::vector<std::vector<Sample>>& samples) {
    std::printf("%-38s", "median (min-max)");
    for (const Program& program : programs) {
        std::printf("%-26s", program.label);
    }
    std::printf("%s\n", "saver/(b)");
    for (const Figure& figure : kFigures) {
        std::printf("%-38s", figure.label);
        for (const std::vector<Sample>& runs : samples) {
            std::printf("%-26s", cell(summaryOf(runs, figure.field), figure.decimals).c_str());
        }
        std::printf("%s\n", ratio(summaryOf(samples[kSaver], figure.field).median,
                                  summaryOf(samples[kTicker], figure.field).median)
                                .c_str());
    }
}

void printBudgets(const std::vector<Sample>& saver, const std::vector<Sample>& ticker) {
    const auto verdict = [](bool within) { return within ? "within" : "OVER"; };
    const auto median = [](const std::vector<Sample>& runs, double Sample::*field) {
        return summaryOf(runs, field).median;
    };
    const double cpu = median(saver, &Sample::cpuPerTickMs) / median(ticker, &Sample::cpuPerTickMs);
    const double wakeups = median(saver, &Sample::wakeupsPerTick) - median(ticker, &Sample::wakeupsPerTick);
    const double gone = median(saver, &Sample::keyToGoneMs) - median(ticker, &Sample::keyToGoneMs);
    std::printf("\nagainst (b): CPU per tick x%.2f (budget x%.1f, %s); wake-ups per tick %+.1f (budget +%.0f, %s); "
                "key to gone %+.1f ms (budget +%.0f ms, %s)\n",
                cpu, kCpuRatioBudget, verdict(cpu <= kCpuRatioBudget), wakeups, kWakeupsOverFloorBudget,
                verdict(wakeups <= kWakeupsOverFloorBudget), gone, kKeyToGoneOverFloorBudgetMs,
                verdict(gone <= kKeyToGoneOverFloorBudgetMs));
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (argument == "--seconds" && hasValue) {
            options.seconds = std::atoi(argv[++i]);
        } else if (argument == "--warmup" && hasValue) {
            options.warmupSeconds = std::atoi(argv[++i]);
        } else if (argument == "--arch" && hasValue) {
            setenv("TAVOLIN_E2E_ARCH", argv[++i], 1);
        } else {
            return false;
        }
    }
    return options.runs > 0 && options.seconds > 0 && options.warmupSeconds >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The table and the progress lines on stderr stay in order when both go to one file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--runs N] [--seconds S] [--warmup S] [--arch x64|x86]\n", argv[0]);
        return 2;
    }
    const Availability available = availability();
    if (!available.reason.empty()) {
        std::fprintf(stderr, "cannot run: %s\n", available.reason.c_str());
        return kCannotRun;
    }
    // In the order of kSaver, kBareWindow and kTicker.
    const std::vector<Program> programs = {
        {"saver", target().saverExe(), {"/s"}, "Generic Screen Saver", true},
        {"(a) bare window", target().buildDir + "/bench/floor_window.exe", {}, "Floor Window", false},
        {"(b) tick and paint", target().buildDir + "/bench/floor_ticker.exe", {}, "Floor Ticker", true},
    };
    for (const Program& program : programs) {
        if (!fs::exists(program.exe)) {
            std::fprintf(stderr, "cannot run: %s is not built\n", program.exe.c_str());
            return kFailed;
        }
    }
    if (!WinePrefix::shared().ok()) {
        std::fprintf(stderr, "cannot run: could not make the Wine prefix\n");
        return kFailed;
    }
    WinePrefix::shared().setPixelsPerInch(96);
    WinePrefix::shared().killAll();

    printMachine(options);
    VirtualDisplay display(kScreenWidth, kScreenHeight);
    if (!display.ok()) {
        std::fprintf(stderr, "cannot run: no virtual display\n");
        return kFailed;
    }
    // A first start, not measured, brings up the Wine server and the prefix's own processes.
    Sample unmeasured;
    Options brief = options;
    brief.seconds = 1;
    brief.warmupSeconds = 0;
    measure(display, programs[kBareWindow], brief, unmeasured);

    std::vector<std::vector<Sample>> samples(programs.size());
    for (int run = 1; run <= options.runs; ++run) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            std::fprintf(stderr, "run %d of %d: %s\n", run, options.runs, programs[p].label);
            Sample sample;
            if (!measure(display, programs[p], options, sample)) {
                WinePrefix::shared().killAll();
                return kFailed;
            }
            samples[p].push_back(sample);
        }
    }
    WinePrefix::shared().killAll();

    printTable(programs, samples);
    printBudgets(samples[kSaver], samples[kTicker]);
    return 0;
}
