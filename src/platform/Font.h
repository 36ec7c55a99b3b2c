// The built-in bitmap font: 96 glyphs for the codes 32 to 127, each an 8 x 16
// cell advancing 8 pixels at scale 1. Glyph pixels are fully on or off. In
// every glyph column 0 and rows 0 and 13 to 15 are blank; capital letters
// fill rows 2 to 11 and digits rows 2 to 10.
#pragma once

#include <cstdint>
#include <string>

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 96;

// Row bitmaps of each glyph, [code - 32][row]; bit 7 is column 0 (leftmost).
extern const uint8_t kFontRows[kGlyphCount][kGlyphHeight];

// True for the codes the font draws; every other character is skipped.
inline bool IsDrawnChar(unsigned char c) { return c >= kFirstGlyph && c < kFirstGlyph + kGlyphCount; }

// Width at scale 1: 8 for every drawn character.
inline int TextWidth(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) n += IsDrawnChar(c) ? 1 : 0;
    return n * kGlyphWidth;
}

// Height at scale 1, whatever the text.
inline int TextHeight(const std::string&) { return kGlyphHeight; }
