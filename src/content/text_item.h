// A line of text the saver draws, with the colour and place it was last given,
// and the palette and rule that choose them.
#pragma once

#include <windows.h>

#include <iterator>
#include <string>

// The colours a text may take; black is left out so the text always shows on the black screen.
inline constexpr COLORREF textPalette[] = {
    PALETTERGB(128, 128, 0),    // olive
    PALETTERGB(0, 0, 128),      // navy
    PALETTERGB(128, 128, 128),  // grey
    PALETTERGB(255, 0, 0),      // red
    PALETTERGB(0, 255, 0),      // bright green
    PALETTERGB(255, 255, 0),    // yellow
    PALETTERGB(255, 0, 255),    // magenta
    PALETTERGB(0, 255, 255),    // cyan
    PALETTERGB(255, 255, 255),  // white
};
static_assert(std::size(textPalette) == 9, "the colour draw is reduced modulo nine");

class TextItem {
public:
    // Keeps its own copy of the text and places itself at once.
    explicit TextItem(std::string text);

    // A new colour, x and y, in that order: three draws from SaverRandom.
    void placeRandomly();

    COLORREF color = 0;
    std::string text;
    int x = 0;  // left edge of the first character cell, in screen pixels
    int y = 0;  // top edge of the first character cell, in screen pixels
};
