// The PNG decoder: every PNG flavour becomes the RGBA8 the renderer expects,
// images without alpha get their black colour key, and bad bytes or bad
// files give an error instead of a crash.
#include "platform/ImageFile.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// How to write a fixture PNG. samples holds one value per sample (palette
// index, grey level, channel value) in row-major, channel-interleaved order.
struct TPngShape {
    int width = 1, height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    std::vector<unsigned> samples;
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha; // tRNS of a palette image
    bool colourKey = false;            // tRNS of a grey or RGB image
    png_color_16 key{};
    bool interlace = false;
};

int ChannelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// The libpng write calls, guarded by setjmp and free of destructors.
bool WritePngRows(const TPngShape* shape, png_bytep* rows, std::vector<uint8_t>* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToVector, FlushNothing);
    png_set_IHDR(png, info, shape->width, shape->height, shape->bitDepth, shape->colorType,
                 shape->interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!shape->palette.empty()) png_set_PLTE(png, info, shape->palette.data(), int(shape->palette.size()));
    if (!shape->paletteAlpha.empty()) {
        png_set_tRNS(png, info, shape->paletteAlpha.data(), int(shape->paletteAlpha.size()), nullptr);
    }
    if (shape->colourKey) png_set_tRNS(png, info, nullptr, 0, &shape->key);
    png_write_info(png, info);
    if (shape->interlace) png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Encodes shape to PNG bytes, packing samples below 8 bits and storing 16-bit
// ones big-endian as the format wants.
std::vector<uint8_t> EncodePng(const TPngShape& shape) {
    const int channels = ChannelsOf(shape.colorType);
    const size_t rowBytes = (size_t(shape.width) * channels * shape.bitDepth + 7) / 8;
    std::vector<uint8_t> raw(rowBytes * shape.height, 0);
    EXPECT_EQ(shape.samples.size(), size_t(shape.width) * shape.height * channels);
    for (size_t i = 0; i < shape.samples.size(); ++i) {
        const size_t perRow = size_t(shape.width) * channels;
        uint8_t* row = raw.data() + (i / perRow) * rowBytes;
        const size_t inRow = i % perRow;
        const unsigned v = shape.samples[i];
        if (shape.bitDepth == 16) {
            row[inRow * 2] = uint8_t(v >> 8);
            row[inRow * 2 + 1] = uint8_t(v);
        } else if (shape.bitDepth == 8) {
            row[inRow] = uint8_t(v);
        } else {
            const size_t bit = inRow * shape.bitDepth;
            row[bit / 8] |= uint8_t(v << (8 - shape.bitDepth - bit % 8));
        }
    }
    std::vector<png_bytep> rows(shape.height);
    for (int y = 0; y < shape.height; ++y) rows[y] = raw.data() + y * rowBytes;
    std::vector<uint8_t> out;
    EXPECT_TRUE(WritePngRows(&shape, rows.data(), &out));
    return out;
}

// Decoded pixels as ints, so a mismatch prints numbers rather than chars.
std::vector<int> AsInts(const std::vector<uint8_t>& bytes) { return std::vector<int>(bytes.begin(), bytes.end()); }

// The RGBA of pixel (x, y).
std::vector<int> PixelAt(const TPixels& image, int x, int y) {
    const auto* p = image.rgba.data() + (size_t(y) * image.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// An RGB 8-bit image from RGB triples.
TPngShape RgbImage(int width, int height, std::vector<unsigned> samples) {
    TPngShape shape;
    shape.width = width;
    shape.height = height;
    shape.samples = std::move(samples);
    return shape;
}

TPixels MustDecode(const std::vector<uint8_t>& png) {
    TPixels image;
    std::string error;
    EXPECT_TRUE(DecodePng(png.data(), png.size(), image, error)) << error;
    return image;
}

// --- Every PNG flavour decodes to the expected RGBA ------------------------

struct TFormatCase {
    const char* name;
    TPngShape shape;
    std::vector<int> rgba; // expected, row-major
};

png_color_16 GreyKey(int grey) {
    png_color_16 key{};
    key.gray = png_uint_16(grey);
    return key;
}

png_color_16 RgbKey(int r, int g, int b) {
    png_color_16 key{};
    key.red = png_uint_16(r);
    key.green = png_uint_16(g);
    key.blue = png_uint_16(b);
    return key;
}

TPngShape Shape(int colorType, int bitDepth, int width, std::vector<unsigned> samples) {
    TPngShape shape;
    shape.colorType = colorType;
    shape.bitDepth = bitDepth;
    shape.width = width;
    shape.samples = std::move(samples);
    return shape;
}

TPngShape WithPalette(TPngShape shape, std::vector<png_color> palette, std::vector<uint8_t> alpha = {}) {
    shape.palette = std::move(palette);
    shape.paletteAlpha = std::move(alpha);
    return shape;
}

TPngShape WithKey(TPngShape shape, png_color_16 key) {
    shape.colourKey = true;
    shape.key = key;
    return shape;
}

const std::vector<png_color> kPalette = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}};

