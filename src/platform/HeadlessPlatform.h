// The game with no screen: SDL's software renderer draws into a memory
// surface, input is whatever the caller sets, the clock is fake and sleeping
// costs nothing. Tests and the headless runner read the presented frames back
// as pixels.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "platform/SdlCanvas.h"

class THeadlessPlatform : public TPlatform {
public:
    THeadlessPlatform();
    ~THeadlessPlatform() override;

    void SetTitle(const std::string& title) override { title_ = title; }
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

    bool KeyHeld(TKey key) override { return keys_[size_t(key)]; }
    bool MouseButtonHeld() override { return button_; }
    void MousePosition(int& x, int& y) override { x = mouseX_; y = mouseY_; }

    uint32_t Milliseconds() override { return uint32_t(clockMicros_ / 1000); }
    void Sleep(uint32_t milliseconds) override { clockMicros_ += uint64_t(milliseconds) * 1000; }
    bool StartMusic(const std::string& path, std::string& error) override;

    // --- For the caller --------------------------------------------------
    // Sets the fake clock; the game seeds its random source from it at start-up.
    void SetClock(uint32_t milliseconds) { clockMicros_ = uint64_t(milliseconds) * 1000; }
    void SetKey(TKey key, bool held) { keys_[size_t(key)] = held; }
    void SetButton(bool held) { button_ = held; }
    void MoveMouse(int x, int y) { mouseX_ = x; mouseY_ = y; }
    // Focus lost or regained: every key and the button read as released.
    void ChangeFocus() { keys_.fill(false); button_ = false; }

    const std::string& Title() const { return title_; }
    bool WindowOpen() const { return surface_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint64_t Presents() const { return presents_; }
    // The last presented frame, 0xAARRGGBB a pixel, row by row.
    const std::vector<uint32_t>& Frame() const { return frame_; }
    // Pixel of the last presented frame as 0xRRGGBB.
    uint32_t PixelAt(int x, int y) const;
    // Writes the last presented frame as an RGB PNG; false and error on failure.
    bool WriteFramePng(const std::string& path, std::string& error) const;

private:
    std::string title_;
    int width_ = 0, height_ = 0;
    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    TSdlCanvas canvas_;
    std::vector<uint32_t> frame_;
    uint64_t presents_ = 0;
    uint64_t clockMicros_ = 0;

    std::array<bool, size_t(TKey::Count)> keys_{};
    bool button_ = false;
    int mouseX_ = 0, mouseY_ = 0;
};
