#include "platform/SdlPlatform.h"

#include <cstdlib>
#include <cstring>

TSdlPlatform::TSdlPlatform() {
    // SDL would turn Ctrl-C and SIGTERM into a quit event, which the game
    // ignores like a click on the close box; keep the signals' normal effect
    // so the game can still be stopped from a terminal or a session manager.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // A desktop window or nothing: without a desktop SDL would fall back to
    // drawing on the bare console or into an invisible surface, and the game
    // would run where nobody can see or stop it. SDL_VIDEODRIVER still wins.
    // (Wayland is only tried where a compositor is announced, so that its
    // library prints nothing on a machine without one.)
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, std::getenv("WAYLAND_DISPLAY") ? "x11,wayland" : "x11",
                            SDL_HINT_DEFAULT);
}

TSdlPlatform::~TSdlPlatform() { Close(); }

void TSdlPlatform::SetTitle(const std::string& title) {
    title_ = title;
    if (window_) SDL_SetWindowTitle(window_, title_.c_str());
}

// True when the renderer is OpenGL drawn by a software rasteriser.
static bool RastersInSoftware(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
    using TGetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<TGetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned kGlRenderer = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (!name) return false;
    return std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") || std::strstr(name, "Software");
}

bool TSdlPlatform::OpenWindow(int width, int height, std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        const char* display = std::getenv("DISPLAY");
        if (!display && !std::getenv("WAYLAND_DISPLAY"))
            error = "no display to show it on (DISPLAY is not set)";
        else if (display)
            error = std::string("display ") + display + " cannot be reached (" + error + ")";
        return false;
    }
    videoUp_ = true;
    // Fixed size and not resizable: the window manager offers no maximise box.
    window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_SHOWN);
    if (!window_) {
        error = SDL_GetError();
        Close();
        return false;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (renderer_ && RastersInSoftware(renderer_)) {
        // OpenGL emulated on the processor (a virtual machine, Xvfb) costs
        // several times what SDL's own software renderer does for this game.
        SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_ || !canvas_.Attach(renderer_, error)) {
        if (error.empty()) error = SDL_GetError();
        Close();
        return false;
    }
    Clear();
    return true;
}

void TSdlPlatform::Close() {
    if (audio_) {
        SDL_CloseAudioDevice(audio_);
        audio_ = 0;
    }
    canvas_.Detach();
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (videoUp_ || SDL_WasInit(SDL_INIT_AUDIO)) SDL_Quit();
    videoUp_ = false;
}

TImageId TSdlPlatform::LoadImage(const std::string& path, std::string& error) {
    return canvas_.LoadImage(path, error);
}
void TSdlPlatform::SetAnchor(TImageId image, int x, int y) { canvas_.SetAnchor(image, x, y); }
void TSdlPlatform::Record(TDrawCommand command) {
    command.state = DrawState();
    frame_.push_back(std::move(command));
}

void TSdlPlatform::DrawImage(TImageId image, double x, double y) {
    Record({TDrawCommand::TKind::Image, {}, image, x, y, 0, 0, {}});
}
void TSdlPlatform::DrawText(double x, double y, const std::string& text) {
    Record({TDrawCommand::TKind::Text, {}, 0, x, y, 0, 0, text});
}
void TSdlPlatform::FillRect(double x, double y, double w, double h) {
    Record({TDrawCommand::TKind::Rect, {}, 0, x, y, w, h, {}});
}
void TSdlPlatform::FillEllipse(double x, double y, double w, double h) {
    Record({TDrawCommand::TKind::Ellipse, {}, 0, x, y, w, h, {}});
}

void TSdlPlatform::Replay() {
    canvas_.Clear();
    for (const TDrawCommand& c : frame_) {
        switch (c.kind) {
        case TDrawCommand::TKind::Image: canvas_.DrawImage(c.state, c.image, c.x, c.y); break;
        case TDrawCommand::TKind::Text: canvas_.DrawText(c.state, c.x, c.y, c.text); break;
        case TDrawCommand::TKind::Rect: canvas_.FillRect(c.state, c.x, c.y, c.w, c.h); break;
        case TDrawCommand::TKind::Ellipse: canvas_.FillEllipse(c.state, c.x, c.y, c.w, c.h); break;
        }
    }
}

