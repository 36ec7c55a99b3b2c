#include "platform/SdlCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/Font.h"
#include "platform/ImageFile.h"

static Uint8 ClampByte(int v) { return Uint8(std::clamp(v, 0, 255)); }

namespace {

// Opaque text is drawn from ready-made textures of whole strings, already in
// their colour and size: the menu, the HUD and the end card draw the same few
// strings every frame, and one plain blended copy of a pre-coloured string
// costs a fraction of one tinted, scaled copy per glyph. Only where the
// result is the same pixel for pixel: alpha 1 (a lit glyph pixel becomes the
// colour, an unlit one leaves the screen alone, either way), whole-number
// scales (a scaled glyph is its pixels repeated) and whole-number positions
// (each glyph lands where its own copy would).
struct TTextTexture {
    std::string text;
    Uint8 r = 0, g = 0, b = 0;
    int scaleX = 0, scaleY = 0;
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    uint64_t lastUse = 0;
};

// The strings drawn lately, kept with the font texture (its user data) so
// they live and die with the canvas. The least recently drawn goes first.
struct TTextCache {
    static constexpr size_t kCapacity = 48;
    static constexpr int kMaxGlyphs = 64;
    static constexpr int kMaxScale = 8;
    std::vector<TTextTexture> entries;
    uint64_t clock = 0;
};

void DestroyTextCache(SDL_Texture* font) {
    auto* cache = static_cast<TTextCache*>(SDL_GetTextureUserData(font));
    if (!cache) return;
    for (TTextTexture& e : cache->entries) SDL_DestroyTexture(e.texture);
    delete cache;
    SDL_SetTextureUserData(font, nullptr);
}

// A whole number small enough to scale or place a string exactly.
bool WholeNumber(double v, double limit) { return v == std::floor(v) && std::fabs(v) <= limit; }

// The texture of text in colour c at the given scales, made on first use;
// null when SDL cannot make it.
SDL_Texture* TextTexture(SDL_Renderer* renderer, TTextCache& cache, const std::string& text, TColorBytes c,
                         int scaleX, int scaleY, int& width, int& height) {
    ++cache.clock;
    for (TTextTexture& e : cache.entries) {
        if (e.r == c.r && e.g == c.g && e.b == c.b && e.scaleX == scaleX && e.scaleY == scaleY && e.text == text) {
            e.lastUse = cache.clock;
            width = e.width;
            height = e.height;
            return e.texture;
        }
    }
    int glyphs = 0;
    for (unsigned char ch : text) glyphs += IsDrawnChar(ch) ? 1 : 0;
    TTextTexture e{text, c.r, c.g, c.b, scaleX, scaleY, nullptr, glyphs * kGlyphWidth * scaleX,
                   kGlyphHeight * scaleY, cache.clock};
    std::vector<Uint32> pixels(size_t(e.width) * e.height, 0);
    const Uint32 lit = 0xFF000000u | Uint32(c.r) << 16 | Uint32(c.g) << 8 | c.b;
    int drawn = 0;
    for (unsigned char ch : text) {
        if (!IsDrawnChar(ch)) continue;
        for (int y = 0; y < e.height; ++y)
            for (int x = 0; x < kGlyphWidth * scaleX; ++x)
                if (kFontRows[ch - kFirstGlyph][y / scaleY] & (0x80 >> (x / scaleX)))
                    pixels[size_t(y) * e.width + drawn * kGlyphWidth * scaleX + x] = lit;
        ++drawn;
    }
    e.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, e.width, e.height);
    if (!e.texture) return nullptr;
    SDL_UpdateTexture(e.texture, nullptr, pixels.data(), e.width * 4);
    SDL_SetTextureBlendMode(e.texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(e.texture, SDL_ScaleModeNearest);
    if (cache.entries.size() >= TTextCache::kCapacity) {
        auto oldest = std::min_element(cache.entries.begin(), cache.entries.end(),
                                       [](const TTextTexture& a, const TTextTexture& b) { return a.lastUse < b.lastUse; });
        SDL_DestroyTexture(oldest->texture);
        cache.entries.erase(oldest);
    }
    cache.entries.push_back(e);
    width = e.width;
    height = e.height;
    return e.texture;
}

} // namespace

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
    SDL_SetTextureUserData(font_, new TTextCache);
    return true;
}

void TSdlCanvas::Detach() {
    for (TTexture& t : images_)
        if (t.texture) SDL_DestroyTexture(t.texture);
    images_.clear();
    if (font_) DestroyTextCache(font_);
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
    // Half the cells of a board frame lie wholly outside the window; a copy
    // that misses it by a pixel or more would show nothing, so none is made.
    SDL_Rect view{};
    SDL_RenderGetViewport(renderer_, &view);
    if (dst.x + dst.w < -1 || dst.y + dst.h < -1 || dst.x > float(view.w + 1) || dst.y > float(view.h + 1)) return;
    SDL_RenderCopyF(renderer_, t.texture, nullptr, &dst);
}

void TSdlCanvas::DrawText(const TDrawState& state, double x, double y, const std::string& text) {
    if (state.alpha <= 0) return;
    const TColorBytes c = ColorBytes(state);
    auto* cache = static_cast<TTextCache*>(SDL_GetTextureUserData(font_));
    if (cache && c.a == 255 && WholeNumber(state.scaleX, TTextCache::kMaxScale) && state.scaleX >= 1 &&
        WholeNumber(state.scaleY, TTextCache::kMaxScale) && state.scaleY >= 1 && WholeNumber(x, 1 << 20) &&
        WholeNumber(y, 1 << 20) && TextWidth(text) > 0 && TextWidth(text) <= TTextCache::kMaxGlyphs * kGlyphWidth) {
        int w = 0, h = 0;
        SDL_Texture* texture = TextTexture(renderer_, *cache, text, c, int(state.scaleX), int(state.scaleY), w, h);
        if (texture) {
            const SDL_FRect dst{float(x), float(y), float(w), float(h)};
            SDL_RenderCopyF(renderer_, texture, nullptr, &dst);
            return;
        }
    }
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
