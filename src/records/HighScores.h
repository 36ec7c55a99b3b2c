// The best score of each mode, kept between runs in "highscore.ini" next to
// the game: four lines (EASY, NORMAL, HARD, EXPERT), one integer each.
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

// At start-up: fills game.highScores from "highscore.ini" in the current
// folder. Four zeros when the file is missing (silently: the first run) or
// cannot be read (one line on stderr:
// "zep: highscore.ini: <reason>; starting with no best scores").
void LoadHighScores(TGame& game);

// After a new best: writes game.highScores to "highscore.ini" in the current
// folder. On failure prints one line on stderr
// "zep: highscore.ini: cannot save best scores: <reason>" and carries on; the
// scores stay in memory for this run.
void SaveHighScores(TGame& game);
