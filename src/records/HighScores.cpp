#include "records/HighScores.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/Game.h"
#include "platform/Files.h"

namespace {

// Set by tests to play a system-wide install as root; see the header.
bool gFolderReportedUnwritable = false;

// An environment value that names a folder: set and absolute. Copied into
// folder without trailing '/' so joined paths read cleanly ("/" gives "").
bool UsableFolder(const char* value, std::string& folder) {
    if (value == nullptr || value[0] != '/') return false;
    folder = value;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return true;
}

// Number of lines (modes) in the file.
constexpr size_t kModeCount = 4;

// Reads one line's integer a byte at a time, so the file reader never has to
// keep a line: feed every byte of the line, then take Value().
struct TLineNumberParser {
    enum class TStage {
        Blank,  // skipping leading white space
        Sign,   // after the optional sign: a base marker or the first digit
        Digits, // inside the digits (base is fixed, at least one seen or not)
        Done,   // stopped: later bytes change nothing
    };
    TStage stage = TStage::Blank;
    uint32_t base = 10;
    uint32_t value = 0;   // wraps modulo 2^32, as the file format wants
    bool negative = false;

    // White space skipped before the number.
    static bool IsBlank(unsigned char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    // The digit value of c in base, or -1 when c is not one of its digits.
    static int DigitOf(unsigned char c, uint32_t base) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        return (d >= 0 && static_cast<uint32_t>(d) < base) ? d : -1;
    }

    // Takes the next byte of the line.
    void Feed(unsigned char c) {
        switch (stage) {
        case TStage::Blank:
            if (IsBlank(c)) return;
            stage = TStage::Sign;
            if (c == '+' || c == '-') {
                negative = (c == '-');
                return;
            }
            [[fallthrough]];
        case TStage::Sign:
            stage = TStage::Digits;
            if (c == '%') {
                base = 2;
                return;
            }
            if (c == '$') {
                base = 16;
                return;
            }
            [[fallthrough]];
        case TStage::Digits: {
            int d = DigitOf(c, base);
            if (d < 0) {
                stage = TStage::Done;
                return;
            }
            value = value * base + static_cast<uint32_t>(d);
            return;
        }
        case TStage::Done:
            return;
        }
    }

    // The line's integer; 0 when no digit came (value never moved from 0).
    int32_t Value() const {
        uint32_t v = negative ? 0u - value : value;
        return static_cast<int32_t>(v);
    }
};

// Splits the file's bytes into its first four lines as they stream by.
struct TScoreFileParser {
    std::array<int32_t, kModeCount> values{};
    size_t line = 0; // index of the line being read; kModeCount once all are in
    TLineNumberParser number;

    // Takes one chunk of the file; false once the fourth line has ended.
    bool Feed(std::string_view chunk) {
        for (char ch : chunk) {
            unsigned char c = static_cast<unsigned char>(ch);
            if (c == '\r') continue; // dropped wherever it stands
            if (c == '\n' || c == '\0') {
                EndLine();
                if (line == kModeCount) return false;
                continue;
            }
            number.Feed(c);
        }
        return true;
    }

    // Closes the current line (at LF, NUL or the end of the file).
    void EndLine() {
        if (line < kModeCount) values[line++] = number.Value();
        number = TLineNumberParser{};
    }
};

} // namespace

int32_t ParseScoreLine(std::string_view line) {
    TLineNumberParser number;
    for (char c : line) number.Feed(static_cast<unsigned char>(c));
    return number.Value();
}

// Shared by ReadHighScoreFile and LoadHighScores, which must tell a missing
// file (normal on the first run) from a broken one.
static bool ReadScores(const std::string& path, std::array<int32_t, 4>& out, std::string& error,
                       int& errorCode) {
    out = {};
    TScoreFileParser parser;
    bool ok = ReadFileInChunks(
        path, [&parser](std::string_view chunk) { return parser.Feed(chunk); }, error, errorCode);
    if (!ok) return false;
    // The end of the file ends the line in progress; any lines still missing
    // stay 0.
    if (parser.line < kModeCount) parser.EndLine();
    out = parser.values;
    return true;
}

bool ReadHighScoreFile(const std::string& path, std::array<int32_t, 4>& out, std::string& error) {
    int errorCode = 0;
    return ReadScores(path, out, error, errorCode);
}

std::string FormatHighScores(const std::array<int32_t, 4>& values) {
    std::string bytes;
    for (int32_t v : values) {
        bytes += std::to_string(v);
        bytes += "\r\n";
    }
    return bytes;
}

bool WriteHighScoreFile(const std::string& path, const std::array<int32_t, 4>& values, std::string& error) {
    return WriteFileAtomically(path, FormatHighScores(values), error);
}

std::string PerUserHighScorePath(const char* xdgDataHome, const char* home) {
    std::string folder;
    if (UsableFolder(xdgDataHome, folder)) return folder + "/zep/" + kHighScoreFileName;
    if (UsableFolder(home, folder)) return folder + "/.local/share/zep/" + kHighScoreFileName;
    return {};
}

std::string PickHighScorePath(const TScorePlace& place, TScoreUse use) {
    if (place.folderWritable) return kHighScoreFileName;
    const std::string perUser = PerUserHighScorePath(place.xdgDataHome, place.home);
    if (perUser.empty()) return kHighScoreFileName;
    if (use == TScoreUse::Load && !place.perUserFileExists) return kHighScoreFileName;
    return perUser;
}

TScorePlace ObserveScorePlace() {
    TScorePlace place;
    place.folderWritable = !gFolderReportedUnwritable && access(".", W_OK) == 0;
    place.xdgDataHome = std::getenv("XDG_DATA_HOME");
    place.home = std::getenv("HOME");
    const std::string perUser = PerUserHighScorePath(place.xdgDataHome, place.home);
    struct stat info {};
    place.perUserFileExists = !perUser.empty() && stat(perUser.c_str(), &info) == 0;
    return place;
}

void ReportFolderUnwritableForTesting(bool unwritable) {
    gFolderReportedUnwritable = unwritable;
}

bool MakeParentFolders(const std::string& path, std::string& error) {
    const size_t last = path.rfind('/');
    if (last == std::string::npos || last == 0) return true; // the current folder or "/"
    const std::string parent = path.substr(0, last);
    // Every prefix ending before a '/', then the parent itself.
    for (size_t end = parent.find('/', 1);; end = parent.find('/', end + 1)) {
        const std::string folder = parent.substr(0, end);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot create the folder " + folder + ": " + std::strerror(errno);
            return false;
        }
        if (end == std::string::npos) break;
    }
    struct stat info {};
    if (stat(parent.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = parent + " is not a folder";
        return false;
    }
    return true;
}

void LoadHighScores(TGame& game) {
    const std::string path = PickHighScorePath(ObserveScorePlace(), TScoreUse::Load);
    std::string error;
    int errorCode = 0;
    if (!ReadScores(path, game.highScores, error, errorCode) && errorCode != ENOENT)
        std::fprintf(stderr, "zep: %s: %s; starting with no best scores\n", path.c_str(), error.c_str());
}

void SaveHighScores(TGame& game) {
    const std::string path = PickHighScorePath(ObserveScorePlace(), TScoreUse::Save);
    std::string error;
    if (!MakeParentFolders(path, error) || !WriteHighScoreFile(path, game.highScores, error))
        std::fprintf(stderr, "zep: %s: cannot save best scores: %s\n", path.c_str(), error.c_str());
}
