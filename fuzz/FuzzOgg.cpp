// Fuzz target: any bytes through the game's music loader. It must either
// refuse with a reason and leave no sound behind, or return sound the output
// can play: a supported rate and channel count, whole frames, and no more
// than the loader allows (20 minutes, and never more samples than 20 minutes
// of 48 kHz stereo).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/SoundFile.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "zep-fuzz-ogg: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPcm pcm;
    pcm.rate = 5; // must be reset on failure
    std::string error;
    if (!DecodeOgg(data, size, pcm, error)) {
        Require(!error.empty(), "refused without a reason");
        Require(pcm.rate == 0 && pcm.channels == 0 && pcm.samples.empty(), "refused but left sound behind");
        return 0;
    }
    Require(pcm.rate >= 8000 && pcm.rate <= 192000, "decoded an unsupported rate");
    Require(pcm.channels == 1 || pcm.channels == 2, "decoded an unsupported channel count");
    Require(!pcm.samples.empty(), "decoded no sound");
    Require(pcm.samples.size() % size_t(pcm.channels) == 0, "decoded a partial frame");
    Require(pcm.samples.size() / size_t(pcm.channels) <= size_t(20 * 60) * size_t(pcm.rate),
            "decoded more than 20 minutes");
    Require(pcm.samples.size() <= size_t(20 * 60) * 48000 * 2, "decoded more than 20 minutes of 48 kHz stereo");
    return 0;
}
