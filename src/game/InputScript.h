// Scripted input for the headless runner: what a player would do, written
// down frame by frame so a game can be replayed exactly. One event a line,
// "FRAME EVENT", frames counted from 0 and never going backwards:
//     12 down W      12 up ESC      (keys: W A S D H ESC)
//     30 move 100 200               (pointer to client pixel 100, 200)
//     31 press       32 release     (left button)
//     40 blur        41 focus       (another window took / gave back the focus)
// '#' starts a comment; blank lines are fine. Plain parsing, no SDL, so the
// rules are testable on their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

enum class TInputEventKind { KeyDown, KeyUp, Move, Press, Release, Blur, Focus };

// One scripted event, applied before its frame's screen routine runs.
struct TInputEvent {
    uint32_t frame = 0;
    TInputEventKind kind = TInputEventKind::Press;
    TKey key = TKey::W; // KeyDown / KeyUp only
    int x = 0, y = 0;   // Move only
};

// Parses a whole script. On success fills events in file order and returns
// true. On the first bad line returns false with errorLine = its number
// (from 1) and error = what is wrong with it ("unknown key 'Q'",
// "frame 3 goes back before frame 5", ...); events is then left empty.
bool ParseInputScript(std::string_view text, std::vector<TInputEvent>& events, int& errorLine,
                      std::string& error);

// A frame number: decimal digits only, at most kMaxScriptFrame. False when
// text is anything else (empty, signed, spaced, too large).
constexpr uint32_t kMaxScriptFrame = 1'000'000'000;
bool ParseFrameNumber(std::string_view text, uint32_t& frame);

// The runner's "--shot FRAME:FILE.png": the frame, which present within it
// (0 = the last one the frame made, N = its N-th, written FRAME/N) and the
// file. False and a reason when the argument does not have that form.
struct TShotRequest {
    uint32_t frame = 0;
    uint32_t present = 0;
    std::string path;
};
bool ParseShotRequest(std::string_view text, TShotRequest& shot, std::string& error);