std::vector<TFormatCase> FormatCases() {
    return {
        // No tRNS: black palette entries are colour-keyed like any opaque image.
        {"Palette", WithPalette(Shape(PNG_COLOR_TYPE_PALETTE, 8, 3, {0, 2, 1}), kPalette),
         {10, 20, 30, 255, 105, 60, 40, 0, 200, 100, 50, 255}},
        // Entry 2 has no tRNS value and so is opaque, black included.
        {"PaletteTrns", WithPalette(Shape(PNG_COLOR_TYPE_PALETTE, 8, 3, {0, 1, 2}), kPalette, {0, 128}),
         {10, 20, 30, 0, 200, 100, 50, 128, 0, 0, 0, 255}},
        {"Palette4Bit", WithPalette(Shape(PNG_COLOR_TYPE_PALETTE, 4, 3, {1, 0, 1}), kPalette),
         {200, 100, 50, 255, 10, 20, 30, 255, 200, 100, 50, 255}},
        {"Grey1", Shape(PNG_COLOR_TYPE_GRAY, 1, 3, {1, 0, 1}),
         {255, 255, 255, 255, 255, 255, 255, 0, 255, 255, 255, 255}},
        {"Grey2", Shape(PNG_COLOR_TYPE_GRAY, 2, 3, {1, 2, 3}),
         {85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"Grey4", Shape(PNG_COLOR_TYPE_GRAY, 4, 3, {1, 8, 15}),
         {17, 17, 17, 255, 136, 136, 136, 255, 255, 255, 255, 255}},
        {"Grey8", Shape(PNG_COLOR_TYPE_GRAY, 8, 3, {1, 128, 255}),
         {1, 1, 1, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        // High byte kept: 0x0180 gives 1, where rounding would give 2.
        {"Grey16", Shape(PNG_COLOR_TYPE_GRAY, 16, 3, {0x12FF, 0x0180, 0xFF00}),
         {0x12, 0x12, 0x12, 255, 1, 1, 1, 255, 255, 255, 255, 255}},
        // With tRNS the image has alpha, so its black stays opaque.
        {"GreyTrns8", WithKey(Shape(PNG_COLOR_TYPE_GRAY, 8, 3, {100, 0, 200}), GreyKey(100)),
         {100, 100, 100, 0, 0, 0, 0, 255, 200, 200, 200, 255}},
        {"GreyTrns4", WithKey(Shape(PNG_COLOR_TYPE_GRAY, 4, 3, {5, 0, 15}), GreyKey(5)),
         {85, 85, 85, 0, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"GreyAlpha8", Shape(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3, {50, 0, 0, 255, 200, 77}),
         {50, 50, 50, 0, 0, 0, 0, 255, 200, 200, 200, 77}},
        {"GreyAlpha16", Shape(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 1, {0x40FF, 0x7F80}), {0x40, 0x40, 0x40, 0x7F}},
        {"Rgb8", Shape(PNG_COLOR_TYPE_RGB, 8, 3, {1, 2, 3, 250, 128, 7, 0, 0, 9}),
         {1, 2, 3, 255, 250, 128, 7, 255, 0, 0, 9, 255}},
        {"Rgb16", Shape(PNG_COLOR_TYPE_RGB, 16, 2, {0x12FF, 0x3400, 0xAB80, 0x0001, 0x0100, 0xFFFF}),
         {0x12, 0x34, 0xAB, 255, 0, 1, 255, 255}},
        {"RgbTrns8", WithKey(Shape(PNG_COLOR_TYPE_RGB, 8, 3, {10, 20, 30, 0, 0, 0, 10, 20, 31}), RgbKey(10, 20, 30)),
         {10, 20, 30, 0, 0, 0, 0, 255, 10, 20, 31, 255}},
        // The key is compared on all 16 bits, before the low byte is dropped.
        {"RgbTrns16",
         WithKey(Shape(PNG_COLOR_TYPE_RGB, 16, 2, {0x1234, 0x5678, 0x9ABC, 0x1299, 0x5678, 0x9ABC}),
                 RgbKey(0x1234, 0x5678, 0x9ABC)),
         {0x12, 0x56, 0x9A, 0, 0x12, 0x56, 0x9A, 255}},
        {"Rgba8", Shape(PNG_COLOR_TYPE_RGB_ALPHA, 8, 3, {1, 2, 3, 4, 0, 0, 0, 255, 0, 0, 0, 0}),
         {1, 2, 3, 4, 0, 0, 0, 255, 0, 0, 0, 0}},
        {"Rgba16", Shape(PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, {0x12FF, 0x3400, 0xAB80, 0x8001}), {0x12, 0x34, 0xAB, 0x80}},
    };
}

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const TFormatCase& c, std::ostream* os) { *os << c.name; }

class PngFormat : public testing::TestWithParam<TFormatCase> {};

TEST_P(PngFormat, DecodesToExpectedRgba) {
    const TFormatCase& c = GetParam();
    const TPixels image = MustDecode(EncodePng(c.shape));
    EXPECT_EQ(image.width, c.shape.width);
    EXPECT_EQ(image.height, c.shape.height);
    EXPECT_EQ(AsInts(image.rgba), c.rgba);
}

INSTANTIATE_TEST_SUITE_P(AllFlavours, PngFormat, testing::ValuesIn(FormatCases()),
                         [](const testing::TestParamInfo<TFormatCase>& info) { return info.param.name; });

TEST(PngDecode, InterlacedMatchesPlainImage) {
    // Odd sizes so that some Adam7 passes are partial or empty.
    const int w = 9, h = 7;
    std::vector<unsigned> samples;
    std::vector<int> expected;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned rgb[3] = {unsigned(x * 20 + 1), unsigned(y * 30 + 2), unsigned((x * 7 + y * 11) % 250 + 3)};
            for (unsigned v : rgb) {
                samples.push_back(v);
                expected.push_back(int(v));
            }
            expected.push_back(255);
        }
    }
    TPngShape shape = RgbImage(w, h, samples);
    shape.interlace = true;
    const std::vector<uint8_t> png = EncodePng(shape);
    ASSERT_GT(png.size(), 28u);
    ASSERT_EQ(png[28], 1) << "fixture is not interlaced";
    const TPixels image = MustDecode(png);
    EXPECT_EQ(AsInts(image.rgba), expected);
}

// --- Colour key ---------------------------------------------------------------

TEST(PngColourKey, HolesTakeAverageOfVisibleNeighbours) {
    // K marks pure black. Holes at a corner (0,0), the top edge (2,0), the
    // middle (1,1) and the bottom edge (2,2); (1,0,0) is near black.
    const std::vector<unsigned> samples = {
        0, 0, 0,       100, 0, 0, 0, 0, 0, 0, 100, 0,    // K  A  K  B
        0, 0, 100,     0, 0, 0,   30, 60, 90, 1, 0, 0,    // C  K  D  E
        200, 200, 200, 7, 8, 9,   0, 0, 0,    50, 50, 50, // F  G  K  H
    };
    const TPixels image = MustDecode(EncodePng(RgbImage(4, 3, samples)));
    ASSERT_EQ(image.rgba.size(), 4u * 3 * 4);
    EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<int>{50, 0, 50, 0}));    // A, C
    EXPECT_EQ(PixelAt(image, 2, 0), (std::vector<int>{32, 40, 22, 0}));   // A, B, D, E
    EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<int>{67, 53, 79, 0}));   // A, C, D, F, G
    EXPECT_EQ(PixelAt(image, 2, 2), (std::vector<int>{22, 29, 37, 0}));   // D, E, G, H
    EXPECT_EQ(PixelAt(image, 3, 1), (std::vector<int>{1, 0, 0, 255}));    // near black stays
    EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<int>{100, 0, 0, 255}));
    EXPECT_EQ(PixelAt(image, 0, 2), (std::vector<int>{200, 200, 200, 255}));
}

