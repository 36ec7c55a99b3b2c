// The music decoder: Ogg Vorbis comes back at the rate, channel count and
// exact length it was made with, sounding like what went in, and bad bytes or
// bad files give an error instead of a crash.
#include "platform/SoundFile.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// One tone a channel, amplitude between 0 and 1.
struct TTone {
    double hz, amplitude;
};

double ToneAt(const TTone& tone, int frame, int rate) {
    return tone.amplitude * std::sin(2.0 * M_PI * tone.hz * frame / rate);
}

// Encodes frames of one tone a channel with libvorbisenc as the logical
// stream serial. A non-negative fakeLastGranule replaces the length stamped
// on the final packet, which is how a file lies about its duration.
std::vector<uint8_t> EncodeOgg(int rate, const std::vector<TTone>& tones, int frames, int serial = 1,
                               ogg_int64_t fakeLastGranule = -1) {
    const int channels = int(tones.size());
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.5f) != 0) {
        ADD_FAILURE() << "vorbisenc refused " << channels << " channels at " << rate;
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
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) appendPage(page);

    const int chunk = 1024;
    for (int start = 0;; start += chunk) {
        const int n = std::max(0, std::min(chunk, frames - start));
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, n);
            for (int c = 0; c < channels; ++c) {
                for (int i = 0; i < n; ++i) buffer[c][i] = float(ToneAt(tones[c], start + i, rate));
            }
        }
        vorbis_analysis_wrote(&vd, n); // 0 marks the end
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
                if (packet.e_o_s && fakeLastGranule >= 0) packet.granulepos = fakeLastGranule;
                ogg_stream_packetin(&os, &packet);
            }
        }
        // A page for each chunk, so that cut files keep some whole pages.
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

// RMS of the difference between decoded channel c and its tone, and the
// tone's own RMS.
void CompareChannel(const TPcm& pcm, const TTone& tone, int c, double& errorRms, double& toneRms) {
    const size_t frames = pcm.samples.size() / size_t(pcm.channels);
    double errorSum = 0, toneSum = 0;
    for (size_t f = 0; f < frames; ++f) {
        const double want = ToneAt(tone, int(f), pcm.rate);
        const double got = pcm.samples[f * pcm.channels + c] / 32768.0;
        errorSum += (got - want) * (got - want);
        toneSum += want * want;
    }
    errorRms = std::sqrt(errorSum / frames);
    toneRms = std::sqrt(toneSum / frames);
}

struct TGoodCase {
    const char* name;
    int rate;
    std::vector<TTone> tones;
};

TEST(OggDecode, DecodesWhatWasEncoded) {
    const TGoodCase cases[] = {
        {"mono 22050", 22050, {{440, 0.5}}},
        // Different tones left and right, so swapped channels would show.
        {"stereo 44100", 44100, {{440, 0.5}, {660, 0.3}}},
    };
    for (const TGoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int frames = c.rate / 2;
        const std::vector<uint8_t> ogg = EncodeOgg(c.rate, c.tones, frames);
        TPcm pcm;
        std::string error;
        ASSERT_TRUE(DecodeOgg(ogg.data(), ogg.size(), pcm, error)) << error;
        EXPECT_EQ(pcm.rate, c.rate);
        EXPECT_EQ(pcm.channels, int(c.tones.size()));
        ASSERT_EQ(pcm.samples.size(), size_t(frames) * c.tones.size());
        for (size_t ch = 0; ch < c.tones.size(); ++ch) {
            SCOPED_TRACE("channel " + std::to_string(ch));
            double errorRms = 0, toneRms = 0;
            CompareChannel(pcm, c.tones[ch], int(ch), errorRms, toneRms);
            EXPECT_LT(errorRms, 0.1 * toneRms);
        }
    }
}

TEST(OggDecode, ChainedStreamsPlayInTurn) {
    std::vector<uint8_t> ogg = EncodeOgg(22050, {{440, 0.5}}, 3000);
    const std::vector<uint8_t> second = EncodeOgg(22050, {{880, 0.5}}, 2000, 2);
    ogg.insert(ogg.end(), second.begin(), second.end());
    TPcm pcm;
    std::string error;
    ASSERT_TRUE(DecodeOgg(ogg.data(), ogg.size(), pcm, error)) << error;
    EXPECT_EQ(pcm.samples.size(), 5000u);
}

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = uint8_t(rng());
    return out;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(n, bytes.size()));
}

