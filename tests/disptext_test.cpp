// Display texts: the editable form both ways, the field rules (shown text, padding, cut to length),
// the segment geometry of the definition file and its reading, the layout of drawn texts and the
// character editor's hit test.
#include "cells/cmcDispText.h"
#include "defs/cmcGTex.h"
#include "support/cmcScopedDefs.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace qx;

namespace {

using Bytes = std::vector<uint8_t>;

TEST(DispText, EditableFormToBytes) {
    const struct {
        const char* text;
        Bytes bytes;
    } cases[] = {
        {"AB.C", {0x41, 0xC2, 0x43}},
        {".A", {0xA0, 0x41}},          // a point with no character before it
        {"A..", {0xC1, 0xA0}},         // the second point has no character of its own
        {"%1F", {0x1F}},               // user character 15
        {"%41", {0x41}},               // a printable code written in hexadecimal
        {"%0A", {0x0A}},               // a blank code 1-15, as the editable form writes it
        {"%00", {'%', '0', '0'}},      // code 0 would end the text: taken literally
        {"%0F.", {0x8F}},
        {"%%", {'%'}},
        {"%1F.", {0x9F}},              // a user character with its point
        {"%", {'%'}},
        {"a\tb", {'a', ' ', 'b'}},     // control characters become spaces
    };
    for (const auto& c : cases) EXPECT_EQ(BytesOf(c.text), c.bytes) << c.text;
    EXPECT_EQ(BytesOf(std::string(300, 'x')).size(), 255u);
}

TEST(DispText, BytesToEditableForm) {
    const struct {
        Bytes bytes;
        const char* text;
    } cases[] = {
        {{0x41, 0xC2}, "AB."},
        {{0x25}, "%%"},
        {{0x10}, "%10"},
        {{0x7F}, "%7F"},
        {{0xA0}, " ."},
        {{0x80}, " ."},
        {{0x41, 0x05, 0x42}, "A%05B"},  // a blank code 1-15 is kept as a code
        {{0x41, 0x00, 0x42}, "A"},      // a byte 0 ends the text
        {{0x8F}, "%0F."},
        {{0x9F}, "%1F."},          // a user character keeps its point
        {{0xA5}, "%%."},
        {{0x2E, 0xAE}, "%2E%2E."},  // the point character, not a lit point
    };
    for (const auto& c : cases) EXPECT_EQ(EditableOf(c.bytes), c.text);
    // Every byte a field can hold survives the round trip through the editable form, except 0 (the
    // end of a text) and 0x80 (a blank with its point, which comes back as a space with its point).
    for (int b = 1; b < 256; ++b) {
        if (b == 0x80) continue;
        EXPECT_EQ(BytesOf(EditableOf(Bytes{static_cast<uint8_t>(b)})), Bytes{static_cast<uint8_t>(b)}) << b;
    }
}

// Characters the display has no code for are found and named; the editable form's own characters
// (printable ASCII, "%" codes, points) are all shown.
TEST(DispText, CharactersTheDisplayLacks) {
    const struct {
        const char* text;
        const char* missing;
        size_t at;
    } cases[] = {
        {"AB.C%1F%%~ ", "", std::string::npos},
        {"A\xC3\xA9\xC2\xB0" "1", "'\xC3\xA9'", 1},  // "Aé°1": é is named as typed
        {"\xE2\x82\xAC", "'\xE2\x82\xAC'", 0},       // a character of three bytes
        {"a\tb", "U+0009", 1},                         // control characters by their code point
        {"x\x7F", "U+007F", 1},
        {"\xC2\x85", "U+0085", 0},
        {"ok\xE9", "0xE9", 2},                         // a byte that is not UTF-8
        {"\xC3", "0xC3", 0},                           // a sequence cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MissingCharacter(c.text), c.missing) << c.text;
        EXPECT_EQ(MissingCharacterAt(c.text), c.at) << c.text;
    }
    OpenDefinitionFiles(test::SourceDir() + "/data");
    EXPECT_EQ(NoCharacterMessage("A\xC3\xA9"), "the display has no character '\xC3\xA9'");
    EXPECT_EQ(NoCharacterMessage("AB"), "");
}

TEST(DispText, FieldsArePaddedAndCut) {
    uint8_t field[8];
    EXPECT_TRUE(StoreEditable(field, 8, false, "AB"));
    EXPECT_EQ(Bytes(field, field + 8), (Bytes{'A', 'B', ' ', ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(ShownBytes(field, 8, false), (Bytes{'A', 'B'}));
    EXPECT_FALSE(StoreEditable(field, 8, false, "AB"));  // nothing changed
    EXPECT_TRUE(StoreEditable(field, 8, false, "ABCDEFGHIJ"));
    EXPECT_EQ(EditableOf(ShownBytes(field, 8, false)), "ABCDEFGH");
    // A zero-terminated field ends at the first 0 and keeps its spaces.
    StoreEditable(field, 8, true, "A ");
    EXPECT_EQ(Bytes(field, field + 8), (Bytes{'A', ' ', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ShownBytes(field, 8, true), (Bytes{'A', ' '}));
}

TEST(DispText, PatternsOfBuiltInAndUserCharacters) {
    const uint8_t user[4] = {0x12, 0x34, 0x00, 0x01};
    EXPECT_EQ(SegPatternOf('8', nullptr), 0x3F18);
    EXPECT_EQ(SegPatternOf('8' | 0x80, nullptr), 0x7F18);
    EXPECT_EQ(SegPatternOf(0x10, user), 0x1234);
    EXPECT_EQ(SegPatternOf(0x91, user), 0x4001);
    EXPECT_EQ(SegPatternOf(0x10, nullptr), 0);
    EXPECT_EQ(SegPatternOf(0x05, user), 0);  // codes 0-15 show blank
}

// The geometry shipped in the definition file: one segment per pattern bit, the point first.
TEST(DispText, ShippedGeometryHasASegmentPerPatternBit) {
    OpenDefinitionFiles(test::SourceDir() + "/data");
    const cmcSegChar& g = DisplayGeometry();
    ASSERT_EQ(g.Count(), 15);
    EXPECT_FALSE(g.Segments()[0].clickable);  // the decimal point
    uint16_t used = 0;
    for (int code = 32; code < 128; ++code) used |= SegPatternOf(static_cast<uint8_t>(code), nullptr);
    used |= kPointSegment;
    EXPECT_EQ(used, 0x7FFF);
    // No two segments overlap: the middle of every triangle lies in its own segment only.
    for (int i = 0; i < g.Count(); ++i)
        for (const auto& t : g.Segments()[static_cast<size_t>(i)].triangles) {
            const cmcSegPoint mid{(t.p[0].x + t.p[1].x + t.p[2].x) / 3, (t.p[0].y + t.p[1].y + t.p[2].y) / 3};
            for (int j = 0; j < g.Count(); ++j) {
                if (j == i) continue;
                for (const auto& u : g.Segments()[static_cast<size_t>(j)].triangles)
                    EXPECT_FALSE(PointInTriangle(mid, u)) << "segments " << i << " and " << j;
            }
        }
}

TEST(DispText, GeometryLines) {
    cmcSegChar g;
    ASSERT_TRUE(g.Parse({"// comment", " 0 ", "", " 1|(0,0)(10,0)(0,20) ", "-2|(5,5)(6,5)(5,6)|(1,1)(2,1)(1,2)",
                         "#", "junk"}));
    ASSERT_EQ(g.Count(), 2);
    EXPECT_TRUE(g.Segments()[0].clickable);
    EXPECT_FALSE(g.Segments()[1].clickable);
    EXPECT_EQ(g.Segments()[1].triangles.size(), 2u);
    EXPECT_EQ(g.Width(), 10);
    EXPECT_EQ(g.Height(), 20);
    g.SetPattern(0x2);  // segment 0 is bit 1 of two segments
    EXPECT_TRUE(g.Segments()[0].on);
    EXPECT_FALSE(g.Segments()[1].on);
    EXPECT_EQ(g.Pattern(), 0x2);

    int bad = -1;
    for (const char* line : {"x|(0,0)(1,0)(0,1)", "2|(0,0)(1,0)(0,1)", "1|(0,0)(1,0)", "1|(0,a)(1,0)(0,1)"}) {
        EXPECT_FALSE(g.Parse({"// ok", line}, &bad)) << line;
        EXPECT_EQ(bad, 1);
    }
    test::ScopedDefs defs({"#GI_PCG_Seg_Data", "1|(0,0)(1,0)(0,one)"});
    EXPECT_FATAL(DisplayGeometry(), "GI_PCG_Seg_Data: line 0", kExitDefinitionFault);
}

TEST(DispText, LayoutPlacesCharactersOnTheRaster) {
    cmcSegChar g;
    // Two segments in a 100 x 100 box: a left and a right half.
    ASSERT_TRUE(g.Parse({"1|(0,0)(50,0)(0,100)", "1|(50,0)(100,0)(100,100)"}));
    std::vector<cmcSegPoint> points;
    auto collect = [&](const cmcSegPoint(&p)[3]) { points.insert(points.end(), p, p + 3); };
    const uint8_t user[4] = {0x00, 0x02, 0x00, 0x01};  // user 0: the left half, user 1: the right
    const uint8_t text[2] = {0x10, 0x11};
    // Width 200 for 2 characters, height 50: s = min(100 * 0.8 / 100, 50 * 0.8 / 100) = 0.4,
    // advance k = round(0.4 * 100 * 1.25) = 50, dx = round(50 * 0.1) = 5, dy = round(50 * 0.1) = 5.
    LayoutSegText(g, 10, 20, 200, 50, text, 2, 2, 1, user, collect);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points[0], (cmcSegPoint{15, 25}));
    EXPECT_EQ(points[2], (cmcSegPoint{15, 65}));
    EXPECT_EQ(points[3], (cmcSegPoint{10 + 5 + 50 + 20, 25}));
    // The characters span from the left edge to the right edge of the last one: 5 + 50 + 40.
    EXPECT_EQ(SegTextWidth(g, 200, 50, 2, 2, 1), 95);
    EXPECT_EQ(SegTextWidth(g, 200, 50, 0, 2, 1), 0);
    // Characters beyond perLine x lines are not drawn.
    points.clear();
    LayoutSegText(g, 0, 0, 200, 50, text, 2, 1, 1, user, collect);
    EXPECT_EQ(points.size(), 3u);
}

TEST(DispText, EditorHitTest) {
    cmcSegChar g;
    // One segment of two triangles sharing the edge (0,0)-(10,10), and a second segment beside it.
    ASSERT_TRUE(g.Parse({"2|(0,0)(10,0)(10,10)|(0,0)(10,10)(0,10)", "1|(20,0)(30,0)(20,10)", "-1|(40,0)(50,0)(40,10)"}));
    EXPECT_EQ(SegmentAt(g, {5, 5}), 0);   // on the shared edge: the segment, once
    EXPECT_EQ(SegmentAt(g, {10, 10}), 0);  // a corner
    EXPECT_EQ(SegmentAt(g, {21, 1}), 1);
    EXPECT_EQ(SegmentAt(g, {15, 5}), -1);
    EXPECT_EQ(SegmentAt(g, {41, 1}), -1);  // not clickable
    // The editor's area maps the box into 10..190 and back.
    const cmcSegEditorMap map(g);
    EXPECT_EQ(map.ToArea({0, 0}), (cmcSegPoint{10, 10}));
    EXPECT_EQ(map.ToArea({50, 0}), (cmcSegPoint{190, 10}));
    EXPECT_EQ(map.FromArea(190, 10), (cmcSegPoint{50, 0}));
    EXPECT_EQ(map.FromArea(map.ToArea({21, 3}).x, map.ToArea({21, 3}).y), (cmcSegPoint{21, 3}));
}

}  // namespace