TEST(PngColourKey, AverageIsTruncated) {
    const TPixels image = MustDecode(EncodePng(RgbImage(3, 1, {10, 0, 200, 0, 0, 0, 11, 3, 201})));
    EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<int>{10, 1, 200, 0}));
}

TEST(PngColourKey, HoleAmongHolesStaysBlack) {
    // A 3 x 3 black block with a coloured column on its right: the block's
    // centre sees only holes, the block's right column sees the colours.
    std::vector<unsigned> samples;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) samples.insert(samples.end(), {0, 0, 0});
        samples.insert(samples.end(), {90u, 60u + unsigned(y) * 30u, 30});
    }
    const TPixels image = MustDecode(EncodePng(RgbImage(4, 3, samples)));
    EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 2, 1), (std::vector<int>{90, 90, 30, 0})); // (60+90+120)/3
    EXPECT_EQ(PixelAt(image, 2, 0), (std::vector<int>{90, 75, 30, 0})); // (60+90)/2
}

// --- Bad bytes -------------------------------------------------------------------

uint32_t Crc(const std::string& type, const std::vector<uint8_t>& data) {
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    return uint32_t(crc32(crc, data.data(), uInt(data.size())));
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// Appends a chunk; crcDelta != 0 spoils its CRC.
void PutChunk(std::vector<uint8_t>& out, const std::string& type, const std::vector<uint8_t>& data,
              uint32_t crcDelta = 0) {
    PutBigEndian32(out, uint32_t(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc(type, data) + crcDelta);
}

const std::vector<uint8_t> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A PNG holding only a well-formed IHDR (8-bit RGB) and IEND.
std::vector<uint8_t> HeaderOnlyPng(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out = kSignature;
    std::vector<uint8_t> ihdr;
    PutBigEndian32(ihdr, width);
    PutBigEndian32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = uint8_t(rng());
    return out;
}

std::vector<uint8_t> SignatureThen(const std::string& text) {
    std::vector<uint8_t> out = kSignature;
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

struct TBadCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string error;   // expected error, or its start when prefixOnly
    bool prefixOnly;
};

TEST(PngDecode, BadBytesGiveErrors) {
    const std::vector<TBadCase> cases = {
        {"empty", {}, "empty file", false},
        {"random bytes", RandomBytes(300, 7), "not a PNG image", false},
        {"half a signature", {0x89, 'P', 'N', 'G'}, "not a PNG image", false},
        {"signature then garbage", SignatureThen("0123456789abcdefghijklmnopqrstuvwxyz0123456789"),
         "corrupt PNG data: ", true},
        {"huge", HeaderOnlyPng(100000, 100000), "image too large (100000 x 100000)", false},
        {"too wide", HeaderOnlyPng(8193, 1), "image too large (8193 x 1)", false},
        {"too tall", HeaderOnlyPng(1, 8193), "image too large (1 x 8193)", false},
        {"too many pixels", HeaderOnlyPng(4097, 4096), "image too large (4097 x 4096)", false},
        // At the limit the size is fine; this file then fails for having no image data.
        {"largest allowed", HeaderOnlyPng(8192, 2048), "corrupt PNG data: ", true},
        {"width 0", HeaderOnlyPng(0, 5), "image has no pixels", false},
        {"height 0", HeaderOnlyPng(5, 0), "image has no pixels", false},
    };
    for (const TBadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPixels image;
        image.width = 3;
        image.rgba.assign(12, 1);
        std::string error;
        EXPECT_FALSE(DecodePng(c.bytes.data(), c.bytes.size(), image, error));
        if (c.prefixOnly) {
            EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
            EXPECT_GT(error.size(), c.error.size()) << "libpng's reason is missing";
        } else {
            EXPECT_EQ(error, c.error);
        }
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.rgba.empty());
    }
}

TEST(PngDecode, EveryCutOfAValidFileIsAnError) {
    // Interlaced, so the cuts land in several passes' worth of data too.
    std::vector<unsigned> samples;
    for (int i = 0; i < 6 * 5; ++i) samples.insert(samples.end(), {unsigned(i * 8 + 1), 40, unsigned(250 - i)});
    TPngShape shape = RgbImage(6, 5, samples);
    shape.interlace = true;
    const std::vector<uint8_t> png = EncodePng(shape);
    for (size_t cut = 0; cut < png.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(png.size()));
        // Copied so that reading past the cut is caught by the sanitizers.
        const std::vector<uint8_t> part(png.begin(), png.begin() + cut);
        TPixels image;
        std::string error;
        EXPECT_FALSE(DecodePng(part.data(), part.size(), image, error));
        const char* expected = cut == 0 ? "empty file" : cut < 8 ? "not a PNG image" : "truncated PNG data";
        EXPECT_EQ(error, expected);
    }
    TPixels image;
    std::string error;
    EXPECT_TRUE(DecodePng(png.data(), png.size(), image, error)) << error;
}

