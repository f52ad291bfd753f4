// Display texts: the radio's own character encoding of channel names, bank names and messages,
// the text form a user types for them, and the segment display that shows them.
//
// A display byte holds a character code in bits 0-6 and a lit decimal point after the character
// in bit 7. Codes 32-126 are built-in characters, codes 16-31 the sixteen user characters whose
// segment patterns the image holds (2 bytes each, high byte first), every other code shows blank.
//
// The editable form writes codes 32-126 as themselves, "%" as "%%", a lit point as a "." after
// its character, and every other code (and the point character, which would read back as a lit
// point) as "%" and two upper-case hexadecimal digits. Code 0 ends a text; codes 1-15 show blank
// but are kept like any other code, so that a text holding one survives the editor:
//
//     EditableOf({0x41, 0xC2})  == "AB."
//     BytesOf("AB.C")           == {0x41, 0xC2, 0x43}
//     BytesOf("%1F")            == {0x1F}             // user character 15
//     EditableOf({0x41, 0x05})  == "A%05"
//
// One byte per character: a typed character the display has no code for (anything but the
// printable ASCII characters, such as "é" or a tab) is refused with NoCharacterMessage, never
// turned into other bytes.
//
// The segment geometry (cmcSegChar) comes from the definition text "GI_PCG_Seg_Data": one line per
// segment, segment i lighting for bit (n - 1 - i) of a 16-bit pattern of n segments. Drawing is
// done by the views: LayoutSegText hands them every lit triangle in cell coordinates.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class cmcGTex;

inline constexpr const char* kKeySegData = "GI_PCG_Seg_Data";
inline constexpr const char* kSelText = "GI_Sheet_Sel_Text";  // Flex0 items: the character codes
inline constexpr int kUserCharCount = 16;
inline constexpr int kUserCharFirst = 16;       // codes 16-31 are user characters 0-15
inline constexpr uint16_t kPointSegment = 0x4000;  // added to a pattern for a lit point
inline constexpr uint8_t kLonePoint = 0xA0;     // a point typed without a character before it

// ---- encoding ------------------------------------------------------------------------------------

// Field bytes to the editable form (at most 255 bytes are read; a byte 0 ends the text).
std::string EditableOf(const uint8_t* bytes, size_t count);
inline std::string EditableOf(const std::vector<uint8_t>& bytes) { return EditableOf(bytes.data(), bytes.size()); }
// The editable form to bytes (at most 255 characters are read). A character the display lacks
// still gives bytes here (the preview draws what it can); check the text with MissingCharacter
// before storing it.
std::vector<uint8_t> BytesOf(std::string_view editable);

// The first character of an editable text that the display cannot show, named for a message:
// "'é'" in quotes, or its code point ("U+0009") when it cannot be printed, or "0xE9" for a byte
// that is not UTF-8. Empty when every character has a display code.
std::string MissingCharacter(std::string_view editable);
// Where that character starts in the text (a byte offset), or npos.
size_t MissingCharacterAt(std::string_view editable);
// Why such a text is refused, in every place that takes display texts (text entry, in-place
// editor, scripted edits, channel plan import): the text of kKeyNoCharacter with the character
// named, "the display has no character 'é'" (from the store `texts`). Empty when the text is fine.
std::string NoCharacterMessage(cmcGTex& texts, std::string_view editable);
inline constexpr const char* kKeyNoCharacter = "GI_AppMess_DispText_NoChar";

// The text a field shows: its bytes up to `length` or the first 0 byte; trailing spaces are cut
// from a space-padded field.
std::vector<uint8_t> ShownBytes(const uint8_t* field, int length, bool zeroTerminated);
// Stores editable text into a field of `length` bytes, padded with spaces or zero bytes; true when
// a byte changed.
bool StoreEditable(uint8_t* field, int length, bool zeroTerminated, std::string_view editable);

// The segment pattern of a display byte, with the point segment for bit 7. `userTable` holds the
// user character patterns (2 bytes each, high byte first); null shows user characters blank.
uint16_t SegPatternOf(uint8_t byte, const uint8_t* userTable);

// ---- segment geometry ----------------------------------------------------------------------------

struct cmcSegPoint {
    int x = 0, y = 0;
    bool operator==(const cmcSegPoint&) const = default;
};
struct cmcSegTriangle {
    cmcSegPoint p[3];
};
struct cmcSegment {
    std::vector<cmcSegTriangle> triangles;
    bool on = false;
    bool clickable = true;
};

class cmcSegChar {
public:
    // Reads the geometry lines. Blank lines, "0" and lines starting with "//" are skipped, a line
    // starting with "#" ends the list; every other line is "N|(x,y)(x,y)(x,y)|..." with N
    // triangles (a negative N: -N triangles, not clickable). False, with the line number (from 0)
    // in *badLine, for a line that is not a segment.
    bool Parse(const std::vector<std::string>& lines, int* badLine = nullptr);

    const std::vector<cmcSegment>& Segments() const { return segments_; }
    std::vector<cmcSegment>& Segments() { return segments_; }
    int Count() const { return static_cast<int>(segments_.size()); }
    int MinX() const { return minX_; }
    int MinY() const { return minY_; }
    int Width() const { return maxX_ - minX_; }
    int Height() const { return maxY_ - minY_; }

    // Segment on-flags from a pattern: segment i is bit (Count() - 1 - i).
    void SetPattern(uint16_t pattern);
    // The pattern of the lit segments.
    uint16_t Pattern() const;

private:
    std::vector<cmcSegment> segments_;
    int minX_ = 999999999, minY_ = 999999999;
    int maxX_ = -999999999, maxY_ = -999999999;
};

// The geometry of a main definition store, read once per store. A geometry text that cannot be
// read is a broken installation: fatal definition fault naming the line.
const cmcSegChar& DisplayGeometry(cmcGTex& store);

#ifndef QX_CELLS_SOURCE
// The same with the program's definition store, for callers outside cells/. Defined with the
// program's environment (env/cmcProgramTexts.cpp).
std::string NoCharacterMessage(std::string_view editable);
const cmcSegChar& DisplayGeometry();
#endif

// Calls `fill` with the three points of every lit triangle of `count` display bytes drawn in the
// rectangle (left, top, width, height), `perLine` characters on each of `lines` lines, as the radio's
// display shows them.
using cmcSegFill = std::function<void(const cmcSegPoint (&pts)[3])>;
void LayoutSegText(const cmcSegChar& geometry, int left, int top, int width, int height, const uint8_t* bytes,
                   int count, int perLine, int lines, const uint8_t* userTable, const cmcSegFill& fill);

// The width that `count` characters take when drawn as LayoutSegText draws them, from the left
// edge of the rectangle to the right edge of the last character (used to centre them).
int SegTextWidth(const cmcSegChar& geometry, int width, int height, int count, int perLine, int lines);

// ---- the character editor's drawing area ----------------------------------------------------------

// The editor draws the clickable segments scaled into a 200 x 200 area with a 10-pixel margin.
struct cmcSegEditorMap {
    double scale = 1;
    int minX = 0, minY = 0;
    explicit cmcSegEditorMap(const cmcSegChar& geometry);
    cmcSegPoint ToArea(cmcSegPoint p) const;
    cmcSegPoint FromArea(int x, int y) const;
};
// Whether point t lies in triangle abc (its edges included, with a small tolerance).
bool PointInTriangle(cmcSegPoint t, const cmcSegTriangle& abc);
// The first clickable segment with a triangle containing p (geometry coordinates), or -1.
int SegmentAt(const cmcSegChar& geometry, cmcSegPoint p);

}  // namespace qx
