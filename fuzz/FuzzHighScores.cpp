// Fuzz target: any bytes as the game's highscore.ini. Reading a regular file
// must always succeed and give what an independent, deliberately plain model
// of the format gives; and whatever was read must survive a save and a
// reload unchanged, since the game rewrites the file after every win.
//
// The reader only takes a path, so each input is written to one temporary
// file in a private folder made at start-up.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "records/HighScores.h"

namespace {

std::string gFolder; // the private folder, removed at exit
std::string gInput;  // the file each input is written to
std::string gSaved;  // the file the values are saved to and read back from

void Require(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "zep-fuzz-highscores: %s\n", what.c_str());
        std::abort();
    }
}

void RemoveFolder() {
    std::error_code ec;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, ec);
}

// One line's value as the file format defines it, written out longhand.
int32_t ModelLine(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\n' || line[i] == '\v' ||
                               line[i] == '\f' || line[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
    uint32_t base = 10;
    if (i < line.size() && line[i] == '%') {
        base = 2;
        ++i;
    } else if (i < line.size() && line[i] == '$') {
        base = 16;
        ++i;
    }
    uint64_t value = 0; // kept modulo 2^32 by hand
    for (; i < line.size(); ++i) {
        const char c = line[i];
        uint32_t d = 99;
        if (c >= '0' && c <= '9') d = uint32_t(c - '0');
        if (c >= 'a' && c <= 'f') d = uint32_t(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') d = uint32_t(c - 'A' + 10);
        if (d >= base) break;
        value = (value * base + d) % (uint64_t(1) << 32);
    }
    if (negative) value = ((uint64_t(1) << 32) - value) % (uint64_t(1) << 32);
    return int32_t(uint32_t(value));
}

// The first four lines: split at LF or NUL, CR dropped everywhere, missing
// lines 0.
std::array<int32_t, 4> ModelFile(const uint8_t* data, size_t size) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size && lines.size() <= 4; ++i) {
        const char c = char(data[i]);
        if (c == '\r') continue;
        if (c == '\n' || c == '\0') lines.emplace_back();
        else lines.back() += c;
    }
    std::array<int32_t, 4> values{};
    for (size_t k = 0; k < 4 && k < lines.size(); ++k) values[k] = ModelLine(lines[k]);
    return values;
}

std::string Show(const std::array<int32_t, 4>& v) {
    return std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]) + " " +
           std::to_string(v[3]);
}

bool WriteInput(const uint8_t* data, size_t size) {
    const int fd = open(gInput.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) {
            ok = false;
            break;
        }
        data += n;
        size -= size_t(n);
    }
    return close(fd) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zep-fuzz-scores-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    gFolder = pattern;
    gInput = gFolder + "/input.ini";
    gSaved = gFolder + "/highscore.ini";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Require(WriteInput(data, size), "cannot write the input file");
    std::array<int32_t, 4> read{};
    std::string error;
    Require(ReadHighScoreFile(gInput, read, error), "reading a regular file failed: " + error);
    const std::array<int32_t, 4> model = ModelFile(data, size);
    Require(read == model, "read " + Show(read) + " but the format gives " + Show(model));

    Require(WriteHighScoreFile(gSaved, read, error), "saving failed: " + error);
    std::array<int32_t, 4> again{};
    Require(ReadHighScoreFile(gSaved, again, error), "reading the saved file failed: " + error);
    Require(again == read, "saved " + Show(read) + " but read back " + Show(again));
    return 0;
}
