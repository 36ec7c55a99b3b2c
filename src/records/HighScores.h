// The best score of each mode, kept between runs in "highscore.ini": four
// lines (EASY, NORMAL, HARD, EXPERT), one integer each. The file lives beside
// the program when its folder is writable (the build folder, a portable
// copy); a system-wide install keeps one per user in
// $XDG_DATA_HOME/zep/highscore.ini (default ~/.local/share/zep/).
//
// Reading is forgiving, so files edited by hand or written on other systems
// still load: a line ends at LF, NUL or the end of the file, CR bytes are
// dropped wherever they stand (a lone CR does not end a line), missing lines
// count as 0 and lines after the fourth are ignored. The game writes each
// value as plain decimal followed by CR LF.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct TGame;

// The integer of one line (pure): leading white space (space, tab, LF, VT,
// FF, CR) skipped; one optional '+' or '-'; then '%' for binary digits, '$'
// for hexadecimal (either case), else decimal; stops silently at the first
// byte that is not a digit of that base. No digit at all gives 0. The value
// wraps modulo 2^32 and is negated (wrapping) after a '-'.
// "12abc" -> 12, "$ff" -> 255, "%101" -> 5, "- 5" -> 0, "4294967297" -> 1.
int32_t ParseScoreLine(std::string_view line);

// Reads the first four lines of the file at path into out, parsing each byte
// as it arrives (no line is ever stored whole, one 64 KiB buffer), so an
// endless line or a 500 MB file costs no memory and reading stops after the
// fourth line. Returns true on success. A missing, unreadable or non-regular
// file (or a folder) gives false, error = the reason (strerror text) and out
// all zeros.
bool ReadHighScoreFile(const std::string& path, std::array<int32_t, 4>& out, std::string& error);

// The exact bytes the game writes: each value in decimal (a '-' for
// negatives, no '+', no leading zeros) followed by CR LF.
std::string FormatHighScores(const std::array<int32_t, 4>& values);

// Saves values to path crash-safely (see WriteFileAtomically): on a failure
// before the file is replaced the old file stays byte for byte, no temporary
// is left behind, and it returns false with error = a short reason.
bool WriteHighScoreFile(const std::string& path, const std::array<int32_t, 4>& values, std::string& error);

// --- Where the file is ------------------------------------------------------

// The file beside the program; relative, since the game runs from the
// program's folder.
constexpr const char* kHighScoreFileName = "highscore.ini";

// Everything the choice of file depends on, gathered from the system by
// ObserveScorePlace so the choice itself stays a pure, table-tested function.
struct TScorePlace {
    bool folderWritable = true;      // the program's folder (the current one) takes new files
    const char* xdgDataHome = nullptr; // $XDG_DATA_HOME, nullptr when unset
    const char* home = nullptr;        // $HOME, nullptr when unset
    bool perUserFileExists = false;  // the per-user file is already there (only loading asks)
};

// Loading reads what an earlier run left; saving picks where this run's
// scores go. They differ only while no per-user file exists yet.
enum class TScoreUse { Load, Save };

// The per-user file (pure): "$XDG_DATA_HOME/zep/highscore.ini" when
// XDG_DATA_HOME is an absolute path, else "$HOME/.local/share/zep/highscore.ini"
// when HOME is absolute; trailing '/' of either is dropped. Empty, unset and
// relative values do not count (a relative one would move with the current
// folder); "" when neither is usable.
std::string PerUserHighScorePath(const char* xdgDataHome, const char* home);

// The file to use (pure). A writable program folder always keeps its own
// file, so a portable copy or the build folder never mixes with an install.
// An unwritable one saves to the per-user file and loads from it once it
// exists; before that (the first run of an install) the file beside the
// program is read, if any. With no usable per-user place, both fall back to
// the file beside the program (a save there then fails with a message).
std::string PickHighScorePath(const TScorePlace& place, TScoreUse use);

// The facts for PickHighScorePath, from this process: access(".", W_OK),
// getenv("XDG_DATA_HOME"), getenv("HOME") and whether the per-user file
// exists (stat).
TScorePlace ObserveScorePlace();

// Test hook: as root every folder is writable, so tests that need a
// system-wide install make the folder read as unwritable instead. Stays until
// set back to false; never set in the game.
void ReportFolderUnwritableForTesting(bool unwritable);

// Creates the folders of path's parent that are missing, each with mode 0700
// (so the per-user zep/ folder is private); true when the parent is a folder
// afterwards, else false with error = "cannot create the folder <dir>:
// <reason>" (or "<dir> is not a folder").
bool MakeParentFolders(const std::string& path, std::string& error);

// --- The game's entry points -------------------------------------------------

// At start-up, from the program's folder: fills game.highScores from the file
// PickHighScorePath chooses for loading. Four zeros when the file is missing
// (silently: the first run) or cannot be read (one line on stderr naming the
// file used: "zep: <file>: <reason>; starting with no best scores").
void LoadHighScores(TGame& game);

// After a win: writes game.highScores to the file PickHighScorePath chooses
// for saving, creating the per-user folders first when that is the one. On
// failure prints one line on stderr "zep: <file>: cannot save best scores:
// <reason>" and carries on; the scores stay in memory for this run.
void SaveHighScores(TGame& game);
