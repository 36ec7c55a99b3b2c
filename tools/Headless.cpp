// zep-headless: the real game (start-up, frame loop, drawing) with no window,
// no sound device and a fake clock that never waits, driven by a scripted
// input file. It replays a game exactly: the same seed and input give the
// same shots, state and trace on every run and every build.
//
//   zep-headless [--dir GAMEDIR] [--seed N] [--frames N] [--input FILE]
//                [--shot FRAME:FILE.png]... [--state FILE.json]
//                [--trace FILE.tsv] [--time]
//
// Frames count from 0; the input's events for frame F are applied before F's
// screen routine runs. Without --frames the run goes through the last
// event's frame (and far enough for every --shot). EXIT ends it earlier.
//
// --shot F:FILE.png writes what was presented last by the end of frame F (an
// 800 x 600 PNG). A frame usually presents once, at its end; but the frame
// that ends a game presents the result card inside its screen routine and
// then, after the card's 2.5 s (which cost nothing here), presents its own
// picture over it. To get the card, ask for that frame's first present:
// --shot F/1:card.png (F/N: the N-th present of frame F).
//
// --state writes every TGame field at the end as JSON, named as in the code;
// --trace one tab-separated line a frame, after the frame; --time prints the
// CPU time of each frame's RunFrame per screen, and the frames per second.
//
// Exit status: 0 when the frames ran (or EXIT ended them), 1 when the game
// or an output failed (no such folder, an unusable image, a file that cannot
// be written, a shot of a frame that never ran), 2 for a bad command line or
// input script, in which case nothing runs.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/InputScript.h"
#include "game/StartUp.h"
#include "platform/Files.h"
#include "platform/HeadlessPlatform.h"
#include "platform/Process.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr size_t kMaxInputBytes = 64 * 1024 * 1024; // far beyond any real script

constexpr const char* kUsage =
    "usage: zep-headless [--dir GAMEDIR] [--seed N] [--frames N] [--input FILE]\n"
    "                    [--shot FRAME[/PRESENT]:FILE.png]... [--state FILE.json]\n"
    "                    [--trace FILE.tsv] [--time]\n";

void Complain(const std::string& message) { std::fprintf(stderr, "zep-headless: %s\n", message.c_str()); }

struct TOptions {
    std::string dir;               // empty: the runner's own folder
    uint32_t seed = 1;             // the fake clock at start-up, hence the random seed
    std::optional<uint32_t> frames;
    std::string input;
    std::vector<TShotRequest> shots;
    std::string state, trace;
    bool time = false;
};

// --seed: any uint32, written in decimal.
bool ParseSeed(const std::string& text, uint32_t& seed) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long long value = std::stoull(text);
    if (value > UINT32_MAX) return false;
    seed = uint32_t(value);
    return true;
}

// Reads argv into options; false after printing the reason.
bool ParseArguments(int argc, char** argv, TOptions& options, bool& help) {
    std::vector<std::string> seen;
    for (int k = 1; k < argc; ++k) {
        std::string name = argv[k], value;
        if (name == "--help" || name == "-h") {
            help = true;
            return true;
        }
        if (name == "--time") {
            options.time = true;
            continue;
        }
        const size_t equals = name.find('=');
        const bool inlineValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        static const char* const kValued[] = {"--dir", "--seed", "--frames", "--input", "--shot", "--state", "--trace"};
        if (std::find_if(std::begin(kValued), std::end(kValued), [&](const char* n) { return name == n; }) ==
            std::end(kValued)) {
            Complain("unknown option '" + name + "'");
            return false;
        }
        if (!inlineValue) {
            if (k + 1 >= argc) {
                Complain(name + " needs a value");
                return false;
            }
            value = argv[++k];
        }
        if (name != "--shot") {
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
                Complain(name + " given twice");
                return false;
            }
            seen.push_back(name);
        }
        if (name != "--seed" && name != "--frames" && value.empty()) {
            Complain(name + " needs a non-empty value");
            return false;
        }
        if (name == "--dir") {
            options.dir = value;
        } else if (name == "--seed") {
            if (!ParseSeed(value, options.seed)) {
                Complain("--seed: '" + value + "' is not a whole number from 0 to 4294967295");
                return false;
            }
        } else if (name == "--frames") {
            uint32_t frames = 0;
            if (!ParseFrameNumber(value, frames)) {
                Complain("--frames: '" + value + "' is not a whole number from 0 to " +
                         std::to_string(kMaxScriptFrame));
                return false;
            }
            options.frames = frames;
        } else if (name == "--input") {
            options.input = value;
        } else if (name == "--shot") {
            TShotRequest shot;
            std::string error;
            if (!ParseShotRequest(value, shot, error)) {
                Complain("--shot '" + value + "': " + error);
                return false;
            }
            options.shots.push_back(shot);
        } else if (name == "--state") {
            options.state = value;
        } else {
            options.trace = value;
        }
    }
    return true;
}

