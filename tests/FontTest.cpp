// Checks the built-in font keeps the layout the text drawing relies on: every
// glyph stays inside its cell with the blank border that separates letters and
// lines, capitals and digits share one baseline and height, and no two of the
// letters and digits the menus and score line print can be mistaken for each
// other.
#include "platform/Font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Lit rows and columns of one glyph, -1 when the glyph is empty.
struct Extent {
    int top = -1, bottom = -1, left = -1, right = -1;
};

const uint8_t* Rows(int code) { return kFontRows[code - kFirstGlyph]; }

Extent ExtentOf(int code) {
    Extent e;
    for (int row = 0; row < kGlyphHeight; ++row) {
        for (int col = 0; col < kGlyphWidth; ++col) {
            if (!(Rows(code)[row] & (0x80 >> col))) continue;
            if (e.top < 0) e.top = row;
            e.bottom = row;
            if (e.left < 0 || col < e.left) e.left = col;
            if (col > e.right) e.right = col;
        }
    }
    return e;
}

// Names a glyph in failure messages, e.g. "'Q' (81)".
std::string Name(int code) {
    return "'" + std::string(1, static_cast<char>(code)) + "' (" + std::to_string(code) + ")";
}

// Where the glyphs of one range of codes must sit. With exactRows the
// topmost and lowest lit rows must be exactly top and bottom, so the kind
// shares one baseline and height; otherwise the glyph only has to stay
// between them.
struct Band {
    const char* what;
    int first, last;
    int top, bottom;
    bool exactRows;
};

const Band kBands[] = {
    {"capital", 'A', 'Z', 2, 11, true},
    {"digit", '0', '9', 2, 10, true},
};

// Lower case, punctuation and symbols: anywhere inside the cell's border.
const Band kOtherGlyphs = {"glyph", kFirstGlyph, kFirstGlyph + kGlyphCount - 1, 1, 12, false};

const Band& BandOf(int code) {
    for (const Band& band : kBands) {
        if (code >= band.first && code <= band.last) return band;
    }
    return kOtherGlyphs;
}

TEST(FontTest, EveryGlyphKeepsTheBlankBorderOfItsCell) {
    // Column 0 is the gap to the previous letter; row 0 and rows 13 to 15
    // are the gap between lines of text.
    for (int code = kFirstGlyph; code < kFirstGlyph + kGlyphCount; ++code) {
        SCOPED_TRACE(Name(code));
        for (int row = 0; row < kGlyphHeight; ++row) {
            EXPECT_EQ(Rows(code)[row] & 0x80, 0) << "column 0 lit in row " << row;
        }
        for (int row : {0, 13, 14, 15}) {
            EXPECT_EQ(Rows(code)[row], 0) << "row " << row << " lit";
        }
    }
}

TEST(FontTest, SpaceIsEmptyAndEveryOtherGlyphShows) {
    EXPECT_EQ(ExtentOf(' ').top, -1);
    for (int code = ' ' + 1; code < kFirstGlyph + kGlyphCount; ++code) {
        EXPECT_GE(ExtentOf(code).top, 0) << Name(code) << " draws nothing";
    }
}

TEST(FontTest, GlyphsSitInTheRowsOfTheirKind) {
    for (int code = ' ' + 1; code < kFirstGlyph + kGlyphCount; ++code) {
        const Band& band = BandOf(code);
        SCOPED_TRACE(std::string(band.what) + " " + Name(code));
        const Extent e = ExtentOf(code);
        if (e.top < 0) continue;  // reported by SpaceIsEmptyAndEveryOtherGlyphShows
        if (band.exactRows) {
            EXPECT_EQ(e.top, band.top);
            EXPECT_EQ(e.bottom, band.bottom);
        } else {
            EXPECT_GE(e.top, band.top);
            EXPECT_LE(e.bottom, band.bottom);
        }
    }
}

TEST(FontTest, CapitalsAndDigitsShareOneWidth) {
    // Six columns wide, so words like "GAME OVER" read evenly; only M and W
    // need the seventh column for their middle stroke.
    for (int code : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        SCOPED_TRACE(Name(code));
        const Extent e = ExtentOf(code);
        const bool wide = code == 'M' || code == 'W';
        EXPECT_EQ(e.left, 1);
        EXPECT_EQ(e.right, wide ? 7 : 6);
    }
}

TEST(FontTest, NoTwoCapitalsOrDigitsLookTheSame) {
    // Catches a glyph pasted over another, and keeps O and 0 apart.
    const std::string chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (size_t i = 0; i < chars.size(); ++i) {
        for (size_t j = i + 1; j < chars.size(); ++j) {
            EXPECT_NE(std::memcmp(Rows(chars[i]), Rows(chars[j]), kGlyphHeight), 0)
                << Name(chars[i]) << " and " << Name(chars[j]) << " are identical";
        }
    }
}

}  // namespace
