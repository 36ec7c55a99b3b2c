// PNG decoding with libpng, called directly, plus the whole-file reader the
// image and music loaders share.
//
// libpng reports errors by longjmp. The functions that call setjmp below hold
// nothing but plain data, so a jump never skips a destructor: the C++ side
// (vectors, strings) lives in DecodePng, which only calls them.
#include "platform/ImageFile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Largest side and pixel count the game accepts; its own images are far
// smaller, and the limits keep a hostile file from claiming gigabytes.
constexpr uint32_t kMaxImageSide = 8192;
constexpr uint64_t kMaxImagePixels = 16u * 1024u * 1024u;
// Largest image or music file the game reads.
constexpr size_t kMaxFileBytes = 64u * 1024u * 1024u;

constexpr size_t kPngSignatureBytes = 8;
// Largest ancillary chunk (text, colour profile, ...) libpng may hold, after
// decompression: libpng's own suggested limit.
constexpr png_alloc_size_t kMaxChunkBytes = 8u * 1000u * 1000u;

// What a setjmp-guarded step ended with.
enum class TPngStep { Ok, Failed, NoPixels, TooLarge, BadFormat };

// Everything the libpng callbacks and the guarded steps share. Plain data
// only: a longjmp may leave any of these functions at any point.
struct TPngJob {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool truncated = false;     // the reader ran out of bytes
    char message[160] = {};     // libpng's last error message
    uint32_t width = 0, height = 0;
    bool hasAlpha = false;      // alpha channel or tRNS: no colour key
};

// libpng error callback: keeps the message and jumps back to the guarded step.
void OnPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<TPngJob*>(png_get_error_ptr(png));
    if (job != nullptr) {
        std::snprintf(job->message, sizeof job->message, "%s", message != nullptr ? message : "unknown error");
    }
    png_longjmp(png, 1);
}

// libpng warning callback: the game has nothing useful to do with warnings
// about odd but readable files, and must not spam the terminal with them.
void OnPngWarning(png_structp, png_const_charp) {}

// libpng read callback over the bytes in memory; running out is an error,
// never a read past the end.
void ReadPngBytes(png_structp png, png_bytep dest, png_size_t length) {
    auto* job = static_cast<TPngJob*>(png_get_io_ptr(png));
    if (length > job->size - job->pos) {
        job->truncated = true;
        png_error(png, "truncated");
    }
    std::memcpy(dest, job->data + job->pos, length);
    job->pos += length;
}

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Size check on the image's declared size, shared by the raw look at the
// header and the check after libpng has read it.
TPngStep CheckImageSize(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return TPngStep::NoPixels;
    if (width > kMaxImageSide || height > kMaxImageSide || uint64_t(width) * height > kMaxImagePixels) {
        return TPngStep::TooLarge;
    }
    return TPngStep::Ok;
}

// Looks at the IHDR chunk's width and height straight from the bytes, so a
// zero or oversized image gets its own clear error instead of libpng's
// generic "Invalid IHDR data". IHDR is always the first chunk.
TPngStep PeekHeaderSize(TPngJob* job) {
    const size_t ihdrEnd = kPngSignatureBytes + 8 + 8; // length, type, width, height
    if (job->size < ihdrEnd || std::memcmp(job->data + kPngSignatureBytes + 4, "IHDR", 4) != 0) {
        return TPngStep::Ok; // let libpng report whatever is wrong
    }
    job->width = ReadBigEndian32(job->data + 16);
    job->height = ReadBigEndian32(job->data + 20);
    return CheckImageSize(job->width, job->height);
}

// Walks the chunk list up to IEND and fails when a chunk claims more bytes
// than the file has left: the file was cut inside it. libpng allocates an
// ancillary chunk whole, at the size its length field claims (up to 2 GB),
// before it reads a byte of it; with this walk no allocation can exceed the
// file itself. A chunk type that is not four letters stops the walk, and
// libpng reports that corruption in its own words.
TPngStep CheckChunkLengths(TPngJob* job) {
    size_t pos = kPngSignatureBytes;
    while (job->size - pos >= 8) {
        for (size_t k = 4; k < 8; ++k) {
            const uint8_t c = job->data[pos + k];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return TPngStep::Ok;
        }
        const uint32_t length = ReadBigEndian32(job->data + pos);
        if (length > job->size - pos - 8 || job->size - pos - 8 - length < 4) {
            job->truncated = true;
            return TPngStep::Failed;
        }
        if (std::memcmp(job->data + pos + 4, "IEND", 4) == 0) break;
        pos += 12 + size_t(length);
    }
    return TPngStep::Ok;
}

// Reads the header chunks and sets up the conversion to RGBA8. Guarded by
// setjmp; holds no objects with destructors.
TPngStep ReadPngHeader(TPngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return TPngStep::Failed;

    png_structp png = job->png;
    png_infop info = job->info;
    png_set_read_fn(png, job, ReadPngBytes);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // Caps what a compressed text or colour-profile chunk may inflate to; the
    // game uses none of them (chunk lengths are checked before, see
    // CheckChunkLengths).
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    job->width = width;
    job->height = height;
    const TPngStep size = CheckImageSize(width, height);
    if (size != TPngStep::Ok) return size;

    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    job->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    // Opaque images get an alpha byte of 255 here; the colour key sets it later.
    if (!job->hasAlpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != size_t(width) * 4) {
        return TPngStep::BadFormat;
    }
    return TPngStep::Ok;
}

