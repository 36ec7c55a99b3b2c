// Fuzz target: any bytes through the game's PNG loader and its colour key.
// The decoder must either refuse with a reason and an empty image, or return
// an image within the game's size limits whose pixel buffer fits it exactly;
// an image without alpha must come back keyed (no opaque black left, alpha
// only 0 or 255).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ImageFile.h"

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// True when the file is plainly opaque: its IHDR names a colour type without
// alpha and the chunk list, walked cleanly up to IEND, holds no tRNS. Any
// doubt (a chunk list that does not add up) answers false, so the colour key
// check below only runs where the answer is certain.
bool PlainlyOpaque(const uint8_t* data, size_t size) {
    if (size < 8 + 8 + 13) return false;
    const uint8_t colorType = data[8 + 8 + 9];
    if (colorType != 0 && colorType != 2 && colorType != 3) return false;
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = BigEndian32(data + pos);
        const uint8_t* type = data + pos + 4;
        if (std::memcmp(type, "tRNS", 4) == 0) return false;
        if (std::memcmp(type, "IEND", 4) == 0) return true;
        if (length > size - pos - 12) return false;
        pos += 12 + size_t(length);
    }
    return false;
}

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "zep-fuzz-png: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPixels image;
    image.width = 7; // must be reset on failure
    std::string error;
    if (!DecodePng(data, size, image, error)) {
        Require(!error.empty(), "refused without a reason");
        Require(image.width == 0 && image.height == 0 && image.rgba.empty(), "refused but left pixels behind");
        return 0;
    }
    Require(image.width > 0 && image.height > 0, "decoded an image with no pixels");
    Require(image.width <= 8192 && image.height <= 8192 && uint64_t(image.width) * image.height <= 16u << 20,
            "decoded an image over the size limits");
    Require(image.rgba.size() == size_t(image.width) * size_t(image.height) * 4, "pixel buffer does not fit the size");
    if (PlainlyOpaque(data, size)) {
        for (size_t i = 0; i < image.rgba.size(); i += 4) {
            const uint8_t* p = image.rgba.data() + i;
            Require(p[3] == 0 || p[3] == 255, "opaque image came back with partial alpha");
            Require(!(p[3] == 255 && p[0] == 0 && p[1] == 0 && p[2] == 0), "opaque black survived the colour key");
        }
    }
    return 0;
}
