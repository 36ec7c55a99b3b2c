#include "game/InputScript.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

// The next blank-separated word of line, removed from it; empty at the end.
std::string_view NextWord(std::string_view& line) {
    const size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const size_t end = std::min(line.find_first_of(kBlanks), line.size());
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end);
    return word;
}

// Words quoted in messages are cut short so a binary file makes a short line.
std::string Quote(std::string_view word) {
    std::string text(word.substr(0, 40));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    return "'" + text + (word.size() > 40 ? "...'" : "'");
}

bool ParseKey(std::string_view word, TKey& key) {
    struct TName {
        std::string_view name;
        TKey key;
    };
    static constexpr TName kKeys[] = {{"W", TKey::W}, {"A", TKey::A}, {"S", TKey::S},
                                      {"D", TKey::D}, {"H", TKey::H}, {"ESC", TKey::Escape}};
    for (const TName& k : kKeys) {
        if (word == k.name) {
            key = k.key;
            return true;
        }
    }
    return false;
}

// A pointer coordinate: an optionally signed decimal that fits in an int.
bool ParseCoordinate(std::string_view word, int& value) {
    if (word.empty()) return false;
    const char* first = word.data();
    const char* last = first + word.size();
    if (*first == '+') ++first; // from_chars takes '-' but not '+'
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && first != last;
}

// The event part of a line (after the frame), or false and a reason.
bool ParseEvent(std::string_view rest, TInputEvent& event, std::string& error) {
    const std::string_view name = NextWord(rest);
    if (name.empty()) {
        error = "missing event after the frame number";
        return false;
    }
    if (name == "down" || name == "up") {
        event.kind = name == "down" ? TInputEventKind::KeyDown : TInputEventKind::KeyUp;
        const std::string_view key = NextWord(rest);
        if (key.empty()) {
            error = "'" + std::string(name) + "' needs a key (W A S D H ESC)";
            return false;
        }
        if (!ParseKey(key, event.key)) {
            error = "unknown key " + Quote(key);
            return false;
        }
    } else if (name == "move") {
        event.kind = TInputEventKind::Move;
        const std::string_view x = NextWord(rest), y = NextWord(rest);
        if (y.empty()) {
            error = "'move' needs X and Y";
            return false;
        }
        if (!ParseCoordinate(x, event.x)) {
            error = "bad X " + Quote(x);
            return false;
        }
        if (!ParseCoordinate(y, event.y)) {
            error = "bad Y " + Quote(y);
            return false;
        }
    } else if (name == "press") {
        event.kind = TInputEventKind::Press;
    } else if (name == "release") {
        event.kind = TInputEventKind::Release;
    } else if (name == "blur") {
        event.kind = TInputEventKind::Blur;
    } else if (name == "focus") {
        event.kind = TInputEventKind::Focus;
    } else {
        error = "unknown event " + Quote(name);
        return false;
    }
    const std::string_view extra = NextWord(rest);
    if (!extra.empty()) {
        error = "unexpected " + Quote(extra) + " after '" + std::string(name) + "'";
        return false;
    }
    return true;
}

} // namespace

bool ParseFrameNumber(std::string_view text, uint32_t& frame) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > kMaxScriptFrame) return false;
    frame = uint32_t(value);
    return true;
}

bool ParseInputScript(std::string_view text, std::vector<TInputEvent>& events, int& errorLine,
                      std::string& error) {
    events.clear();
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        const size_t hash = line.find('#');
        if (hash != std::string_view::npos) line = line.substr(0, hash);

        const std::string_view frameWord = NextWord(line);
        if (frameWord.empty()) continue; // blank or comment only
        TInputEvent event;
        bool ok = ParseFrameNumber(frameWord, event.frame);
        if (!ok) error = "bad frame number " + Quote(frameWord);
        if (ok && !events.empty() && event.frame < events.back().frame) {
            ok = false;
            error = "frame " + std::to_string(event.frame) + " goes back before frame " +
                    std::to_string(events.back().frame);
        }
        if (ok) ok = ParseEvent(line, event, error);
        if (!ok) {
            events.clear();
            errorLine = lineNumber;
            return false;
        }
        events.push_back(event);
    }
    return true;
}

bool ParseShotRequest(std::string_view text, TShotRequest& shot, std::string& error) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "expected FRAME:FILE.png";
        return false;
    }
    std::string_view frame = text.substr(0, colon);
    const std::string_view path = text.substr(colon + 1);
    shot.present = 0;
    const size_t slash = frame.find('/');
    if (slash != std::string_view::npos) {
        if (!ParseFrameNumber(frame.substr(slash + 1), shot.present) || shot.present == 0) {
            error = "bad present number " + Quote(frame.substr(slash + 1)) + " (1 is the frame's first)";
            return false;
        }
        frame = frame.substr(0, slash);
    }
    if (!ParseFrameNumber(frame, shot.frame)) {
        error = "bad frame number " + Quote(frame);
        return false;
    }
    if (path.empty()) {
        error = "missing file name after the frame";
        return false;
    }
    shot.path = std::string(path);
    return true;
}
