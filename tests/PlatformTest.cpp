// Real pixels from the headless platform: blending, tint, anchors, the colour
// key, the font's sharp blocks and flat rectangles.
#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "TestSupport.h"
#include "platform/Font.h"
#include "platform/HeadlessPlatform.h"
#include "platform/Pacer.h"

namespace {

struct TRgb {
    int r, g, b;
};

TRgb Rgb(uint32_t pixel) { return {int(pixel >> 16 & 255), int(pixel >> 8 & 255), int(pixel & 255)}; }

void ExpectNear(uint32_t pixel, TRgb want, int tolerance, const char* what) {
    const TRgb got = Rgb(pixel);
    EXPECT_NEAR(got.r, want.r, tolerance) << what;
    EXPECT_NEAR(got.g, want.g, tolerance) << what;
    EXPECT_NEAR(got.b, want.b, tolerance) << what;
}

// Writes a w x h PNG with the simplified libpng API; format PNG_FORMAT_RGB or _RGBA.
void WritePng(const std::string& path, int w, int h, uint32_t format, const std::vector<uint8_t>& samples) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = format;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr)) << image.message;
}

class HeadlessPixels : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(platform.OpenWindow(800, 600, error)) << error;
    }
    TTempDir dir;
    THeadlessPlatform platform;
};

TEST_F(HeadlessPixels, FlatRectangleBlendsByAlphaAndScalesItsSize) {
    platform.SetColor(200, 100, 50);
    platform.SetAlpha(0.5);
    platform.SetScale(2, 2);
    platform.FillRect(10, 10, 20, 10); // 40 x 20 on screen
    platform.SetColor(750, -20, 255);  // clamped to 255, 0, 255
    platform.SetAlpha(1);
    platform.SetScale(1, 1);
    platform.FillRect(100, 100, 5, 5);
    platform.SetAlpha(0);
    platform.FillRect(200, 200, 5, 5); // invisible
    platform.Present();
    ExpectNear(platform.PixelAt(15, 15), {100, 50, 25}, 2, "inside, half alpha over black");
    ExpectNear(platform.PixelAt(49, 29), {100, 50, 25}, 2, "scaled extent");
    EXPECT_EQ(platform.PixelAt(51, 15), 0u) << "beyond the scaled width";
    EXPECT_EQ(platform.PixelAt(9, 9), 0u);
    EXPECT_EQ(platform.PixelAt(102, 102), 0xFF00FFu) << "clamped colour";
    EXPECT_EQ(platform.PixelAt(202, 202), 0u) << "alpha 0 draws nothing";
}

TEST_F(HeadlessPixels, TintedImageWithAlphaLandsOnItsAnchorAtARealPosition) {
    // A 6 x 4 light grey block with its anchor in the middle.
    std::string error;
    std::vector<uint8_t> opaque(6 * 4 * 4, 200);
    for (size_t k = 3; k < opaque.size(); k += 4) opaque[k] = 255;
    WritePng(dir / "grey.png", 6, 4, PNG_FORMAT_RGBA, opaque);
    const TImageId image = platform.LoadImage(dir / "grey.png", error);
    ASSERT_NE(image, 0) << error;
    platform.SetAnchor(image, 3, 2);
    platform.SetColor(255, 128, 0);
    platform.SetAlpha(0.5);
    platform.DrawImage(image, 100.5, 50.25);
    platform.Present();
    // texel 200 x tint 255/255 x alpha 0.5 = 100; green 200 x 128/255 x 0.5 = 50.
    ExpectNear(platform.PixelAt(99, 49), {100, 50, 0}, 3, "middle of the image");
    EXPECT_EQ(platform.PixelAt(94, 49), 0u) << "left of the image";
    EXPECT_EQ(platform.PixelAt(99, 45), 0u) << "above the image";
    EXPECT_NE(platform.PixelAt(97, 48), 0u) << "top-left texel near the anchor offset";
}

TEST_F(HeadlessPixels, ColourKeyedImageShowsBlackPixelsAsHoles) {
    // 3 x 3 RGB: black centre (a hole), a near-black (1, 0, 0) corner that stays.
    std::vector<uint8_t> rgb(3 * 3 * 3, 0);
    for (int p = 0; p < 9; ++p) {
        rgb[p * 3 + 0] = 0;
        rgb[p * 3 + 1] = 200;
        rgb[p * 3 + 2] = 0;
    }
    rgb[4 * 3 + 1] = 0;             // centre: pure black
    rgb[0] = 1, rgb[1] = 0, rgb[2] = 0; // corner: near black
    WritePng(dir / "keyed.png", 3, 3, PNG_FORMAT_RGB, rgb);
    std::string error;
    const TImageId image = platform.LoadImage(dir / "keyed.png", error);
    ASSERT_NE(image, 0) << error;
    platform.SetColor(0, 0, 255);
    platform.FillRect(0, 0, 20, 20);
    platform.SetColor(255, 255, 255);
    platform.DrawImage(image, 5, 5);
    platform.Present();
    EXPECT_EQ(platform.PixelAt(6, 6), 0x0000FFu) << "the hole shows the blue below";
    EXPECT_EQ(platform.PixelAt(5, 6), 0x00C800u);
    EXPECT_EQ(platform.PixelAt(5, 5), 0x010000u) << "near-black stays opaque";
}

TEST_F(HeadlessPixels, TextIsSharpBlocksOfTheFontAtTheScale) {
    platform.SetColor(30, 60, 210);
    platform.SetScale(4, 3);
    platform.DrawText(10, 20, std::string("E\x01Z")); // code 1 is skipped without advancing
    platform.Present();
    const unsigned char glyphs[] = {'E', 'Z'};
    for (int n = 0; n < 2; ++n) {
        const int left = 10 + n * 8 * 4;
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < kGlyphWidth; ++col) {
                const bool lit = kFontRows[glyphs[n] - kFirstGlyph][row] & (0x80 >> col);
                for (int dy = 0; dy < 3; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        ASSERT_EQ(platform.PixelAt(left + col * 4 + dx, 20 + row * 3 + dy), lit ? 0x1E3CD2u : 0u)
                            << "glyph " << glyphs[n] << " row " << row << " col " << col;
            }
        }
    }
    EXPECT_EQ(TextWidth(std::string("E\x01Z")), 16);
    EXPECT_EQ(TextHeight("EZ"), 16);
}

TEST_F(HeadlessPixels, ClearMakesTheBackBufferBlackAndPresentKeepsTheFrame) {
    platform.SetColor(255, 255, 255);
    platform.FillRect(0, 0, 800, 600);
    platform.Present();
    platform.Clear();
    EXPECT_EQ(platform.PixelAt(400, 300), 0xFFFFFFu) << "the presented frame stays readable";
    platform.Present();
    EXPECT_EQ(platform.PixelAt(400, 300), 0u);
    EXPECT_EQ(platform.Presents(), 2u);
}

TEST(Pacer, HoldsSixtyStepsASecondWithoutCatchingUpAfterAStall) {
    TPacer pacer(60);
    const int64_t period = 1'000'000'000LL / 60;
    int64_t now = 1'000'000'000;
    EXPECT_EQ(pacer.Book(now), 0);          // the first step goes at once
    EXPECT_EQ(pacer.Book(now), period);     // a present that returned at once waits a step
    now += period + 5'000'000;              // a slow frame, a little late
    EXPECT_EQ(pacer.Book(now), period - 5'000'000);
    now += 3'000'000'000LL;                 // a long stall: no burst of fast steps after it
    EXPECT_EQ(pacer.Book(now), 0);
    EXPECT_EQ(pacer.Book(now), period);
}

} // namespace
