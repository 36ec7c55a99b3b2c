// The game's whole view of the machine it runs on.
//
// Game code never sees a window system, a renderer or a sound card: it sets a
// drawing state (colour, alpha, scale), issues a handful of draw calls, asks
// for key and mouse states, presents, reads a millisecond clock and sleeps.
// Two backends implement it: the real SDL window (SdlPlatform) and a headless
// one that draws into memory with scripted input (HeadlessPlatform).
#pragma once

#include <cstdint>
#include <string>

// Keys the game asks about. Letters are the letters the active keyboard
// layout produces, not physical positions.
enum class TKey { W, A, S, D, H, Escape, Count };

// Handle of a loaded image; 0 is "no image".
using TImageId = int;

// Colour, alpha and scale shared by every draw call (see DrawState()).
struct TDrawState {
    int r = 255, g = 255, b = 255; // clamped to 0..255 when drawing
    double alpha = 1.0;            // clamped to 0..1; at 0 or below nothing shows
    double scaleX = 1.0, scaleY = 1.0;

    bool operator==(const TDrawState&) const = default;
    bool IsNeutral() const {
        return r == 255 && g == 255 && b == 255 && alpha == 1.0 && scaleX == 1.0 && scaleY == 1.0;
    }
};

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // --- Window -----------------------------------------------------------
    // Title of the window, kept until the window opens if it is not open yet.
    virtual void SetTitle(const std::string& title) = 0;
    // Opens the fixed-size window. On failure returns false and fills error.
    virtual bool OpenWindow(int width, int height, std::string& error) = 0;
    // Closes the window and shuts the sound down; the last call of a run.
    virtual void Close() = 0;

    // --- Images -----------------------------------------------------------
    // Loads a PNG (colour-keyed when it has no alpha). 0 and error on failure.
    virtual TImageId LoadImage(const std::string& path, std::string& error) = 0;
    // The point of the image placed on the draw point, in the image's pixels.
    virtual void SetAnchor(TImageId image, int x, int y) = 0;

    // --- Drawing state and draw calls --------------------------------------
    TDrawState& DrawState() { return state_; }
    void SetColor(int r, int g, int b) { state_.r = r; state_.g = g; state_.b = b; }
    void SetAlpha(double alpha) { state_.alpha = alpha; }
    void SetScale(double sx, double sy) { state_.scaleX = sx; state_.scaleY = sy; }

    // Image with its anchor on (x, y), tinted by colour and alpha.
    virtual void DrawImage(TImageId image, double x, double y) = 0;
    // Built-in font; (x, y) is the top-left corner of the first glyph cell.
    virtual void DrawText(double x, double y, const std::string& text) = 0;
    // Flat rectangle in the current colour and alpha; w and h are scaled.
    virtual void FillRect(double x, double y, double w, double h) = 0;
    // Flat ellipse whose bounding box has its top-left corner at (x, y).
    virtual void FillEllipse(double x, double y, double w, double h) = 0;

    // Shows the back buffer, paced to the display's refresh (60 steps a second).
    virtual void Present() = 0;
    // Clears the whole back buffer to opaque black.
    virtual void Clear() = 0;

    // --- Input (each query first takes all pending window events) ----------
    virtual bool KeyHeld(TKey key) = 0;
    virtual bool MouseButtonHeld() = 0;
    // Position of the last pointer motion in client pixels; (0, 0) before any.
    virtual void MousePosition(int& x, int& y) = 0;

    // --- Time and sound ----------------------------------------------------
    virtual uint32_t Milliseconds() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Loads an Ogg Vorbis file whole and starts it looping for ever. False
    // and error when the file cannot be decoded; a missing sound device is
    // not an error (the game then runs silently).
    virtual bool StartMusic(const std::string& path, std::string& error) = 0;

private:
    TDrawState state_;
};