// Reads and parses the input script; false after printing the reason.
bool ReadScript(const std::string& path, std::vector<TInputEvent>& events) {
    std::string text, error;
    int errorCode = 0;
    bool tooLarge = false;
    const bool read = ReadFileInChunks(
        path,
        [&](std::string_view chunk) {
            if (text.size() + chunk.size() > kMaxInputBytes) {
                tooLarge = true;
                return false;
            }
            text.append(chunk);
            return true;
        },
        error, errorCode);
    if (!read || tooLarge) {
        Complain(path + ": " + (tooLarge ? "file too large" : error));
        return false;
    }
    int line = 0;
    if (!ParseInputScript(text, events, line, error)) {
        Complain(path + ":" + std::to_string(line) + ": " + error);
        return false;
    }
    return true;
}

// The headless platform, counting the presents of the current frame so a
// shot can ask for one that a later present of the same frame covers (the
// end-of-game card is presented inside its frame, then replaced). Such a
// shot is written at once; the CPU time it takes is kept apart so --time
// measures the game alone.
class TRunnerPlatform : public THeadlessPlatform {
public:
    void StartFrame(uint32_t frame) {
        frame_ = frame;
        presentsInFrame_ = 0;
        shotNs_ = 0;
    }
    uint32_t PresentsInFrame() const { return presentsInFrame_; }
    int64_t ShotNanoseconds() const { return shotNs_; }
    // The first shot that failed to write, with its reason; empty when none.
    std::string failure;
    // Shots that ask for a numbered present.
    std::vector<const TShotRequest*> numbered;

    void Present() override;

private:
    uint32_t frame_ = 0;
    uint32_t presentsInFrame_ = 0;
    int64_t shotNs_ = 0;
};

// --- Output formats --------------------------------------------------------------

// Reals with nine significant digits: enough for a float to read back exactly.
std::string Real(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

// A row of whole numbers: a std::array or a plain array.
template <typename TRange>
std::string IntArray(const TRange& values) {
    std::string out = "[";
    for (size_t k = 0; k < std::size(values); ++k) out += (k ? "," : "") + std::to_string(values[k]);
    return out + "]";
}

std::string GridJson(const TGrid& grid) {
    std::string out = "[\n";
    for (size_t i = 0; i < grid.size(); ++i) out += "    " + IntArray(grid[i]) + (i + 1 < grid.size() ? ",\n" : "\n");
    return out + "  ]";
}

// Every field of the game, named as in TGame, in its order.
std::string StateJson(const TGame& g) {
    std::string out = "{\n";
    auto field = [&](const char* name, const std::string& value, bool last = false) {
        out += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
    };
    auto boolean = [](bool b) { return std::string(b ? "true" : "false"); };
    field("screenWidth", std::to_string(g.screenWidth));
    field("screenHeight", std::to_string(g.screenHeight));
    field("highScores", IntArray(g.highScores));
    field("tileImage", std::to_string(g.tileImage));
    field("tileOnImage", std::to_string(g.tileOnImage));
    field("tileBombImage", std::to_string(g.tileBombImage));
    field("tileGoalImage", std::to_string(g.tileGoalImage));
    field("tileSafeImage", std::to_string(g.tileSafeImage));
    field("tileHelperImage", std::to_string(g.tileHelperImage));
    field("playerImages", IntArray(g.playerImages));
    field("music", boolean(g.music));
    field("helpHeld", std::to_string(g.helpHeld));
    field("lastRow", std::to_string(g.lastRow));
    field("lastCol", std::to_string(g.lastCol));
    field("camX", Real(g.camX));
    field("camY", Real(g.camY));
    field("playerRow", Real(g.playerRow));
    field("playerCol", Real(g.playerCol));
    field("facing", std::to_string(g.facing));
    field("screenMode", std::to_string(g.screenMode));
    field("flash", Real(g.flash));
    field("modeFlags", IntArray(g.modeFlags));
    field("velX", Real(g.velX));
    field("velY", Real(g.velY));
    field("tintR", Real(g.tintR));
    field("tintG", Real(g.tintG));
    field("tintB", Real(g.tintB));
    field("tintDir", std::to_string(g.tintDir));
    field("reveal", Real(g.reveal));
    field("startX", std::to_string(g.startX));
    field("startY", std::to_string(g.startY));
    field("lives", std::to_string(g.lives));
    field("score", std::to_string(g.score));
    field("tiles", GridJson(g.tiles));
    field("marks", GridJson(g.marks));
    std::string particles = "[";
    for (size_t k = 0; k < g.particles.size(); ++k) {
        const TParticle& p = g.particles[k];
        particles += std::string(k ? "," : "") + "\n    {\"x\": " + Real(p.x) + ", \"y\": " + Real(p.y) +
                     ", \"alpha\": " + Real(p.alpha) + ", \"r\": " + std::to_string(p.r) +
                     ", \"g\": " + std::to_string(p.g) + ", \"b\": " + std::to_string(p.b) +
                     ", \"spx\": " + Real(p.spx) + ", \"spy\": " + Real(p.spy) + ", \"scale\": " + Real(p.scale) +
                     "}";
    }
    field("particles", particles + (g.particles.empty() ? "]" : "\n  ]"));
    field("random", "{\"s\": " + IntArray(g.random.s) + "}");
    field("running", boolean(g.running), true);
    return out + "}\n";
}

constexpr const char* kTraceHeader =
    "frame\tscreenMode\tcamX\tcamY\tplayerRow\tplayerCol\tlives\tscore\tflash\treveal\tvelX\tvelY\n";

std::string TraceLine(uint32_t frame, const TGame& g) {
    return std::to_string(frame) + "\t" + std::to_string(g.screenMode) + "\t" + Real(g.camX) + "\t" + Real(g.camY) +
           "\t" + Real(g.playerRow) + "\t" + Real(g.playerCol) + "\t" + std::to_string(g.lives) + "\t" +
           std::to_string(g.score) + "\t" + Real(g.flash) + "\t" + Real(g.reveal) + "\t" + Real(g.velX) + "\t" +
           Real(g.velY) + "\n";
}

// An output file opened before the run, so a bad path fails before any frame.
struct TOutput {
    std::string path;
    FILE* file = nullptr;
    bool Open(std::string& error) {
        file = std::fopen(path.c_str(), "wb");
        if (!file) error = path + ": cannot open for writing: " + std::strerror(errno);
        return file != nullptr;
    }
    bool Write(const std::string& bytes, std::string& error) {
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        const int writeErrno = errno;
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        if (written && closed) return true;
        error = path + ": cannot write: " + std::strerror(written ? errno : writeErrno);
        return false;
    }
    ~TOutput() {
        if (file) std::fclose(file);
    }
};

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

int64_t Nanoseconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Nearest-rank percentile of sorted samples, in milliseconds.
double Percentile(const std::vector<int64_t>& sorted, double p) {
    const size_t rank = size_t(std::ceil(p * double(sorted.size())));
    return double(sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1]) / 1e6;
}