// Decodes all rows (every interlace pass) and checks the chunks after the
// image. Guarded by setjmp; rows point into memory the caller owns.
TPngStep ReadPngRows(TPngJob* job, png_bytep* rows) {
    if (setjmp(png_jmpbuf(job->png))) return TPngStep::Failed;
    png_read_image(job->png, rows);
    png_read_end(job->png, nullptr);
    return TPngStep::Ok;
}

// Turns exact black into holes for an image without alpha, giving each hole
// the truncated average colour of its visible (non-black) neighbours, or
// black when it has none. Alpha still reads 255 for every pixel on entry.
void ApplyColourKey(TPixels& image) {
    const int w = image.width, h = image.height;
    uint8_t* px = image.rgba.data();
    // First mark the holes, so the second pass can tell visible neighbours
    // from holes that have already borrowed a colour.
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        uint8_t* p = px + i * 4;
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) p[3] = 0;
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = px + (size_t(y) * w + x) * 4;
            if (p[3] != 0) continue;
            unsigned sum[3] = {0, 0, 0}, count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    const uint8_t* n = px + (size_t(ny) * w + nx) * 4;
                    if (n[3] == 0) continue;
                    for (int c = 0; c < 3; ++c) sum[c] += n[c];
                    ++count;
                }
            }
            if (count == 0) continue; // stays black
            for (int c = 0; c < 3; ++c) p[c] = uint8_t(sum[c] / count);
        }
    }
}

std::string SizeText(uint32_t width, uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Error text for a failed guarded step.
std::string StepError(TPngStep step, const TPngJob& job) {
    switch (step) {
    case TPngStep::NoPixels: return "image has no pixels";
    case TPngStep::TooLarge: return "image too large (" + SizeText(job.width, job.height) + ")";
    case TPngStep::BadFormat: return "unsupported PNG format";
    case TPngStep::Failed:
        if (job.truncated) return "truncated PNG data";
        return std::string("corrupt PNG data: ") + job.message;
    case TPngStep::Ok: break;
    }
    return "";
}

// Decodes with a libpng reader already created for job; the caller frees it.
bool DecodeWithReader(TPngJob& job, TPixels& out, std::string& error) {
    TPngStep step = ReadPngHeader(&job);
    if (step != TPngStep::Ok) {
        error = StepError(step, job);
        return false;
    }
    TPixels image;
    std::vector<png_bytep> rows;
    try {
        image.width = int(job.width);
        image.height = int(job.height);
        image.rgba.resize(size_t(job.width) * job.height * 4);
        rows.resize(job.height);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for image (" + SizeText(job.width, job.height) + ")";
        return false;
    }
    for (uint32_t y = 0; y < job.height; ++y) rows[y] = image.rgba.data() + size_t(y) * job.width * 4;
    step = ReadPngRows(&job, rows.data());
    if (step != TPngStep::Ok) {
        error = StepError(step, job);
        return false;
    }
    if (!job.hasAlpha) ApplyColourKey(image);
    out = std::move(image);
    return true;
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, TPixels& out, std::string& error) {
    out = TPixels();
    if (data == nullptr || size == 0) {
        error = "empty file";
        return false;
    }
    if (size < kPngSignatureBytes || png_sig_cmp(data, 0, kPngSignatureBytes) != 0) {
        error = "not a PNG image";
        return false;
    }
    TPngJob job;
    job.data = data;
    job.size = size;
    job.pos = 0;
    TPngStep peek = PeekHeaderSize(&job);
    if (peek == TPngStep::Ok) peek = CheckChunkLengths(&job);
    if (peek != TPngStep::Ok) {
        error = StepError(peek, job);
        return false;
    }
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnPngError, OnPngWarning);
    if (job.png == nullptr) {
        error = "cannot start the PNG decoder";
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        error = "cannot start the PNG decoder";
        return false;
    }
    const bool ok = DecodeWithReader(job, out, error);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    return ok;
}

bool LoadPngFile(const std::string& path, TPixels& out, std::string& error) {
    out = TPixels();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxFileBytes, bytes, error)) return false;
    return DecodePng(bytes.data(), bytes.size(), out, error);
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    // Non-blocking so that a named pipe cannot stall the game at open; it is
    // refused right after as not a regular file.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = true;
    if (fstat(fd, &st) != 0) {
        error = std::string("cannot read: ") + std::strerror(errno);
        ok = false;
    } else if (S_ISDIR(st.st_mode)) {
        error = "is a folder";
        ok = false;
    } else if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        ok = false;
    } else if (uint64_t(st.st_size) > maxBytes) {
        error = "file too large";
        ok = false;
    }
    if (ok) {
        try {
            out.reserve(size_t(st.st_size));
            uint8_t chunk[64 * 1024];
            for (;;) {
                // Ask for one byte more than allowed so a file that grew is noticed.
                const size_t room = maxBytes - out.size();
                const size_t want = room >= sizeof chunk ? sizeof chunk : room + 1;
                const ssize_t got = read(fd, chunk, want);
                if (got < 0) {
                    if (errno == EINTR) continue;
                    error = std::string("cannot read: ") + std::strerror(errno);
                    ok = false;
                    break;
                }
                if (got == 0) break;
                out.insert(out.end(), chunk, chunk + got);
                if (out.size() > maxBytes) {
                    error = "file too large";
                    ok = false;
                    break;
                }
            }
        } catch (const std::bad_alloc&) {
            error = "not enough memory to read the file";
            ok = false;
        }
    }
    close(fd);
    if (!ok) out.clear();
    return ok;
}