TEST(OggDecode, BadBytesGiveErrors) {
    const std::vector<uint8_t> mono = EncodeOgg(22050, {{440, 0.5}}, 11025);
    const std::vector<uint8_t> stereo = EncodeOgg(44100, {{440, 0.5}, {660, 0.3}}, 4000, 2);
    const std::string oggs = "OggS";
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string error;
    } cases[] = {
        {"empty", {}, "empty file"},
        {"random bytes", RandomBytes(4000, 5), "not an Ogg Vorbis file"},
        {"page marker then garbage", Concat(std::vector<uint8_t>(oggs.begin(), oggs.end()), RandomBytes(500, 6)),
         "not an Ogg Vorbis file"},
        {"three channels", EncodeOgg(22050, {{440, 0.5}, {550, 0.5}, {660, 0.5}}, 2000),
         "unsupported channel count 3"},
        {"mono then stereo", Concat(mono, stereo), "streams in file differ in format"},
        // Its last page claims 21 minutes.
        {"claims 21 minutes", EncodeOgg(8000, {{440, 0.5}}, 2000, 1, ogg_int64_t(21) * 60 * 8000), "music too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPcm pcm;
        pcm.rate = 1;
        pcm.samples.assign(4, 1);
        std::string error;
        EXPECT_FALSE(DecodeOgg(c.bytes.data(), c.bytes.size(), pcm, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(pcm.rate, 0);
        EXPECT_TRUE(pcm.samples.empty());
    }
}

// Offsets just past each Ogg page of a well-formed file.
std::vector<size_t> PageEnds(const std::vector<uint8_t>& ogg) {
    std::vector<size_t> ends;
    size_t at = 0;
    while (at + 27 <= ogg.size()) {
        const size_t segments = ogg[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += ogg[at + 27 + i];
        at += 27 + segments + body;
        ends.push_back(at);
    }
    return ends;
}

TEST(OggDecode, CutFileDecodesShorterOrFails) {
    const int frames = 22050;
    const std::vector<uint8_t> ogg = EncodeOgg(22050, {{440, 0.5}}, frames);
    const std::vector<size_t> pages = PageEnds(ogg);
    ASSERT_GT(pages.size(), 6u);
    ASSERT_EQ(pages.back(), ogg.size());
    const size_t headersEnd = pages[1]; // identification, then comments and codebooks
    const size_t midPage = pages[pages.size() / 2];

    struct TCut {
        size_t at;
        const char* expected; // error, or "" for a shorter decode, or nullptr for either
    };
    const TCut cuts[] = {
        {1, "not an Ogg Vorbis file"},
        {30, "not an Ogg Vorbis file"},
        {pages[0], "not an Ogg Vorbis file"},
        {headersEnd - 10, "not an Ogg Vorbis file"},
        {headersEnd, "no sound in file"},
        {midPage, ""},
        {midPage + 20, nullptr},
        {ogg.size() - 1, nullptr},
    };
    for (const TCut& cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut.at) + " of " + std::to_string(ogg.size()));
        // Copied so that reading past the cut is caught by the sanitizers.
        const std::vector<uint8_t> part = Prefix(ogg, cut.at);
        TPcm pcm;
        std::string error;
        const bool ok = DecodeOgg(part.data(), part.size(), pcm, error);
        if (cut.expected != nullptr) {
            EXPECT_EQ(ok, *cut.expected == 0);
            EXPECT_EQ(error, cut.expected);
        }
        if (ok) {
            EXPECT_GT(pcm.samples.size(), 0u);
            EXPECT_LT(pcm.samples.size(), size_t(frames));
        } else {
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(pcm.samples.empty());
        }
    }
}

TEST(OggFile, LoadsAndReportsFileProblems) {
    char pattern[] = "/tmp/zep-sound-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string good = dir + "/main.ogg";
    const std::vector<uint8_t> ogg = EncodeOgg(22050, {{440, 0.5}}, 5000);
    FILE* f = std::fopen(good.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(ogg.data(), 1, ogg.size(), f), ogg.size());
    std::fclose(f);
    const std::string empty = dir + "/empty.ogg";
    std::fclose(std::fopen(empty.c_str(), "wb"));

    TPcm pcm;
    std::string error;
    EXPECT_TRUE(LoadOggFile(good, pcm, error)) << error;
    EXPECT_EQ(pcm.samples.size(), 5000u);

    const struct {
        std::string path, error;
    } cases[] = {
        {dir + "/missing.ogg", "cannot open: No such file or directory"},
        {dir, "is a folder"},
        {empty, "empty file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(LoadOggFile(c.path, pcm, error));
        EXPECT_EQ(error, c.error);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

} // namespace
