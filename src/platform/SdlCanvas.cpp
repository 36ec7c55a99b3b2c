#include "platform/SdlCanvas.h"

#include <algorithm>
#include <cmath>

#include "platform/Font.h"
#include "platform/ImageFile.h"

static Uint8 ClampByte(int v) { return Uint8(std::clamp(v, 0, 255)); }

TColorBytes ColorBytes(const TDrawState& state) {
    const double alpha = std::clamp(state.alpha, 0.0, 1.0);
    return {ClampByte(state.r), ClampByte(state.g), ClampByte(state.b), Uint8(std::lround(alpha * 255.0))};
}

bool TSdlCanvas::Attach(SDL_Renderer* renderer, std::string& error) {
    renderer_ = renderer;
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);

    // All 96 glyphs side by side, white where the glyph is lit, clear elsewhere;
    // the drawing colour tints them through the texture's colour modulation.
    const int width = kGlyphCount * kGlyphWidth;
    std::vector<Uint32> pixels(size_t(width) * kGlyphHeight, 0);
    for (int g = 0; g < kGlyphCount; ++g)
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int col = 0; col < kGlyphWidth; ++col)
                if (kFontRows[g][row] & (0x80 >> col)) pixels[size_t(row) * width + g * kGlyphWidth + col] = 0xFFFFFFFFu;
    font_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, width, kGlyphHeight);
    if (!font_) {
        error = SDL_GetError();
        return false;
    }
    SDL_UpdateTexture(font_, nullptr, pixels.data(), width * 4);
    SDL_SetTextureBlendMode(font_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(font_, SDL_ScaleModeNearest);
    return true;
}

void TSdlCanvas::Detach() {
    for (TTexture& t : images_)
        if (t.texture) SDL_DestroyTexture(t.texture);
    images_.clear();
    if (font_) SDL_DestroyTexture(font_);
    font_ = nullptr;
    renderer_ = nullptr;
}

TImageId TSdlCanvas::LoadImage(const std::string& path, std::string& error) {
    TPixels pixels;
    if (!LoadPngFile(path, pixels, error)) return 0;
    TTexture t;
    t.width = pixels.width;
    t.height = pixels.height;
    t.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, t.width, t.height);
    if (!t.texture) {
        error = std::string("cannot make a texture: ") + SDL_GetError();
        return 0;
    }
    SDL_UpdateTexture(t.texture, nullptr, pixels.rgba.data(), t.width * 4);
    SDL_SetTextureBlendMode(t.texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(t.texture, SDL_ScaleModeNearest);
    images_.push_back(t);
    return TImageId(images_.size());
}

void TSdlCanvas::SetAnchor(TImageId image, int x, int y) {
    if (image < 1 || size_t(image) > images_.size()) return;
    images_[image - 1].anchorX = x;
    images_[image - 1].anchorY = y;
}

void TSdlCanvas::DrawImage(const TDrawState& state, TImageId image, double x, double y) {
    if (image < 1 || size_t(image) > images_.size() || state.alpha <= 0) return;
    const TTexture& t = images_[image - 1];
    const TColorBytes c = ColorBytes(state);
    SDL_SetTextureColorMod(t.texture, c.r, c.g, c.b);
    SDL_SetTextureAlphaMod(t.texture, c.a);
    // The draw point is not scaled; the image's extent around its anchor is.
    const SDL_FRect dst{float(x - t.anchorX * state.scaleX), float(y - t.anchorY * state.scaleY),
                        float(t.width * state.scaleX), float(t.height * state.scaleY)};
    SDL_RenderCopyF(renderer_, t.texture, nullptr, &dst);
}

void TSdlCanvas::DrawText(const TDrawState& state, double x, double y, const std::string& text) {
    if (state.alpha <= 0) return;
    const TColorBytes c = ColorBytes(state);
    SDL_SetTextureColorMod(font_, c.r, c.g, c.b);
    SDL_SetTextureAlphaMod(font_, c.a);
    const double cellW = kGlyphWidth * state.scaleX, cellH = kGlyphHeight * state.scaleY;
    int drawn = 0;
    for (unsigned char ch : text) {
        if (!IsDrawnChar(ch)) continue; // skipped without advancing
        if (ch != ' ') {
            const SDL_Rect src{(ch - kFirstGlyph) * kGlyphWidth, 0, kGlyphWidth, kGlyphHeight};
            const SDL_FRect dst{float(x + drawn * cellW), float(y), float(cellW), float(cellH)};
            SDL_RenderCopyF(renderer_, font_, &src, &dst);
        }
        ++drawn;
    }
}

void TSdlCanvas::FillRect(const TDrawState& state, double x, double y, double w, double h) {
    if (state.alpha <= 0) return;
    const TColorBytes c = ColorBytes(state);
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
    const SDL_FRect rect{float(x), float(y), float(w * state.scaleX), float(h * state.scaleY)};
    SDL_RenderFillRectF(renderer_, &rect);
}

void TSdlCanvas::FillEllipse(const TDrawState& state, double x, double y, double w, double h) {
    if (state.alpha <= 0) return;
    w *= state.scaleX;
    h *= state.scaleY;
    // A polygon of max(trunc(w/2 + h/2), 12) vertices, rounded down to a multiple of 4.
    int n = std::max(int(w / 2 + h / 2), 12);
    n -= n % 4;
    const TColorBytes c = ColorBytes(state);
    const SDL_Color color{c.r, c.g, c.b, c.a};
    const float cx = float(x + w / 2), cy = float(y + h / 2);
    vertices_.clear();
    indices_.clear();
    vertices_.push_back(SDL_Vertex{{cx, cy}, color, {0, 0}});
    for (int i = 0; i < n; ++i) {
        const double angle = 2.0 * M_PI * i / n;
        vertices_.push_back(
            SDL_Vertex{{float(cx + w / 2 * std::cos(angle)), float(cy + h / 2 * std::sin(angle))}, color, {0, 0}});
        indices_.insert(indices_.end(), {0, 1 + i, 1 + (i + 1) % n});
    }
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
    SDL_RenderGeometry(renderer_, nullptr, vertices_.data(), int(vertices_.size()), indices_.data(),
                       int(indices_.size()));
}

void TSdlCanvas::Clear() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
}