TEST(PngDecode, CorruptImageDataIsAnError) {
    std::vector<uint8_t> png = EncodePng(RgbImage(2, 1, {1, 2, 3, 4, 5, 6}));
    // Flip a byte inside the IDAT data (signature 8 + IHDR 25 + IDAT header 8).
    png[8 + 25 + 8 + 1] ^= 0xFF;
    TPixels image;
    std::string error;
    EXPECT_FALSE(DecodePng(png.data(), png.size(), image, error));
    EXPECT_EQ(error.substr(0, 18), "corrupt PNG data: ") << error;
}

TEST(PngDecode, WarningsStayOffTheTerminal) {
    // A text chunk with a broken CRC is dropped with a libpng warning.
    const std::vector<uint8_t> good = EncodePng(RgbImage(1, 1, {9, 8, 7}));
    std::vector<uint8_t> png(good.begin(), good.begin() + 8 + 25);
    PutChunk(png, "tEXt", {'T', 'i', 't', 'l', 'e', 0, 'z', 'e', 'p'}, 1);
    png.insert(png.end(), good.begin() + 8 + 25, good.end());
    testing::internal::CaptureStderr();
    TPixels image;
    std::string error;
    const bool ok = DecodePng(png.data(), png.size(), image, error);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(AsInts(image.rgba), (std::vector<int>{9, 8, 7, 255}));
    EXPECT_EQ(printed, "");
}

