// The tests' own few lines of the saver's random rule and colours, and the
// reading of text out of a screenshot.
#include "model.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

namespace e2e {

const std::uint32_t kPalette[9] = {
    0x808000,  // olive
    0x000080,  // navy
    0x808080,  // grey
    0xFF0000,  // red
    0x00FF00,  // bright green
    0xFFFF00,  // yellow
    0xFF00FF,  // magenta
    0x00FFFF,  // cyan
    0xFFFFFF,  // white
};

namespace {

constexpr int kTextLeft = 100;  // where the probe draws
constexpr int kTextTop = 100;

int channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

int brightest(std::uint32_t rgb) {
    return std::max({channel(rgb, 16), channel(rgb, 8), channel(rgb, 0)});
}

// The pixel is the colour scaled down, as anti-aliasing on black makes it.
bool isShadeOf(std::uint32_t pixel, std::uint32_t color) {
    const double scale = static_cast<double>(brightest(pixel)) / brightest(color);
    for (int shift : {16, 8, 0}) {
        if (std::abs(channel(pixel, shift) - channel(color, shift) * scale) > 2.0) {
            return false;
        }
    }
    return true;
}

Box intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

}  // namespace

std::vector<Placement> placementsFrom(std::uint32_t seed, int screenWidth, int screenHeight, int count) {
    std::uint32_t state = seed;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
    std::vector<Placement> placements;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t color = kPalette[(next() >> 3) % 9];
        const int x = (next() >> 2) % screenWidth - 20;
        const int y = (next() >> 2) % screenHeight - 100;
        placements.push_back({color, x, y});
    }
    return placements;
}

int characterHeight(int pixelsPerInch) {
    return (14 * pixelsPerInch + 36) / 72;
}

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "[" << box.left << ", " << box.top << " .. " << box.right << ", " << box.bottom << ")";
}

std::ostream& operator<<(std::ostream& out, const Observation& observation) {
    if (!observation.visible) {
        return out << "nothing but black";
    }
    char color[16];
    std::snprintf(color, sizeof color, "#%06X", observation.color);
    return out << color << " text in " << observation.box
               << (observation.shadesOfOneColour ? "" : " (mixed colours)");
}

std::ostream& operator<<(std::ostream& out, const TextShape& shape) {
    return out << shape.width << "x" << shape.height << " ink at +" << shape.dx << "+" << shape.dy;
}

Observation observe(const Image& image) {
    Observation seen;
    seen.box = {image.width, image.height, 0, 0};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            if (pixel == 0) {
                continue;
            }
            seen.visible = true;
            seen.box = {std::min(seen.box.left, x), std::min(seen.box.top, y),
                        std::max(seen.box.right, x + 1), std::max(seen.box.bottom, y + 1)};
            if (brightest(pixel) > brightest(seen.color)) {
                seen.color = pixel;
            }
        }
    }
    if (!seen.visible) {
        seen.box = {};
        return seen;
    }
    seen.shadesOfOneColour = true;
    for (int y = seen.box.top; y < seen.box.bottom; ++y) {
        for (int x = seen.box.left; x < seen.box.right; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            seen.ink.push_back(pixel != 0);
            if (pixel != 0 && !isShadeOf(pixel, seen.color)) {
                seen.shadesOfOneColour = false;
            }
        }
    }
    return seen;
}

Observation settledObservation(VirtualDisplay& display) {
    Observation previous = observe(display.grab());
    Observation current;
    waitFor(milliseconds(3000), [&] {
        current = observe(display.grab());
        const bool same = current == previous;
        previous = current;
        return same;
    }, milliseconds(60));
    return current;
}

TextShape measureText(VirtualDisplay& display, int height) {
    WineProcess probe(display, {target().probeExe(), "draw", std::to_string(height)});
    Observation seen;
    const bool drawn = waitFor(milliseconds(20000), [&] {
        const auto window = display.findWindow("Tavolin Probe Text");
        if (!window || !display.isViewable(*window)) {
            return false;
        }
        seen = observe(display.grab());
        return seen.visible;
    });
    seen = settledObservation(display);
    display.pressKey(XK_Escape);
    probe.waitForExit(milliseconds(5000));
    if (!drawn || !seen.visible) {
        return {};
    }
    return {seen.box.left - kTextLeft, seen.box.top - kTextTop, seen.box.width(), seen.box.height(), seen.ink};
}

bool shows(const Observation& seen, const Placement& placement, const TextShape& shape,
           int screenWidth, int screenHeight) {
    const int left = placement.x + shape.dx;
    const int top = placement.y + shape.dy;
    const Box onScreen = intersect({left, top, left + shape.width, top + shape.height},
                                   {0, 0, screenWidth, screenHeight});
    auto inkAt = [&](int x, int y) {
        return shape.ink[static_cast<std::size_t>(y - top) * shape.width + (x - left)];
    };
    // The part of the shape's ink that lands on the screen, and the box around it.
    Box expected = {onScreen.right, onScreen.bottom, onScreen.left, onScreen.top};
    for (int y = onScreen.top; y < onScreen.bottom; ++y) {
        for (int x = onScreen.left; x < onScreen.right; ++x) {
            if (inkAt(x, y)) {
                expected = {std::min(expected.left, x), std::min(expected.top, y),
                            std::max(expected.right, x + 1), std::max(expected.bottom, y + 1)};
            }
        }
    }
    if (onScreen.empty() || expected.empty()) {
        return !seen.visible;
    }
    if (!seen.visible || seen.color != placement.color || !(seen.box == expected)) {
        return false;
    }
    std::size_t i = 0;
    for (int y = expected.top; y < expected.bottom; ++y) {
        for (int x = expected.left; x < expected.right; ++x, ++i) {
            if (seen.ink[i] != inkAt(x, y)) {
                return false;
            }
        }
    }
    return true;
}

std::vector<std::uint32_t> seedsMatching(const std::vector<Observation>& seen, std::int64_t first,
                                         std::int64_t last, const TextShape& shape, int screenWidth,
                                         int screenHeight) {
    std::vector<std::uint32_t> seeds;
    for (std::int64_t clock = first; clock <= last; ++clock) {
        const auto seed = static_cast<std::uint32_t>(clock);
        const std::vector<Placement> placements =
            placementsFrom(seed, screenWidth, screenHeight, static_cast<int>(seen.size()));
        bool all = true;
        for (std::size_t k = 0; k < seen.size() && all; ++k) {
            all = shows(seen[k], placements[k], shape, screenWidth, screenHeight);
        }
        if (all) {
            seeds.push_back(seed);
        }
    }
    return seeds;
}

}  // namespace e2e
