// Placement of a text item: a palette colour and a position anywhere on the
// primary screen, shifted up and left so the text may run off those edges.
#include "content/text_item.h"

#include <utility>

#include "content/saver_random.h"

namespace {

// Subtracted after the draw, so a text can start left of the screen or above it.
constexpr int kLeftOverhang = 20;
constexpr int kTopOverhang = 100;

// One draw reduced to 0..extent-1. GetSystemMetrics answers 0 when it fails; such a
// screen has no extent to spread over, so only the overhang is left.
int drawOffset(int extent) {
    const int draw = SaverRandom::next() >> 2;
    return extent > 0 ? draw % extent : 0;
}

}  // namespace

TextItem::TextItem(std::string text) : text(std::move(text)) {
    placeRandomly();
}

void TextItem::placeRandomly() {
    color = textPalette[(SaverRandom::next() >> 3) % std::size(textPalette)];
    x = drawOffset(GetSystemMetrics(SM_CXSCREEN)) - kLeftOverhang;
    y = drawOffset(GetSystemMetrics(SM_CYSCREEN)) - kTopOverhang;
}
