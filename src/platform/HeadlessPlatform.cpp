#include "platform/HeadlessPlatform.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "platform/SoundFile.h"

THeadlessPlatform::THeadlessPlatform() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

THeadlessPlatform::~THeadlessPlatform() { Close(); }

bool THeadlessPlatform::OpenWindow(int width, int height, std::string& error) {
    surface_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface_) {
        error = SDL_GetError();
        return false;
    }
    renderer_ = SDL_CreateSoftwareRenderer(surface_);
    if (!renderer_ || !canvas_.Attach(renderer_, error)) {
        if (error.empty()) error = SDL_GetError();
        Close();
        return false;
    }
    width_ = width;
    height_ = height;
    frame_.assign(size_t(width) * height, 0xFF000000u);
    Clear();
    return true;
}

void THeadlessPlatform::Close() {
    canvas_.Detach();
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    if (surface_) SDL_FreeSurface(surface_);
    surface_ = nullptr;
}

TImageId THeadlessPlatform::LoadImage(const std::string& path, std::string& error) {
    return canvas_.LoadImage(path, error);
}
void THeadlessPlatform::SetAnchor(TImageId image, int x, int y) { canvas_.SetAnchor(image, x, y); }
void THeadlessPlatform::DrawImage(TImageId image, double x, double y) {
    if (renderer_) canvas_.DrawImage(DrawState(), image, x, y);
}
void THeadlessPlatform::DrawText(double x, double y, const std::string& text) {
    if (renderer_) canvas_.DrawText(DrawState(), x, y, text);
}
void THeadlessPlatform::FillRect(double x, double y, double w, double h) {
    if (renderer_) canvas_.FillRect(DrawState(), x, y, w, h);
}
void THeadlessPlatform::FillEllipse(double x, double y, double w, double h) {
    if (renderer_) canvas_.FillEllipse(DrawState(), x, y, w, h);
}

void THeadlessPlatform::Present() {
    if (!renderer_) return;
    SDL_RenderFlush(renderer_);
    const auto* row = static_cast<const uint8_t*>(surface_->pixels);
    for (int y = 0; y < height_; ++y, row += surface_->pitch)
        std::memcpy(&frame_[size_t(y) * width_], row, size_t(width_) * 4);
    ++presents_;
    clockMicros_ += 16667; // one step of a 60 Hz display
}

void THeadlessPlatform::Clear() {
    if (renderer_) canvas_.Clear();
}

uint32_t THeadlessPlatform::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return frame_[size_t(y) * width_ + x] & 0xFFFFFFu;
}

bool THeadlessPlatform::StartMusic(const std::string& path, std::string& error) {
    // Decoded like the real game's, so a bad file fails the same way; no device plays it.
    TPcm pcm;
    return LoadOggFile(path, pcm, error);
}

bool THeadlessPlatform::WriteFramePng(const std::string& path, std::string& error) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = std::string("cannot open for writing: ") + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> rgb(size_t(width_) * height_ * 3);
    for (size_t i = 0; i < frame_.size(); ++i) {
        rgb[i * 3 + 0] = uint8_t(frame_[i] >> 16);
        rgb[i * 3 + 1] = uint8_t(frame_[i] >> 8);
        rgb[i * 3 + 2] = uint8_t(frame_[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width_);
    image.height = png_uint_32(height_);
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_stdio(&image, file, 0, rgb.data(), width_ * 3, nullptr) != 0;
    const bool closed = std::fclose(file) == 0;
    if (!ok || !closed) {
        error = ok ? std::string("cannot write: ") + std::strerror(errno) : std::string(image.message);
        std::remove(path.c_str());
        return false;
    }
    return true;
}
