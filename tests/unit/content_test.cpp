// The random source and the placement of text items: the generator's sequence,
// the worked placements, screens beyond the draw's range, failed screen metrics,
// and three draws per item in list order.
#include <set>

#include "content/text_item.h"
#include "saver_test.h"

namespace {

using ::testing::ElementsAre;

// The colours a text may take, as red, green and blue with the palette-relative flag on top.
constexpr COLORREF kOlive = 0x02008080;
constexpr COLORREF kNavy = 0x02800000;
constexpr COLORREF kGrey = 0x02808080;
constexpr COLORREF kRed = 0x020000FF;
constexpr COLORREF kGreen = 0x0200FF00;
constexpr COLORREF kYellow = 0x0200FFFF;
constexpr COLORREF kMagenta = 0x02FF00FF;
constexpr COLORREF kCyan = 0x02FFFF00;
constexpr COLORREF kWhite = 0x02FFFFFF;

using ContentTest = SaverTest;

TEST_F(ContentTest, RandomSequenceFromStateOne) {
    SaverRandom::seed(1);
    std::vector<int> draws;
    for (int i = 0; i < 6; ++i) {
        draws.push_back(SaverRandom::next());
    }
    EXPECT_THAT(draws, ElementsAre(41, 18467, 6334, 26500, 19169, 15724));
}

TEST_F(ContentTest, RandomDrawsStayWithinFifteenBits) {
    SaverRandom::seed(0xFFFFFFFF);
    for (int i = 0; i < 100000; ++i) {
        const int draw = SaverRandom::next();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, 32767);
    }
}

TEST_F(ContentTest, PaletteHoldsTheNineColoursInOrder) {
    EXPECT_THAT(textPalette, ElementsAre(kOlive, kNavy, kGrey, kRed, kGreen, kYellow, kMagenta,
                                         kCyan, kWhite));
}

TEST_F(ContentTest, EveryPaletteColourIsReachedAndNoOther) {
    TextItem item("");
    std::set<COLORREF> colours;
    for (int i = 0; i < 1000; ++i) {
        item.placeRandomly();
        colours.insert(item.color);
    }
    EXPECT_THAT(colours, ::testing::UnorderedElementsAreArray(textPalette));
    EXPECT_EQ(colours.size(), 9u);
}

struct PlacementCase {
    const char* label;
    std::uint32_t seed;
    int screenWidth;
    int screenHeight;
    COLORREF color;
    int x;
    int y;
    int drawAfterPlacement;  // the fourth draw: placement took exactly three
};

std::ostream& operator<<(std::ostream& out, const PlacementCase& row) {
    return out << row.label;
}

const PlacementCase kPlacementCases[] = {
    {"state_1_on_1024x768", 1, 1024, 768, kYellow, 500, -53, 26500},
    {"state_1_on_800x600", 1, 800, 600, kYellow, 596, 283, 26500},
    {"screen_wider_than_8192_stops_at_8171", 27937, 10000, 768, kRed, 8171, -71, 23712},
    {"screen_taller_than_8192_stops_at_8091", 1967, 1024, 9000, kMagenta, 526, 8091, 17983},
    {"width_reads_0", 1, 0, 768, kYellow, -20, -53, 26500},
    {"height_reads_0", 1, 1024, 0, kYellow, 500, -100, 26500},
    {"negative_metrics", 1, -5, -5, kYellow, -20, -100, 26500},
    {"one_pixel_screen", 5, 1, 1, kMagenta, -20, -100, 24449},
};

class PlacementTest : public SaverTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, ConstructionPlacesWithThreeDraws) {
    const PlacementCase& row = GetParam();
    sim::script().screenWidth = row.screenWidth;
    sim::script().screenHeight = row.screenHeight;
    SaverRandom::seed(row.seed);

    const TextItem item("Tavolin Brightwork Associates");

    EXPECT_EQ(item.color, row.color);
    EXPECT_EQ(item.x, row.x);
    EXPECT_EQ(item.y, row.y);
    EXPECT_EQ(item.text, "Tavolin Brightwork Associates");
    EXPECT_EQ(SaverRandom::next(), row.drawAfterPlacement);
    // The screen is read afresh for each placement, width first.
    EXPECT_THAT(sim::log(), ElementsAre("GetSystemMetrics(SM_CXSCREEN)", "GetSystemMetrics(SM_CYSCREEN)"));
}

INSTANTIATE_TEST_SUITE_P(Screens, PlacementTest, ::testing::ValuesIn(kPlacementCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ContentTest, ItemsArePlacedInListOrderThreeDrawsEach) {
    SaverRandom::seed(1);
    TextItem first("first");
    TextItem second("second");
    // The second item's colour comes from the fourth draw (26500: olive), its place from
    // the fifth and sixth.
    EXPECT_EQ(first.color, kYellow);
    EXPECT_EQ(second.color, kOlive);
    EXPECT_EQ(second.x, 676);
    EXPECT_EQ(second.y, -9);
}

TEST_F(ContentTest, PlacementFollowsAScreenThatChangesSize) {
    SaverRandom::seed(1);
    TextItem item("text");
    sim::script().screenWidth = 800;
    sim::script().screenHeight = 600;
    item.placeRandomly();
    EXPECT_EQ(item.x, 772);
    EXPECT_EQ(item.y, 231);
}

TEST_F(ContentTest, PositionsStayInRangeOverManyPlacements) {
    sim::script().screenWidth = 1920;
    sim::script().screenHeight = 1080;
    TextItem item("text");
    for (int i = 0; i < 20000; ++i) {
        item.placeRandomly();
        ASSERT_GE(item.x, -20);
        ASSERT_LE(item.x, 1920 - 21);
        ASSERT_GE(item.y, -100);
        ASSERT_LE(item.y, 1080 - 101);
    }
}

TEST_F(ContentTest, TheItemKeepsItsOwnCopyOfTheText) {
    std::string text = "Tavolin";
    TextItem item(text);
    text[0] = 'X';
    EXPECT_EQ(item.text, "Tavolin");
}

}  // namespace
