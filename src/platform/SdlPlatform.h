// The real game's platform: one SDL window with a renderer, keyboard and
// mouse state from SDL's events, the looping music on SDL's audio output.
#pragma once

#include <SDL.h>

#include <array>
#include <memory>

#include "platform/Pacer.h"
#include "platform/Platform.h"
#include "platform/SdlCanvas.h"
#include "platform/SoundFile.h"

class TSdlPlatform : public TPlatform {
public:
    TSdlPlatform();
    ~TSdlPlatform() override;

    void SetTitle(const std::string& title) override;
    bool OpenWindow(int width, int height, std::string& error) override;
    void Close() override;

    TImageId LoadImage(const std::string& path, std::string& error) override;
    void SetAnchor(TImageId image, int x, int y) override;
    void DrawImage(TImageId image, double x, double y) override;
    void DrawText(double x, double y, const std::string& text) override;
    void FillRect(double x, double y, double w, double h) override;
    void FillEllipse(double x, double y, double w, double h) override;
    void Present() override;
    void Clear() override;

    bool KeyHeld(TKey key) override;
    bool MouseButtonHeld() override;
    void MousePosition(int& x, int& y) override;

    uint32_t Milliseconds() override;
    void Sleep(uint32_t milliseconds) override;
    bool StartMusic(const std::string& path, std::string& error) override;

private:
    // One draw call of the frame being built, with the state it was made in.
    struct TDrawCommand {
        enum class TKind : uint8_t { Image, Text, Rect, Ellipse } kind = TKind::Rect;
        TDrawState state;
        TImageId image = 0;
        double x = 0, y = 0, w = 0, h = 0;
        std::string text;
        bool operator==(const TDrawCommand&) const = default;
    };

    void Record(TDrawCommand command);
    void Replay();
    void PumpEvents();
    void ReleaseAll();
    static void FillAudio(void* self, Uint8* stream, int length);

    std::string title_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    TSdlCanvas canvas_;
    TPacer pacer_;
    bool videoUp_ = false;
    // Draw calls since the last clear, and those of the picture on screen. A
    // frame identical to the one shown is neither drawn nor presented again:
    // the idle menu then costs next to nothing.
    std::vector<TDrawCommand> frame_, shown_;
    bool stale_ = true; // the window needs drawing whatever the frame holds

    std::array<bool, size_t(TKey::Count)> keys_{};
    bool button_ = false;
    // Pressed at some moment during this frame, even if already released: a
    // tap or click shorter than a frame still counts as held in its frame.
    std::array<bool, size_t(TKey::Count)> keyTapped_{};
    bool buttonTapped_ = false;
    int mouseX_ = 0, mouseY_ = 0;

    SDL_AudioDeviceID audio_ = 0;
    TPcm music_;
    size_t musicPos_ = 0; // next sample to play, touched only by the audio thread
};