void TSdlPlatform::Present() {
    if (!renderer_) return;
    // Vsync alone does not hold 60 steps a second: Xvfb has none, and a 144 Hz
    // display would run the game too fast. The pacer waits for the step's slot.
    pacer_.Wait();
    if (stale_ || frame_ != shown_) {
        Replay();
        SDL_RenderPresent(renderer_);
        shown_ = frame_;
        stale_ = false;
    }
    keyTapped_.fill(false);
    buttonTapped_ = false;
}

// Every frame is drawn from a cleared buffer: what the frame holds is the
// list of draw calls made since.
void TSdlPlatform::Clear() { frame_.clear(); }

static int KeyIndex(SDL_Keycode sym) {
    // Keycodes name the letter the active layout produces, so on a French
    // layout the key marked A is the A key; Shift and Caps Lock do not change them.
    switch (sym) {
    case SDLK_w: return int(TKey::W);
    case SDLK_a: return int(TKey::A);
    case SDLK_s: return int(TKey::S);
    case SDLK_d: return int(TKey::D);
    case SDLK_h: return int(TKey::H);
    case SDLK_ESCAPE: return int(TKey::Escape);
    default: return -1;
    }
}

void TSdlPlatform::ReleaseAll() {
    keys_.fill(false);
    button_ = false;
    keyTapped_.fill(false);
    buttonTapped_ = false;
}

void TSdlPlatform::PumpEvents() {
    if (!window_) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int k = KeyIndex(e.key.keysym.sym);
            if (k >= 0) {
                keys_[size_t(k)] = e.type == SDL_KEYDOWN;
                if (e.type == SDL_KEYDOWN) keyTapped_[size_t(k)] = true;
            }
            break;
        }
        case SDL_MOUSEMOTION:
            mouseX_ = e.motion.x;
            mouseY_ = e.motion.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                button_ = e.type == SDL_MOUSEBUTTONDOWN;
                if (button_) buttonTapped_ = true;
            }
            break;
        case SDL_WINDOWEVENT:
            // Another program took the focus, or gave it back: whatever was held
            // reads as released until it is pressed anew.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                ReleaseAll();
            // Uncovered or shown again: the window system may have lost the picture.
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                e.window.event == SDL_WINDOWEVENT_RESTORED)
                stale_ = true;
            break;
        default:
            // SDL_QUIT (close box, window manager) is deliberately ignored: only
            // the menu's EXIT ends the game.
            break;
        }
    }
}

bool TSdlPlatform::KeyHeld(TKey key) {
    PumpEvents();
    return keys_[size_t(key)] || keyTapped_[size_t(key)];
}

bool TSdlPlatform::MouseButtonHeld() {
    PumpEvents();
    return button_ || buttonTapped_;
}

void TSdlPlatform::MousePosition(int& x, int& y) {
    PumpEvents();
    x = mouseX_;
    y = mouseY_;
}

// Milliseconds of the system's steady clock (since boot), not since SDL
// started: the game seeds its random source from it, and SDL's own counter
// starts near 0 in every run, which would deal the same boards every time.
uint32_t TSdlPlatform::Milliseconds() { return uint32_t(SteadyNanoseconds() / 1'000'000); }
void TSdlPlatform::Sleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void TSdlPlatform::FillAudio(void* self, Uint8* stream, int length) {
    auto* p = static_cast<TSdlPlatform*>(self);
    auto* out = reinterpret_cast<int16_t*>(stream);
    size_t count = size_t(length) / sizeof(int16_t);
    const std::vector<int16_t>& pcm = p->music_.samples;
    while (count > 0) {
        const size_t n = std::min(count, pcm.size() - p->musicPos_);
        std::memcpy(out, pcm.data() + p->musicPos_, n * sizeof(int16_t));
        out += n;
        count -= n;
        p->musicPos_ += n;
        if (p->musicPos_ == pcm.size()) p->musicPos_ = 0; // loop for ever
    }
}

bool TSdlPlatform::StartMusic(const std::string& path, std::string& error) {
    if (!LoadOggFile(path, music_, error)) return false;
    // No sound device is no reason to stop: the game then runs silently.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return true;
    SDL_AudioSpec want{};
    want.freq = music_.rate;
    want.format = AUDIO_S16LSB;
    want.channels = Uint8(music_.channels);
    want.samples = 4096;
    want.callback = &TSdlPlatform::FillAudio;
    want.userdata = this;
    SDL_AudioSpec have{};
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audio_) SDL_PauseAudioDevice(audio_, 0);
    return true;
}
