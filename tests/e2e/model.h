// What the tests expect to see, worked out on their own from the saver's published
// figures (the random rule, the nine colours, the offsets), and what they do see:
// the text found in a screenshot, and the text's shape measured from the probe.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "harness.h"

namespace e2e {

// The nine colours as the screen shows them, 0xRRGGBB.
extern const std::uint32_t kPalette[9];

struct Placement {
    std::uint32_t color;
    int x;
    int y;
};

// The placement the saver starts with for this seed, then one per tick.
std::vector<Placement> placementsFrom(std::uint32_t seed, int screenWidth, int screenHeight, int count);

// 14 points in pixels at this many pixels per inch, rounded to the nearest.
int characterHeight(int pixelsPerInch);

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Box& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};
std::ostream& operator<<(std::ostream& out, const Box& box);

// The non-black pixels of a screenshot.
struct Observation {
    bool visible = false;
    Box box;                    // around every non-black pixel
    std::uint32_t color = 0;    // the brightest pixel's colour
    bool shadesOfOneColour = false;  // every pixel is that colour dimmed (anti-aliasing on black)
    std::vector<bool> ink;           // which pixels of the box are not black, row by row
    bool operator==(const Observation& other) const {
        return visible == other.visible && box == other.box && color == other.color;
    }
};
std::ostream& operator<<(std::ostream& out, const Observation& observation);
Observation observe(const Image& image);
// What the screen shows once two looks in a row agree.
Observation settledObservation(VirtualDisplay& display);

// Where the ink of the company name lies relative to the point TextOutA is given,
// and which pixels it covers, for one character height, measured from the probe's
// own drawing of it.
struct TextShape {
    int dx = 0;
    int dy = 0;
    int width = 0;
    int height = 0;
    std::vector<bool> ink;  // width x height, row by row
};
std::ostream& operator<<(std::ostream& out, const TextShape& shape);
// Runs the probe on the display; a shape of width 0 when that failed.
TextShape measureText(VirtualDisplay& display, int characterHeight);

// Whether what is on the screen is the company name at this placement: its colour,
// and pixel for pixel the ink of the shape there, as far as it lies on the screen.
bool shows(const Observation& seen, const Placement& placement, const TextShape& shape,
           int screenWidth, int screenHeight);

// The seeds in [first, last] whose placements agree with every observation, the
// k-th observation being the k-th placement.
std::vector<std::uint32_t> seedsMatching(const std::vector<Observation>& seen, std::int64_t first,
                                         std::int64_t last, const TextShape& shape, int screenWidth,
                                         int screenHeight);

}  // namespace e2e
