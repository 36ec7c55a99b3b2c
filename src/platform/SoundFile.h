// Turning the game's Ogg Vorbis music into plain 16-bit samples the sound
// output can play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Decoded sound: signed 16-bit samples, channels interleaved (left first).
struct TPcm {
    int rate = 0;     // frames per second, 8000..192000
    int channels = 0; // 1 or 2
    std::vector<int16_t> samples;
};

// Decodes a whole Ogg Vorbis stream held in memory. On failure returns false,
// leaves out empty and sets error to one of "empty file",
// "not an Ogg Vorbis file", "corrupt Ogg Vorbis data",
// "unsupported channel count N", "unsupported sample rate N",
// "streams in file differ in format", "music too long" (over 20 minutes, or more samples than 20 minutes of 48 kHz stereo, about 230 MB)
// or "no sound in file". Any bytes at all are safe to pass.
bool DecodeOgg(const uint8_t* data, size_t size, TPcm& out, std::string& error);

// Reads the Ogg Vorbis file at path (64 MiB at most) and decodes it; file
// errors are those of ReadWholeFile in ImageFile.h.
bool LoadOggFile(const std::string& path, TPcm& out, std::string& error);
