// Turning the game's PNG files into plain RGBA pixels the renderer can upload.
//
// Images without an alpha channel use pure black (0,0,0) as the see-through
// colour: those pixels become transparent and borrow the colour of their
// visible neighbours, so that drawing a sprite scaled and smoothed never
// leaves a dark fringe around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded image: RGBA8, row-major, 4 bytes a pixel, no padding between rows.
struct TPixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// Decodes a PNG held in memory into out (8 bits per channel, always RGBA).
// On failure returns false, leaves out empty and sets error to a short
// lower-case reason such as "empty file", "not a PNG image",
// "truncated PNG data", "corrupt PNG data: <reason>", "image has no pixels"
// or "image too large (W x H)". Any bytes at all are safe to pass.
bool DecodePng(const uint8_t* data, size_t size, TPixels& out, std::string& error);

// Reads the PNG file at path and decodes it. Besides the decoding errors it
// reports "cannot open: <reason>", "cannot read: <reason>", "is a folder",
// "not a regular file" and "file too large" (over 64 MiB, refused unread).
bool LoadPngFile(const std::string& path, TPixels& out, std::string& error);

// Reads a whole file into out, refusing it with "file too large" when it
// holds more than maxBytes (checked before reading, and again while reading
// in case the file grows). Errors as for LoadPngFile; on failure out is empty.
// Shared by the image and music loaders.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out, std::string& error);