void PrintTimes(std::vector<int64_t> menu, std::vector<int64_t> play, uint32_t frames, int64_t wallNs,
                int64_t startUpNs) {
    std::printf("CPU time of a frame (screen routine and present), ms\n");
    std::printf("%-6s %8s %10s %10s %10s\n", "screen", "frames", "median", "p99", "max");
    for (auto* samples : {&menu, &play}) {
        const char* name = samples == &menu ? "menu" : "play";
        if (samples->empty()) {
            std::printf("%-6s %8d %10s %10s %10s\n", name, 0, "-", "-", "-");
            continue;
        }
        std::sort(samples->begin(), samples->end());
        std::printf("%-6s %8zu %10.3f %10.3f %10.3f\n", name, samples->size(), Percentile(*samples, 0.5),
                    Percentile(*samples, 0.99), double(samples->back()) / 1e6);
    }
    const double seconds = double(wallNs) / 1e9;
    std::printf("start-up %.1f ms; %u frames in %.3f s wall: %.1f frames/s\n", double(startUpNs) / 1e6, frames,
                seconds, seconds > 0 ? frames / seconds : 0.0);
}

void TRunnerPlatform::Present() {
    THeadlessPlatform::Present();
    ++presentsInFrame_;
    const int64_t start = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    std::string error;
    for (const TShotRequest* shot : numbered)
        if (shot->frame == frame_ && shot->present == presentsInFrame_ && !WriteFramePng(shot->path, error) &&
            failure.empty())
            failure = shot->path + ": " + error;
    shotNs_ += Nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - start;
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    bool help = false;
    if (!ParseArguments(argc, argv, options, help)) return kExitUsage;
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<TInputEvent> events;
    if (!options.input.empty() && !ReadScript(options.input, events)) return kExitUsage;

    // Without --frames: through the last scripted event's frame, and far
    // enough for every shot; nothing to run when there is neither.
    uint32_t frames = 0;
    if (options.frames) {
        frames = *options.frames;
    } else {
        if (!events.empty()) frames = events.back().frame + 1;
        for (const TShotRequest& shot : options.shots) frames = std::max(frames, shot.frame + 1);
    }
    for (const TShotRequest& shot : options.shots) {
        if (shot.frame >= frames) {
            Complain("--shot " + std::to_string(shot.frame) + ": the run has only " + std::to_string(frames) +
                     " frames (0 to " + std::to_string(int64_t(frames) - 1) + ")");
            return kExitUsage;
        }
    }

    std::string dir = options.dir.empty() ? ProgramFolder() : options.dir;
    struct stat info{};
    if (stat(dir.c_str(), &info) != 0) {
        Complain(dir + ": " + std::strerror(errno));
        return kExitFailed;
    }
    if (!S_ISDIR(info.st_mode)) {
        Complain(dir + ": not a folder");
        return kExitFailed;
    }

    // Start-up enters the game's folder: output paths are taken from here first.
    for (TShotRequest& shot : options.shots) shot.path = Absolute(shot.path);
    std::string error;
    TOutput state{options.state.empty() ? "" : Absolute(options.state)};
    TOutput trace{options.trace.empty() ? "" : Absolute(options.trace)};
    for (TOutput* out : {&state, &trace}) {
        if (!out->path.empty() && !out->Open(error)) {
            Complain(error);
            return kExitFailed;
        }
    }

    auto game = std::make_unique<TGame>();
    TRunnerPlatform platform;
    for (const TShotRequest& shot : options.shots)
        if (shot.present > 0) platform.numbered.push_back(&shot);

    const int64_t wallStart = Nanoseconds(CLOCK_MONOTONIC);
    platform.SetClock(options.seed);
    if (!StartUp(*game, platform, dir, error)) {
        Complain(error);
        return kExitFailed;
    }
    const int64_t startUpNs = Nanoseconds(CLOCK_MONOTONIC) - wallStart;

    std::string traceText = kTraceHeader;
    std::vector<int64_t> menuTimes, playTimes;
    size_t next = 0; // first event not yet applied
    uint32_t ran = 0;
    const int64_t loopStart = Nanoseconds(CLOCK_MONOTONIC);
    for (uint32_t frame = 0; frame < frames && game->running; ++frame) {
        for (; next < events.size() && events[next].frame == frame; ++next) {
            const TInputEvent& e = events[next];
            switch (e.kind) {
            case TInputEventKind::KeyDown: platform.SetKey(e.key, true); break;
            case TInputEventKind::KeyUp: platform.SetKey(e.key, false); break;
            case TInputEventKind::Move: platform.MoveMouse(e.x, e.y); break;
            case TInputEventKind::Press: platform.SetButton(true); break;
            case TInputEventKind::Release: platform.SetButton(false); break;
            case TInputEventKind::Blur:
            case TInputEventKind::Focus: platform.ChangeFocus(); break;
            }
        }
        platform.StartFrame(frame);
        const int32_t screen = game->screenMode;
        const int64_t cpuStart = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID);
        RunFrame(*game, platform);
        const int64_t cpu = Nanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart - platform.ShotNanoseconds();
        (screen == 0 ? menuTimes : playTimes).push_back(cpu);
        ran = frame + 1;
        if (!trace.path.empty()) traceText += TraceLine(frame, *game);

        if (!platform.failure.empty()) {
            Complain(platform.failure);
            return kExitFailed;
        }
        for (const TShotRequest& shot : options.shots) {
            if (shot.frame != frame) continue;
            if (shot.present > platform.PresentsInFrame()) {
                Complain("--shot " + std::to_string(frame) + "/" + std::to_string(shot.present) + ": frame " +
                         std::to_string(frame) + " presented " + std::to_string(platform.PresentsInFrame()) +
                         " time(s)");
                return kExitFailed;
            }
            if (shot.present == 0 && !platform.WriteFramePng(shot.path, error)) {
                Complain(shot.path + ": " + error);
                return kExitFailed;
            }
        }
    }
    const int64_t wallNs = Nanoseconds(CLOCK_MONOTONIC) - loopStart;

    bool ok = true;
    for (const TShotRequest& shot : options.shots) {
        if (shot.frame >= ran) {
            Complain("--shot " + std::to_string(shot.frame) + ": not taken, EXIT ended the game at frame " +
                     std::to_string(ran - 1));
            ok = false;
        }
    }
    if (!trace.path.empty() && !trace.Write(traceText, error)) {
        Complain(error);
        ok = false;
    }
    if (!state.path.empty() && !state.Write(StateJson(*game), error)) {
        Complain(error);
        ok = false;
    }
    if (options.time) PrintTimes(menuTimes, playTimes, ran, wallNs, startUpNs);
    return ok ? 0 : kExitFailed;
}
