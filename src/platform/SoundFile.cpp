// Ogg Vorbis decoding with libvorbisfile, called directly, reading from
// memory so that the file is read (and size-checked) in one place.
#include "platform/SoundFile.h"

#include "platform/ImageFile.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kMaxFileBytes = 64u * 1024u * 1024u;
constexpr long kMinRate = 8000, kMaxRate = 192000;
// The game's music loops; anything longer than this is not music for it and
// would cost hundreds of megabytes once decoded.
constexpr int64_t kMaxSeconds = 20 * 60;
// The whole piece is held in memory decoded, so its size is capped too: 20
// minutes of 48 kHz stereo (230 MB). Without it, 20 minutes at 192 kHz would
// be 920 MB, and a file of near-silent packets reaches that from a few
// hundred kilobytes.
constexpr size_t kMaxSamples = size_t(kMaxSeconds) * 48000 * 2;
// Largest up-front reservation, so a lying length field cannot make us
// allocate much before any sound has actually been decoded.
constexpr size_t kMaxReserveSamples = 8u * 1024u * 1024u;

// The bytes vorbisfile reads through the callbacks below.
struct TMemoryStream {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

size_t ReadMemory(void* dest, size_t itemSize, size_t items, void* source) {
    auto* stream = static_cast<TMemoryStream*>(source);
    if (itemSize == 0) return 0;
    const size_t left = stream->size - stream->pos;
    size_t count = items;
    if (count > left / itemSize) count = left / itemSize;
    std::memcpy(dest, stream->data + stream->pos, count * itemSize);
    stream->pos += count * itemSize;
    return count;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* stream = static_cast<TMemoryStream*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = ogg_int64_t(stream->pos);
    else if (whence == SEEK_END) base = ogg_int64_t(stream->size);
    else if (whence != SEEK_SET) return -1;
    if (offset < -base || offset > ogg_int64_t(stream->size) - base) return -1;
    stream->pos = size_t(base + offset);
    return 0;
}

long TellMemory(void* source) { return long(static_cast<TMemoryStream*>(source)->pos); }

// Frees vorbisfile's state however DecodeStream returns.
struct TVorbisFileGuard {
    OggVorbis_File* file;
    ~TVorbisFileGuard() { ov_clear(file); }
};

// Checks every chained stream in the file against the first one: the game
// plays one rate and channel layout for the whole piece.
bool CheckFormat(OggVorbis_File& file, int& rate, int& channels, std::string& error) {
    const long links = ov_streams(&file);
    for (long link = 0; link < (links > 0 ? links : 1); ++link) {
        const vorbis_info* info = ov_info(&file, links > 0 ? int(link) : -1);
        if (info == nullptr) {
            error = "corrupt Ogg Vorbis data";
            return false;
        }
        if (info->channels != 1 && info->channels != 2) {
            error = "unsupported channel count " + std::to_string(info->channels);
            return false;
        }
        if (info->rate < kMinRate || info->rate > kMaxRate) {
            error = "unsupported sample rate " + std::to_string(info->rate);
            return false;
        }
        if (link == 0) {
            rate = int(info->rate);
            channels = info->channels;
        } else if (info->rate != rate || info->channels != channels) {
            error = "streams in file differ in format";
            return false;
        }
    }
    return true;
}

// Decodes an opened file into out.
bool DecodeStream(OggVorbis_File& file, size_t inputBytes, TPcm& out, std::string& error) {
    int rate = 0, channels = 0;
    if (!CheckFormat(file, rate, channels, error)) return false;
    const int64_t maxFrames = kMaxSeconds * rate;
    const ogg_int64_t total = ov_pcm_total(&file, -1); // negative when unknown
    if (total > maxFrames || (total > 0 && uint64_t(total) * uint64_t(channels) > kMaxSamples)) {
        error = "music too long";
        return false;
    }
    TPcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    if (total > 0) {
        const size_t want = size_t(total) * size_t(channels);
        pcm.samples.reserve(want < kMaxReserveSamples ? want : kMaxReserveSamples);
    }
    // Each hole costs vorbisfile at least one page of input, so more holes
    // than input bytes means it is going round in circles.
    size_t holes = 0;
    int currentLink = -1;
    char buffer[16384];
    for (;;) {
        int link = 0;
        const long got = ov_read(&file, buffer, int(sizeof buffer), 0, 2, 1, &link);
        if (got == 0) break;
        if (got == OV_HOLE) {
            if (++holes > inputBytes) {
                error = "corrupt Ogg Vorbis data";
                return false;
            }
            continue;
        }
        if (got < 0) {
            error = "corrupt Ogg Vorbis data";
            return false;
        }
        if (link != currentLink) {
            // Only reachable unchecked when the file could not be scanned up front.
            const vorbis_info* info = ov_info(&file, link);
            if (info == nullptr || info->rate != rate || info->channels != channels) {
                error = "streams in file differ in format";
                return false;
            }
            currentLink = link;
        }
        const size_t count = size_t(got) / 2;
        if (int64_t((pcm.samples.size() + count) / size_t(channels)) > maxFrames ||
            pcm.samples.size() + count > kMaxSamples) {
            error = "music too long";
            return false;
        }
        // Little-endian as asked of ov_read, whatever this machine's order.
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer);
        for (size_t i = 0; i < count; ++i) {
            pcm.samples.push_back(int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8))));
        }
    }
    if (pcm.samples.empty()) {
        error = "no sound in file";
        return false;
    }
    out = std::move(pcm);
    return true;
}

} // namespace

bool DecodeOgg(const uint8_t* data, size_t size, TPcm& out, std::string& error) {
    out = TPcm();
    if (data == nullptr || size == 0) {
        error = "empty file";
        return false;
    }
    TMemoryStream stream;
    stream.data = data;
    stream.size = size;
    const ov_callbacks callbacks = {ReadMemory, SeekMemory, nullptr, TellMemory};
    OggVorbis_File file;
    const int opened = ov_open_callbacks(&stream, &file, nullptr, 0, callbacks);
    if (opened != 0) {
        // vorbisfile has already cleaned up after a failed open.
        error = opened == OV_ENOTVORBIS ? "not an Ogg Vorbis file" : "corrupt Ogg Vorbis data";
        return false;
    }
    TVorbisFileGuard guard{&file};
    try {
        return DecodeStream(file, size, out, error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the music";
        out = TPcm();
        return false;
    }
}

bool LoadOggFile(const std::string& path, TPcm& out, std::string& error) {
    out = TPcm();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxFileBytes, bytes, error)) return false;
    return DecodeOgg(bytes.data(), bytes.size(), out, error);
}
