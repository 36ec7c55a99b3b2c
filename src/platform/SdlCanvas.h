// Drawing on an SDL renderer, shared by the real window and the headless
// backend: images as textures with an anchor, the built-in font as one
// texture of glyphs, flat rectangles and ellipses, all under the platform's
// drawing state and with alpha blending.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/Platform.h"

class TSdlCanvas {
public:
    // Takes the renderer; builds the font texture. False when SDL refuses.
    bool Attach(SDL_Renderer* renderer, std::string& error);
    // Destroys every texture; the renderer stays the caller's.
    void Detach();

    TImageId LoadImage(const std::string& path, std::string& error);
    void SetAnchor(TImageId image, int x, int y);

    void DrawImage(const TDrawState& state, TImageId image, double x, double y);
    void DrawText(const TDrawState& state, double x, double y, const std::string& text);
    void FillRect(const TDrawState& state, double x, double y, double w, double h);
    void FillEllipse(const TDrawState& state, double x, double y, double w, double h);
    void Clear();

private:
    struct TTexture {
        SDL_Texture* texture = nullptr;
        int width = 0, height = 0;
        int anchorX = 0, anchorY = 0;
    };
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* font_ = nullptr;
    std::vector<TTexture> images_; // image id n is images_[n - 1]
    std::vector<SDL_Vertex> vertices_; // scratch for ellipses
    std::vector<int> indices_;
};

// The drawing state's colour and alpha as bytes, clamped as the game expects.
struct TColorBytes {
    Uint8 r, g, b, a;
};
TColorBytes ColorBytes(const TDrawState& state);