// --- Files ---------------------------------------------------------------------

class PngFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zep-image-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir_ + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f != nullptr) {
            if (!bytes.empty()) {
                EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
            }
            std::fclose(f);
        }
        return path;
    }
    std::string dir_;
};

TEST_F(PngFileTest, LoadsAGoodFile) {
    const std::string path = Write("tile.png", EncodePng(RgbImage(2, 1, {0, 0, 0, 40, 50, 60})));
    TPixels image;
    std::string error;
    ASSERT_TRUE(LoadPngFile(path, image, error)) << error;
    EXPECT_EQ(AsInts(image.rgba), (std::vector<int>{40, 50, 60, 0, 40, 50, 60, 255}));
}

TEST_F(PngFileTest, FileProblemsGiveErrors) {
    const std::string empty = Write("empty.png", {});
    const std::string big = Write("big.png", {});
    // Sparse, so nothing is written; it must be refused before being read.
    ASSERT_EQ(truncate(big.c_str(), 64 * 1024 * 1024 + 1), 0);
    const std::string pipe = dir_ + "/pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string garbage = Write("garbage.png", {'h', 'e', 'l', 'l', 'o'});
    const struct {
        std::string path, error;
    } cases[] = {
        {dir_ + "/missing.png", "cannot open: No such file or directory"},
        {dir_, "is a folder"},
        {empty, "empty file"},
        {big, "file too large"},
        {pipe, "not a regular file"}, // and does not wait for a writer
        {garbage, "not a PNG image"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TPixels image;
        std::string error;
        EXPECT_FALSE(LoadPngFile(c.path, image, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(PngFileTest, ReadWholeFileHonoursTheLimit) {
    const std::string path = Write("ten.bin", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(path, 10, bytes, error)) << error;
    EXPECT_EQ(bytes.size(), 10u);
    EXPECT_EQ(bytes[9], 9);
    EXPECT_FALSE(ReadWholeFile(path, 9, bytes, error));
    EXPECT_EQ(error, "file too large");
    EXPECT_TRUE(bytes.empty());
}

} // namespace
