// Writes the starting corpora of the fuzz targets: small PNGs of every colour
// type the game's image loader converts, short Ogg Vorbis pieces encoded here
// with libvorbisenc, and a few high-score files. Everything is made by this
// program, so the fuzzers start from well-formed files of our own.
//
// Usage: zep-fuzz-seeds OUTDIR   (writes OUTDIR/png, OUTDIR/ogg, OUTDIR/highscores)
#include <png.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// One PNG to write: the IHDR fields plus the optional chunks that change how
// the loader converts it (palette, tRNS).
struct TSeedPng {
    const char* name;
    int width, height;
    int colorType;
    int bitDepth;
    bool interlace;
    bool transparency; // a tRNS chunk: palette alphas or a grey/RGB colour key
};

int ChannelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// The libpng calls, guarded by setjmp; rows and out belong to the caller, so
// a jump skips no destructor here.
bool WritePngRows(const TSeedPng* seed, png_bytep* rows, std::vector<uint8_t>* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, FlushNothing);
    png_set_IHDR(png, info, png_uint_32(seed->width), png_uint_32(seed->height), seed->bitDepth, seed->colorType,
                 seed->interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 200, 0}, {40, 40, 255}};
    png_byte paletteAlpha[4] = {0, 255, 128, 255};
    png_color_16 key{};
    if (seed->colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 4);
        if (seed->transparency) png_set_tRNS(png, info, paletteAlpha, 4, nullptr);
    } else if (seed->transparency) {
        key.gray = 0;
        key.red = key.green = key.blue = 0;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    if (seed->interlace) png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// A pattern with exact black in it (the loader's colour key) next to coloured
// pixels, packed at the seed's bit depth.
std::vector<uint8_t> EncodePng(const TSeedPng& seed) {
    const int channels = ChannelsOf(seed.colorType);
    const size_t rowBytes = (size_t(seed.width) * channels * seed.bitDepth + 7) / 8;
    std::vector<uint8_t> raw(rowBytes * size_t(seed.height), 0);
    const unsigned maxSample = seed.colorType == PNG_COLOR_TYPE_PALETTE ? 3u : (1u << seed.bitDepth) - 1u;
    for (int y = 0; y < seed.height; ++y) {
        uint8_t* row = raw.data() + size_t(y) * rowBytes;
        for (int x = 0; x < seed.width; ++x) {
            const bool black = (x + y) % 3 == 0;
            for (int c = 0; c < channels; ++c) {
                const size_t i = size_t(x) * channels + c;
                unsigned v = black ? 0u : (unsigned(x * 37 + y * 11 + c * 71) % (maxSample + 1));
                if (!black && v == 0) v = 1;
                if (seed.bitDepth == 16) {
                    row[i * 2] = uint8_t(v >> 8);
                    row[i * 2 + 1] = uint8_t(v);
                } else if (seed.bitDepth == 8) {
                    row[i] = uint8_t(v);
                } else {
                    const size_t bit = i * size_t(seed.bitDepth);
                    row[bit / 8] |= uint8_t(v << (8 - seed.bitDepth - int(bit % 8)));
                }
            }
        }
    }
    std::vector<png_bytep> rows(size_t(seed.height));
    for (int y = 0; y < seed.height; ++y) rows[size_t(y)] = raw.data() + size_t(y) * rowBytes;
    std::vector<uint8_t> out;
    if (!WritePngRows(&seed, rows.data(), &out)) out.clear();
    return out;
}

// Encodes a short tone per channel; each chunk of input ends a page, so the
// file has several pages for the fuzzer to cut and splice.
std::vector<uint8_t> EncodeOgg(int rate, int channels, int frames, int serial) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.0f) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);
    auto appendPage = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comments, books;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &books);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &books);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) appendPage(page);
    const int chunk = 512;
    for (int start = 0;; start += chunk) {
        const int n = frames - start < chunk ? (frames - start > 0 ? frames - start : 0) : chunk;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < n; ++i)
                    buffer[c][i] = float(0.4 * std::sin(2.0 * M_PI * (330.0 + 110.0 * c) * (start + i) / rate));
        }
        vorbis_analysis_wrote(&vd, n); // 0 marks the end
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) ogg_stream_packetin(&os, &packet);
        }
        while (ogg_stream_flush(&os, &page) != 0) appendPage(page);
        if (n == 0) break;
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) std::fprintf(stderr, "zep-fuzz-seeds: cannot write %s\n", path.c_str());
    return bool(file);
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
    return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zep-fuzz-seeds OUTDIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    std::error_code ec;
    for (const char* sub : {"png", "ogg", "highscores"}) {
        fs::create_directories(root / sub, ec);
        if (ec) {
            std::fprintf(stderr, "zep-fuzz-seeds: cannot make %s: %s\n", (root / sub).c_str(), ec.message().c_str());
            return 1;
        }
    }
    bool ok = true;

    const TSeedPng pngs[] = {
        {"gray1", 9, 5, PNG_COLOR_TYPE_GRAY, 1, false, false},
        {"gray4-interlaced", 11, 9, PNG_COLOR_TYPE_GRAY, 4, true, false},
        {"gray8-key", 6, 6, PNG_COLOR_TYPE_GRAY, 8, false, true},
        {"gray16", 5, 4, PNG_COLOR_TYPE_GRAY, 16, false, false},
        {"gray-alpha8", 7, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
        {"rgb8", 12, 8, PNG_COLOR_TYPE_RGB, 8, false, false},
        {"rgb8-key-interlaced", 10, 10, PNG_COLOR_TYPE_RGB, 8, true, true},
        {"rgb16", 4, 4, PNG_COLOR_TYPE_RGB, 16, false, false},
        {"rgba8", 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
        {"rgba16-interlaced", 9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 16, true, false},
        {"palette2", 13, 3, PNG_COLOR_TYPE_PALETTE, 2, false, false},
        {"palette8-trns", 6, 5, PNG_COLOR_TYPE_PALETTE, 8, false, true},
    };
    for (const TSeedPng& seed : pngs) {
        const std::vector<uint8_t> bytes = EncodePng(seed);
        if (bytes.empty()) {
            std::fprintf(stderr, "zep-fuzz-seeds: cannot encode %s.png\n", seed.name);
            ok = false;
            continue;
        }
        ok = WriteFile(root / "png" / (std::string(seed.name) + ".png"), bytes) && ok;
        if (std::string(seed.name) == "rgb8") {
            // After the header, a text chunk whose length claims 2 GB and
            // whose bytes end almost at once: a loader that believes the
            // length asks for 2 GB (the fuzzer's allocation cap catches that).
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 8 + 25);
            const uint8_t chunk[] = {0x7f, 0xff, 0xff, 0xf0, 'z', 'T', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
            cut.insert(cut.end(), chunk, chunk + sizeof chunk);
            ok = WriteFile(root / "png" / "long-chunk.png", cut) && ok;
        }
    }

    const std::vector<uint8_t> mono = EncodeOgg(8000, 1, 1500, 1);
    const std::vector<uint8_t> stereo = EncodeOgg(22050, 2, 2500, 2);
    if (mono.empty() || stereo.empty()) {
        std::fprintf(stderr, "zep-fuzz-seeds: cannot encode the Ogg seeds\n");
        ok = false;
    } else {
        ok = WriteFile(root / "ogg" / "mono-8000.ogg", mono) && ok;
        ok = WriteFile(root / "ogg" / "stereo-22050.ogg", stereo) && ok;
        // Two logical streams one after the other: the chained-file paths.
        std::vector<uint8_t> chained = mono;
        chained.insert(chained.end(), stereo.begin(), stereo.end());
        ok = WriteFile(root / "ogg" / "chained.ogg", chained) && ok;
    }

    const struct {
        const char* name;
        std::string text;
    } scores[] = {
        {"written", "5\r\n6\r\n7\r\n8\r\n"},
        {"bases-signs", "$ff\n%101\n-3\n+12abc\n99\n"},
        {"blanks-cr", " \t42\r\r\n\v\f7\n\r\n"},
        {"nul-lines", std::string("1\0002\0003\0004", 7)},
        {"wrapping", "4294967297\n-2147483648\n2147483647\n-0\n"},
        {"empty", ""},
    };
    for (const auto& s : scores) ok = WriteText(root / "highscores" / s.name, s.text) && ok;

    return ok ? 0 : 1;
}
