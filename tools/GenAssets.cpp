// zep-gen-assets OUTDIR: draws the game's tiles, player figures and launcher
// icon, and composes its music, so every asset ZEP ships is our own and is
// rebuilt from this file. The output is the same bytes on every run: nothing
// reads a clock, and every bit of noise comes from fixed-seed hashes.
//
// Writes OUTDIR/Images/{tile,tileON,tileBOMB,tileGOAL,tileSAFE,tileHELPER}.png,
// OUTDIR/Images/player1..4.png, OUTDIR/main.ogg and
// OUTDIR/icons/hicolor/NxN/apps/zep.png for N = 48, 64, 128, 256.
// On failure prints one line "zep-gen-assets: <file>: <problem>" and exits 1.

#include <png.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;

// ---------------------------------------------------------------- maths ----

// A point or direction in image pixels (y grows downwards, as on screen).
struct TVec {
    float x = 0, y = 0;
};
TVec operator+(TVec a, TVec b) { return {a.x + b.x, a.y + b.y}; }
TVec operator-(TVec a, TVec b) { return {a.x - b.x, a.y - b.y}; }
TVec operator*(TVec a, float k) { return {a.x * k, a.y * k}; }
float Dot(TVec a, TVec b) { return a.x * b.x + a.y * b.y; }
float Length(TVec a) { return std::sqrt(Dot(a, a)); }
float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

// Signed distances: negative inside a shape, positive outside, in pixels.
// Every part of every picture is one of these, so an outline of any width is
// just "distance between 0 and the width".
float SdCircle(TVec p, TVec c, float r) { return Length(p - c) - r; }

// Close-enough distance to an ellipse (exact on the axes), good for outlines.
float SdEllipse(TVec p, TVec c, float rx, float ry)
{
    TVec q = p - c;
    float k0 = Length({q.x / rx, q.y / ry});
    float k1 = Length({q.x / (rx * rx), q.y / (ry * ry)});
    if (k1 < 1e-6f)
        return -std::min(rx, ry);
    return k0 * (k0 - 1.0f) / k1;
}

// A thick line with round ends, from a to b, r wide on each side.
float SdCapsule(TVec p, TVec a, TVec b, float r)
{
    TVec pa = p - a, ba = b - a;
    float h = Clamp01(Dot(pa, ba) / std::max(1e-6f, Dot(ba, ba)));
    return Length(pa - ba * h) - r;
}

// A box centred on c with half sizes h and corners rounded by r.
float SdRoundBox(TVec p, TVec c, TVec h, float r)
{
    float qx = std::fabs(p.x - c.x) - h.x + r, qy = std::fabs(p.y - c.y) - h.y + r;
    float outside = Length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

// Exact distance to a closed polygon given by its corners (any winding).
float SdPolygon(TVec p, const TVec* v, int n)
{
    float d = Dot(p - v[0], p - v[0]);
    float s = 1.0f;
    for (int i = 0, j = n - 1; i < n; j = i, i++) {
        TVec e = v[j] - v[i], w = p - v[i];
        TVec b = w - e * Clamp01(Dot(w, e) / Dot(e, e));
        d = std::min(d, Dot(b, b));
        bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

// A repeatable pseudo-random value in [0, 1) for a lattice point: the only
// source of noise, so the pictures never change between runs.
float Hash01(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x8da6b343u) ^ (static_cast<uint32_t>(y) * 0xd8163841u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    h *= 0x27d4eb2du;
    h ^= h >> 16;
    return static_cast<float>(h >> 8) / 16777216.0f;
}

// Smooth value noise in [0, 1): mottling for the stone faces.
float ValueNoise(float x, float y, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    float c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// --------------------------------------------------------------- colour ----

// A straight (not premultiplied) colour, every component 0..1.
struct TColour {
    float r = 0, g = 0, b = 0, a = 1;
};
// What the painter accumulates: premultiplied, so "over" is one line.
struct TPremul {
    float r = 0, g = 0, b = 0, a = 0;
};

TColour Rgb(int r, int g, int b, float a = 1) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

// Lighter (k > 1) or darker (k < 1), keeping alpha.
TColour Shade(TColour c, float k) { return {Clamp01(c.r * k), Clamp01(c.g * k), Clamp01(c.b * k), c.a}; }

TColour Mix(TColour a, TColour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// Paints c over what is already there.
void PaintOver(TPremul& dst, const TColour& c)
{
    float k = 1 - c.a;
    dst.r = c.r * c.a + dst.r * k;
    dst.g = c.g * c.a + dst.g * k;
    dst.b = c.b * c.a + dst.b * k;
    dst.a = c.a + dst.a * k;
}

void PaintOver(TPremul& dst, const TPremul& s)
{
    float k = 1 - s.a;
    dst.r = s.r + dst.r * k;
    dst.g = s.g + dst.g * k;
    dst.b = s.b + dst.b * k;
    dst.a = s.a + dst.a * k;
}

// Paints one part of a picture: its fill inside, and just outside it a ring of
// ink `ink` wide, so each part is drawn with its own line over what is behind.
// The fill is a function so shading is only worked out where it shows.
template <class FFill>
void Part(TPremul& acc, float sd, float ink, const TColour& inkColour, FFill fill)
{
    if (sd < 0)
        PaintOver(acc, fill());
    else if (sd < ink)
        PaintOver(acc, inkColour);
}

// Lights a round part (head, body, bomb) from the upper left: n is the point's
// offset from the part's centre divided by its radius.
TColour LightRound(TColour base, TVec n, float dark)
{
    float d2 = std::min(1.0f, Dot(n, n));
    float nz = std::sqrt(1 - d2);
    // Light from up-left and towards the viewer.
    float lambert = Clamp01(-0.45f * n.x - 0.55f * n.y + 0.70f * nz);
    return Shade(base, 1 - dark + dark * lambert);
}

// --------------------------------------------------------------- images ----

// A picture being drawn: premultiplied pixels, row by row.
struct TImage {
    int w = 0, h = 0;
    std::vector<TPremul> px;
};

// Draws `scene` (point in image pixels -> premultiplied colour there) with
// ss x ss samples in each pixel, averaged, which smooths every edge.
template <class FScene>
TImage Render(int w, int h, int ss, FScene scene)
{
    TImage img{w, h, std::vector<TPremul>(static_cast<size_t>(w) * h)};
    float inv = 1.0f / static_cast<float>(ss * ss);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            TPremul sum;
            for (int sy = 0; sy < ss; sy++)
                for (int sx = 0; sx < ss; sx++) {
                    TVec p{x + (sx + 0.5f) / ss, y + (sy + 0.5f) / ss};
                    TPremul c = scene(p);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                    sum.a += c.a;
                }
            img.px[static_cast<size_t>(y) * w + x] = {sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv};
        }
    return img;
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

// 8-bit RGBA with smooth (partly transparent) edges: tiles and icons.
std::vector<uint8_t> ToRgba(const TImage& img)
{
    std::vector<uint8_t> out;
    out.reserve(img.px.size() * 4);
    for (const TPremul& p : img.px) {
        float a = p.a;
        if (a < 0.5f / 255.0f) {
            out.insert(out.end(), {0, 0, 0, 0});
            continue;
        }
        out.insert(out.end(), {ToByte(p.r / a), ToByte(p.g / a), ToByte(p.b / a), ToByte(a)});
    }
    return out;
}

// A figure with hard edges: a pixel is the figure's where it is at least half
// covered, otherwise background. `keyed` gives 8-bit RGB on pure black, which
// the game makes transparent, so no figure pixel may be exactly black; else
// RGBA with alpha 0 or 255. Both forms hold the same pixels, so the figure
// does not change look when it turns.
std::vector<uint8_t> ToHardPixels(const TImage& img, bool keyed)
{
    std::vector<uint8_t> out;
    out.reserve(img.px.size() * (keyed ? 3 : 4));
    for (const TPremul& p : img.px) {
        uint8_t r = 0, g = 0, b = 0, a = 0;
        if (p.a >= 0.5f) {
            r = ToByte(p.r / p.a);
            g = ToByte(p.g / p.a);
            b = ToByte(p.b / p.a);
            a = 255;
            if (r == 0 && g == 0 && b == 0) {
                r = 20; // the darkest ink, never the key colour
                g = 20;
                b = 30;
            }
        }
        out.insert(out.end(), {r, g, b});
        if (!keyed)
            out.push_back(a);
    }
    return out;
}

// ---------------------------------------------------------------- tiles ----

// The six tile pictures. Each cell's top face is the diamond (32,0) (64,16)
// (32,32) (0,16); below its two lower edges hangs a side kTileDepth deep,
// seen only along the board's front edges (cells in front cover the rest).
enum class TTile { Plain, On, Safe, Goal, Helper };
constexpr int kTileW = 64, kTileH = 40;
constexpr float kTileDepth = 8;

// Where a point lies on a cell's top face: c runs along the cell's column
// edge (0 at the upper left edge, 1 at the lower right), r along its row
// edge (0 at the upper right edge, 1 at the lower left). Inside is 0..1 both.
struct TFace {
    float c, r;
};
TFace FaceAt(TVec p)
{
    float u = (p.x - 32) / 32, v = p.y / 16;
    return {(u + v) / 2, (v - u) / 2};
}

// The colours that make one kind of tile.
struct TTileLook {
    TColour top;     // the face
    TColour left;    // the side below the lower left edge (half lit)
    TColour right;   // the side below the lower right edge (in shade)
    float mottle;    // strength of the stone's mottling
    bool groove;     // an engraved inner diamond, as on cut stone
    float glow;      // whitening towards the centre (the lit cell)
};

TTileLook LookOf(TTile kind)
{
    switch (kind) {
    case TTile::Plain: return {Rgb(124, 136, 166), Rgb(88, 96, 124), Rgb(62, 68, 92), 0.16f, true, 0};
    case TTile::On: return {Rgb(255, 226, 130), Rgb(214, 160, 70), Rgb(170, 118, 44), 0.05f, false, 0.75f};
    case TTile::Safe: return {Rgb(98, 178, 102), Rgb(62, 128, 70), Rgb(42, 96, 52), 0.14f, true, 0};
    case TTile::Goal: return {Rgb(236, 182, 44), Rgb(176, 124, 30), Rgb(132, 88, 20), 0.08f, false, 0.15f};
    case TTile::Helper: return {Rgb(64, 196, 216), Rgb(36, 140, 164), Rgb(24, 104, 126), 0.08f, false, 0.1f};
    }
    return {};
}

// A five-pointed star lying flat on the face (squashed to the board's 2:1).
float SdFlatStar(TVec p, TVec c, float radius)
{
    std::array<TVec, 10> v;
    for (int i = 0; i < 10; i++) {
        float a = -kPi / 2 + i * kPi / 5;
        float rr = (i % 2 == 0) ? radius : radius * 0.45f;
        v[i] = {c.x + rr * std::cos(a), c.y + rr * std::sin(a) * 0.62f};
    }
    return SdPolygon(p, v.data(), 10);
}

// The goal's emblem: a red star on a darker gold ring.
void PaintGoalEmblem(TPremul& acc, TVec p)
{
    TColour ink = Rgb(96, 30, 16);
    TVec c{32, 16.5f};
    float ring = std::fabs(SdEllipse(p, c, 17, 8.5f)) - 1.0f;
    Part(acc, ring, 0, ink, [] { return Rgb(190, 120, 24); });
    Part(acc, SdFlatStar(p, c, 14), 1.2f, ink, [&] {
        float t = Clamp01((p.y - 8) / 16);
        return Mix(Rgb(246, 70, 56), Rgb(176, 26, 30), t);
    });
    Part(acc, SdFlatStar(p, {c.x - 0.6f, c.y - 0.8f}, 5.5f), 0, ink, [] { return Rgb(255, 150, 120); });
}

// The helper's emblem: an open eye, which is what the helper does for you.
void PaintHelperEmblem(TPremul& acc, TVec p)
{
    TColour ink = Rgb(12, 44, 66);
    TVec c{32, 16};
    // An almond made of two circles, 24 wide and 12 high.
    float upper = SdCircle(p, {c.x, c.y + 8.4f}, 14.4f);
    float lower = SdCircle(p, {c.x, c.y - 8.4f}, 14.4f);
    float almond = std::max(upper, lower);
    Part(acc, almond, 1.3f, ink, [&] { return Mix(Rgb(255, 255, 255), Rgb(196, 226, 236), Clamp01((p.y - 10) / 12)); });
    if (almond < 0) {
        Part(acc, SdCircle(p, c, 4.6f), 0.9f, ink, [&] {
            return LightRound(Rgb(40, 120, 200), (p - c) * (1 / 4.6f), 0.45f);
        });
        Part(acc, SdCircle(p, c, 2.0f), 0, ink, [] { return Rgb(10, 20, 36); });
        Part(acc, SdCircle(p, {c.x - 1.6f, c.y - 1.7f}, 1.1f), 0, ink, [] { return Rgb(255, 255, 255); });
    }
    // Lashes on the upper lid, so it reads as an eye and not a lemon.
    for (int i = -1; i <= 1; i++) {
        float side = static_cast<float>(i), outer = std::fabs(side);
        TVec a{c.x + side * 6.0f, c.y - 5.2f + outer * 1.6f};
        TVec b{c.x + side * 8.0f, c.y - 8.2f + outer * 1.4f};
        Part(acc, SdCapsule(p, a, b, 0.7f), 0, ink, [&] { return ink; });
    }
}

// One tile at point p of the 64 x 40 picture.
TPremul TileAt(TTile kind, TVec p)
{
    TPremul acc;
    TTileLook look = LookOf(kind);
    TFace f = FaceAt(p);
    bool onFace = f.c >= 0 && f.c <= 1 && f.r >= 0 && f.r <= 1;
    float edgeY = 32 - std::fabs(p.x - 32) / 2; // the lower edges of the face
    bool onSide = !onFace && p.x >= 0 && p.x <= 64 && p.y >= edgeY && p.y <= edgeY + kTileDepth;
    if (onSide) {
        TColour side = p.x < 32 ? look.left : look.right;
        float n = ValueNoise(p.x / 5, (p.y - edgeY) / 3, 7);
        side = Shade(side, 1 - look.mottle * 0.5f + look.mottle * n);
        float down = p.y - edgeY;
        if (down > kTileDepth - 1.2f)
            side = Shade(side, 0.7f); // the bottom edge
        else if (down < 1.0f)
            side = Shade(side, 1.18f); // the lip just under the face
        if (std::fabs(p.x - 32) < 0.6f)
            side = Shade(side, 1.25f); // the front corner catches light
        PaintOver(acc, side);
        return acc;
    }
    if (!onFace)
        return acc;

    // Distance to the nearest edge, in face units (1 unit ~ 28.6 pixels).
    float edge = std::min(std::min(f.c, f.r), std::min(1 - f.c, 1 - f.r));
    float n = 0.6f * ValueNoise(f.c * 7, f.r * 7, 11) + 0.4f * ValueNoise(f.c * 17, f.r * 17, 23);
    TColour top = Shade(look.top, 1 - look.mottle * 0.5f + look.mottle * n);
    if (look.glow > 0) {
        float centre = Clamp01(1 - edge * 2); // 0 at the middle, 1 at the edges
        top = Mix(top, Rgb(255, 255, 240), look.glow * (1 - centre) * (1 - centre));
    }
    if (look.groove) {
        if (edge > 0.15f && edge < 0.185f)
            top = Shade(top, 0.78f);
        else if (edge >= 0.185f && edge < 0.215f)
            top = Shade(top, 1.1f);
    }
    // Bevel: the upper left edge is lit, the lower right edge in shade.
    const float bevel = 0.065f;
    if (f.c < bevel)
        top = Mix(Shade(top, 1.3f), Rgb(255, 255, 255), 0.15f);
    else if (f.r < bevel)
        top = Shade(top, 1.14f);
    else if (1 - f.c < bevel)
        top = Shade(top, 0.66f);
    else if (1 - f.r < bevel)
        top = Shade(top, 0.8f);
    if (kind == TTile::On && edge < 0.11f && edge > 0.06f)
        top = Mix(top, Rgb(255, 255, 255), 0.7f); // a glowing rim
    PaintOver(acc, top);

    if (kind == TTile::Goal)
        PaintGoalEmblem(acc, p);
    else if (kind == TTile::Helper)
        PaintHelperEmblem(acc, p);
    return acc;
}

// The bomb overlay, laid on a plain tile when bombs are shown: a red warning
// rim round the face and a round black bomb with a lit fuse; clear elsewhere.
TPremul BombAt(TVec p)
{
    TPremul acc;
    TFace f = FaceAt(p);
    if (f.c < 0 || f.c > 1 || f.r < 0 || f.r > 1)
        return acc;
    float edge = std::min(std::min(f.c, f.r), std::min(1 - f.c, 1 - f.r));
    if (edge < 0.09f)
        PaintOver(acc, Rgb(236, 40, 32, 0.55f * Clamp01((0.09f - edge) / 0.04f)));
    TColour ink = Rgb(12, 10, 16);
    TVec c{30.5f, 18.0f};
    const float radius = 7.5f;
    // Its shadow on the floor.
    float shadow = SdEllipse(p, {c.x + 2, c.y + 6.5f}, 9, 3.2f);
    if (shadow < 0)
        PaintOver(acc, Rgb(0, 0, 0, 0.35f));
    // A thin light rim first, so the dark bomb stands off any floor.
    Part(acc, SdCircle(p, c, radius + 1.0f), 0.8f, Rgb(255, 236, 200, 0.9f), [] { return Rgb(255, 236, 200, 0.9f); });
    Part(acc, SdCircle(p, c, radius), 0, ink, [&] {
        return LightRound(Rgb(70, 72, 92), (p - c) * (1 / radius), 0.8f);
    });
    Part(acc, SdEllipse(p, {c.x - 2.6f, c.y - 3.0f}, 2.0f, 1.3f), 0, ink, [] { return Rgb(230, 232, 250); });
    // The collar and the fuse towards the upper right.
    TVec collar{c.x + 4.9f, c.y - 5.1f};
    Part(acc, SdRoundBox(p, collar, {1.9f, 1.9f}, 0.6f), 0.8f, ink, [] { return Rgb(120, 124, 140); });
    TVec bend{c.x + 7.2f, c.y - 9.2f}, tip{c.x + 9.4f, c.y - 10.2f};
    float fuse = std::min(SdCapsule(p, collar, bend, 0.75f), SdCapsule(p, bend, tip, 0.75f));
    Part(acc, fuse, 0, ink, [] { return Rgb(200, 160, 100); });
    // The spark: a yellow burst with a white heart.
    TVec d = p - tip;
    float ang = std::atan2(d.y, d.x);
    float burst = Length(d) - (2.2f + 1.3f * std::cos(ang * 8));
    Part(acc, burst, 0.7f, Rgb(230, 80, 20), [] { return Rgb(255, 210, 40); });
    Part(acc, SdCircle(p, tip, 1.0f), 0, ink, [] { return Rgb(255, 255, 230); });
    return acc;
}

// -------------------------------------------------------------- figures ----

// Which way the figure is seen: facing is -1 for left, +1 for right; down
// means walking towards the viewer (face and shoes seen), else away (back and
// backpack seen). The 32 x 32 picture has the feet at (16, 24).
struct TPose {
    float facing = 1;
    bool down = true;
    bool softShadow = false; // smooth shadow (icon) instead of a dotted one
};

// The figure at point p of its 32 x 32 picture. Drawn in light greys with
// dark ink so the game's colour tint reads well on it.
TPremul FigureAt(const TPose& pose, TVec p)
{
    TPremul acc;
    const float fx = pose.facing;
    const float ink = 1.05f;
    const TColour inkColour = Rgb(20, 20, 30);
    const TColour cloth = Rgb(238, 238, 246);
    const TColour skin = Rgb(252, 246, 238);
    const TColour cap = Rgb(172, 180, 206);
    const TColour pack = Rgb(164, 166, 186);
    const TColour shoe = Rgb(112, 112, 130);

    // Shadow on the floor under the feet.
    float shadow = SdEllipse(p, {16, 24.2f}, 7.5f, 2.6f);
    if (shadow < 0) {
        if (pose.softShadow)
            PaintOver(acc, Rgb(0, 0, 16, 0.35f));
        else if ((static_cast<int>(std::floor(p.x)) + static_cast<int>(std::floor(p.y))) % 2 == 0)
            PaintOver(acc, inkColour);
    }

    TVec bodyC{16, 17.6f};
    const float bodyR = 5.3f;
    TVec headC{16 + fx * 0.5f, 8.9f};
    const float headR = 6.4f;
    auto body = [&] {
        Part(acc, SdEllipse(p, bodyC, bodyR, 5.1f), ink, inkColour,
             [&] { return LightRound(cloth, {(p.x - bodyC.x) / bodyR, (p.y - bodyC.y) / 5.1f}, 0.3f); });
    };
    auto feet = [&](float y) {
        for (int side = -1; side <= 1; side += 2) {
            // The foot on the facing side is a little ahead of the other.
            bool lead = side == static_cast<int>(fx);
            TVec c{16 + side * 2.7f + fx * 1.1f, y + (lead == pose.down ? 0.5f : -0.3f)};
            Part(acc, SdEllipse(p, c, 2.5f, 1.6f), ink, inkColour,
                 [&] { return LightRound(shoe, {(p.x - c.x) / 2.5f, (p.y - c.y) / 1.6f}, 0.35f); });
        }
    };
    auto arm = [&](float side, float swing) {
        TVec shoulder{16 + side * 4.2f, 14.6f};
        TVec hand{16 + side * 6.0f + swing, 19.2f};
        Part(acc, SdCapsule(p, shoulder, hand, 1.45f), ink, inkColour, [&] { return Shade(cloth, 0.9f); });
        Part(acc, SdCircle(p, hand, 1.55f), ink, inkColour, [&] { return skin; });
    };
    auto head = [&] {
        Part(acc, SdCircle(p, headC, headR), ink, inkColour,
             [&] { return LightRound(skin, (p - headC) * (1 / headR), 0.28f); });
    };
    // The cap's crown: the head's top down to `line`, with a button on top.
    auto crown = [&](float line) {
        float sd = std::max(SdCircle(p, headC, headR + 0.2f), p.y - line);
        Part(acc, sd, ink, inkColour,
             [&] { return LightRound(cap, (p - headC) * (1 / (headR + 0.2f)), 0.35f); });
        Part(acc, SdCircle(p, {headC.x - fx * 0.3f, headC.y - headR - 0.1f}, 1.0f), 0.8f, inkColour,
             [&] { return Shade(cap, 1.1f); });
    };
    auto brim = [&](TVec c) {
        Part(acc, SdEllipse(p, c, 4.3f, 1.45f), ink, inkColour, [&] { return Shade(cap, 0.85f); });
    };

    if (pose.down) {
        // Backpack peeking out behind, on the side away from the way we go.
        TVec packC{16 - fx * 4.8f, 16.4f};
        Part(acc, SdRoundBox(p, packC, {2.6f, 3.8f}, 1.4f), ink, inkColour, [&] { return pack; });
        arm(-fx, -fx * 0.3f);
        body();
        // A strap over the near shoulder.
        Part(acc, SdCapsule(p, {16 - fx * 2.6f, 13.2f}, {16 - fx * 3.3f, 20.0f}, 0.75f), 0, inkColour,
             [&] { return Shade(pack, 0.9f); });
        feet(23.0f);
        arm(fx, fx * 0.6f);
        head();
        crown(5.6f);
        brim({headC.x + fx * 4.6f, 6.1f});
        // Eyes on the side the figure faces, the far one a little narrower.
        float eyeY = 9.9f;
        Part(acc, SdEllipse(p, {headC.x + fx * 3.1f, eyeY}, 0.8f, 1.35f), 0, inkColour, [&] { return inkColour; });
        Part(acc, SdEllipse(p, {headC.x - fx * 0.4f, eyeY}, 0.95f, 1.4f), 0, inkColour, [&] { return inkColour; });
        // A small smile under them.
        TVec m{headC.x + fx * 1.4f, 12.6f};
        float smile = std::max(std::fabs(SdCircle(p, {m.x, m.y - 1.6f}, 1.8f)) - 0.45f, m.y - 0.9f - p.y);
        Part(acc, smile, 0, inkColour, [&] { return inkColour; });
    } else {
        feet(22.8f);
        // The brim points away from us, so it shows behind the head.
        brim({headC.x + fx * 5.0f, 4.9f});
        arm(-fx, fx * 0.4f);
        arm(fx, -fx * 0.2f);
        body();
        // The backpack, seen from behind, with its straps, flap and buckle.
        TVec packC{16 - fx * 0.4f, 17.6f};
        for (int side = -1; side <= 1; side += 2)
            Part(acc, SdCapsule(p, {packC.x + side * 2.6f, 14.0f}, {16 + side * 3.4f, 12.4f}, 0.8f), 0.8f,
                 inkColour, [&] { return Shade(pack, 0.9f); });
        Part(acc, SdRoundBox(p, packC, {4.3f, 4.3f}, 1.7f), ink, inkColour,
             [&] { return LightRound(pack, {(p.x - packC.x) / 5.0f, (p.y - packC.y) / 5.0f}, 0.3f); });
        Part(acc, SdCapsule(p, {packC.x - 3.4f, 15.8f}, {packC.x + 3.4f, 15.8f}, 0.45f), 0, inkColour,
             [&] { return inkColour; });
        Part(acc, SdRoundBox(p, {packC.x, 16.8f}, {1.1f, 0.8f}, 0.4f), 0, inkColour,
             [&] { return Shade(pack, 1.35f); });
        // Ears stick out either side of the back of the head.
        for (int side = -1; side <= 1; side += 2) {
            TVec ear{headC.x + side * 6.4f, 10.6f};
            Part(acc, SdEllipse(p, ear, 1.6f, 2.0f), ink, inkColour, [&] { return Shade(skin, 0.92f); });
        }
        // The back of the head: hair under the cap.
        Part(acc, SdCircle(p, headC, headR), ink, inkColour,
             [&] { return LightRound(Rgb(236, 230, 222), (p - headC) * (1 / headR), 0.3f); });
        Part(acc, SdCapsule(p, {headC.x - 1.2f, 13.3f}, {headC.x + 1.2f, 13.3f}, 0.35f), 0, inkColour,
             [&] { return Shade(skin, 0.75f); });
        crown(8.6f);
    }
    return acc;
}

// ----------------------------------------------------------------- icon ----

// The launcher icon in a 64 x 64 unit square: the figure, tinted, standing on
// the lit cell, drawn larger than in the game so it reads when small.
TPremul IconAt(TVec p)
{
    TPremul acc;
    const TVec tileAt{0, 22};
    PaintOver(acc, TileAt(TTile::On, p - tileAt));
    const float scale = 1.55f;
    const TVec feet{32, tileAt.y + 16};
    TVec q = (p - feet) * (1 / scale) + TVec{16, 24};
    TPose pose{1, true, true};
    TPremul fig = FigureAt(pose, q);
    fig.r *= 200 / 255.0f;
    fig.g *= 160 / 255.0f;
    fig.b *= 240 / 255.0f;
    PaintOver(acc, fig);
    return acc;
}

// ---------------------------------------------------------------- files ----

// Where libpng reports a problem before it jumps back to WritePng.
struct TPngError {
    std::jmp_buf jump;
    char message[200];
};

void OnPngError(png_structp png, png_const_charp msg)
{
    auto* err = static_cast<TPngError*>(png_get_error_ptr(png));
    std::snprintf(err->message, sizeof err->message, "%s", msg);
    std::longjmp(err->jump, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Writes 8-bit RGB or RGBA pixels (rows top to bottom) as a PNG. Returns an
// empty string, or what went wrong.
std::string WritePng(const std::string& path, int w, int h, bool alpha, const std::vector<uint8_t>& pixels)
{
    const int channels = alpha ? 4 : 3;
    if (pixels.size() != static_cast<size_t>(w) * h * channels)
        return "wrong pixel count";
    std::vector<png_bytep> rows(h);
    for (int y = 0; y < h; y++)
        rows[y] = const_cast<png_bytep>(pixels.data() + static_cast<size_t>(y) * w * channels);
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return std::strerror(errno);
    static TPngError err; // outlives the jump; only ever one PNG in progress
    err.message[0] = 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &err, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(fp);
        return "libpng: out of memory";
    }
    if (setjmp(err.jump)) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return std::string("libpng: ") + err.message;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, w, h, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool flushed = std::fflush(fp) == 0 && !std::ferror(fp);
    if (std::fclose(fp) != 0 || !flushed)
        return "cannot finish writing";
    return {};
}

// ---------------------------------------------------------------- music ----
// The main theme: 16 bars of 4/4 at 120 beats a minute in A minor, 32 s,
// Am F C G | Am F Dm E | F G Em Am | Dm G E E, with a bass line, a soft pad, a
// bell arpeggio, a lead tune with an echo, and light drums. Every note and
// the echo die away inside the loop and every note starts from zero, so the
// end meets the start on silence: the loop has no seam and no click.

constexpr int kRate = 44100;
constexpr float kBeat = 0.5f;
constexpr int kBarCount = 16;
constexpr int kLoop = static_cast<int>(kBarCount * 4 * kBeat * kRate);

// The sound being built: left, right, and the echo's input.
struct TMix {
    std::vector<float> left = std::vector<float>(kLoop), right = std::vector<float>(kLoop),
                       echo = std::vector<float>(kLoop);
};

float Hz(int midi) { return 440.0f * std::pow(2.0f, (midi - 69) / 12.0f); }

// Adds one note to the mix: `voice(t)` gives its sample at t seconds after
// its start, for `length` seconds; pan -1 left .. +1 right; `send` goes to the
// echo. Positions wrap round the loop.
template <class FVoice>
void AddNote(TMix& mix, float start, float length, float pan, float gain, float send, FVoice voice)
{
    float gl = std::cos((pan + 1) * kPi / 4) * gain, gr = std::sin((pan + 1) * kPi / 4) * gain;
    int first = static_cast<int>(std::lround(start * kRate));
    int count = static_cast<int>(length * kRate);
    for (int i = 0; i < count; i++) {
        float v = voice(static_cast<float>(i) / kRate);
        size_t at = static_cast<size_t>((first + i) % kLoop);
        mix.left[at] += v * gl;
        mix.right[at] += v * gr;
        mix.echo[at] += v * gain * send;
    }
}

// Attack, decay to a sustain level, then a straight release after the gate
// that ends at exactly zero, so no note clicks off.
float Envelope(float t, float attack, float decay, float sustain, float gate, float release)
{
    float e = t < attack ? t / attack : sustain + (1 - sustain) * std::exp(-(t - attack) / decay);
    if (t > gate)
        e *= std::max(0.0f, 1 - (t - gate) / release);
    return e;
}

// The step a sawtooth takes at its wrap, smoothed so it does not alias.
float PolyBlep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

// A 32-bit xorshift generator with a fixed seed: the drums' noise.
struct TNoise {
    uint32_t state;
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
};

// Pad: two slightly detuned saws through a gentle low-pass, one each side.
void AddPad(TMix& mix, int midi, float start, float gate)
{
    const float release = 0.5f;
    for (int side = -1; side <= 1; side += 2) {
        float f = Hz(midi) * std::pow(2.0f, side * 7 / 1200.0f);
        float phase = side < 0 ? 0.0f : 0.37f, low1 = 0, low2 = 0;
        const float k = 1 - std::exp(-2 * kPi * 1500.0f / kRate);
        AddNote(mix, start, gate + release, side * 0.45f, 0.05f, 0.0f, [=](float t) mutable {
            float dt = f / kRate;
            float saw = 2 * phase - 1 - PolyBlep(phase, dt);
            phase += dt;
            if (phase >= 1)
                phase -= 1;
            low1 += (saw - low1) * k;
            low2 += (low1 - low2) * k;
            return low2 * Envelope(t, 0.3f, 1.0f, 1.0f, gate, release);
        });
    }
}

// Bass: a warm plucked tone, a sine with a little of its 2nd and 3rd harmonics.
void AddBass(TMix& mix, int midi, float start, float gate, float velocity)
{
    float w = 2 * kPi * Hz(midi);
    AddNote(mix, start, gate + 0.04f, 0.0f, 0.26f * velocity, 0.0f, [=](float t) {
        float s = std::sin(w * t) + 0.35f * std::sin(2 * w * t) + 0.12f * std::sin(3 * w * t);
        return s * Envelope(t, 0.004f, 0.22f, 0.25f, gate, 0.04f);
    });
}

// Arpeggio: a short FM bell.
void AddBell(TMix& mix, int midi, float start, float pan, float velocity)
{
    float w = 2 * kPi * Hz(midi);
    const float length = 0.34f;
    AddNote(mix, start, length, pan, 0.075f * velocity, 0.35f, [=](float t) {
        float index = 1.3f * std::exp(-t / 0.09f);
        float s = std::sin(w * t + index * std::sin(2 * w * t));
        return s * std::exp(-t / 0.16f) * std::min(1.0f, t / 0.002f) * std::min(1.0f, (length - t) / 0.03f);
    });
}

// Lead: a soft triangle with a sine an octave up and a late, gentle vibrato.
void AddLead(TMix& mix, int midi, float start, float gate)
{
    float f = Hz(midi);
    float phase = 0, phase2 = 0;
    const float release = 0.12f;
    AddNote(mix, start, gate + release, 0.1f, 0.12f, 0.5f, [=](float t) mutable {
        float vib = 1 + 0.004f * Clamp01((t - 0.25f) / 0.3f) * std::sin(2 * kPi * 5.2f * t);
        phase += f * vib / kRate;
        phase -= std::floor(phase);
        phase2 += 2 * f * vib / kRate;
        phase2 -= std::floor(phase2);
        float tri = 1 - 4 * std::fabs(phase - 0.5f);
        float s = tri + 0.25f * std::sin(2 * kPi * phase2);
        return s * Envelope(t, 0.02f, 0.25f, 0.7f, gate, release);
    });
}

// Kick: a sine falling from 140 to 48 Hz.
void AddKick(TMix& mix, float start, float velocity)
{
    float phase = 0;
    const float length = 0.3f;
    AddNote(mix, start, length, 0.0f, 0.42f * velocity, 0.0f, [=](float t) mutable {
        float f = 48 + 92 * std::exp(-t / 0.035f);
        float s = std::sin(phase);
        phase += 2 * kPi * f / kRate;
        return s * std::exp(-t / 0.12f) * std::min(1.0f, t / 0.001f) * std::min(1.0f, (length - t) / 0.05f);
    });
}

// Snare: a noise burst with a short tone under it.
void AddSnare(TMix& mix, float start, float velocity, uint32_t seed)
{
    TNoise noise{seed};
    float low = 0, prev = 0;
    const float length = 0.2f;
    AddNote(mix, start, length, -0.1f, 0.12f * velocity, 0.0f, [=](float t) mutable {
        float n = noise.Next();
        low += (n - low) * 0.45f;
        float band = low - prev;
        prev = low;
        float s = 1.6f * band * std::exp(-t / 0.06f) + 0.5f * std::sin(2 * kPi * 185 * t) * std::exp(-t / 0.04f);
        return s * std::min(1.0f, t / 0.001f) * std::min(1.0f, (length - t) / 0.08f);
    });
}

// Hi-hat: a tick of high noise.
void AddHat(TMix& mix, float start, float velocity, uint32_t seed)
{
    TNoise noise{seed};
    float prev = 0;
    const float length = 0.06f;
    AddNote(mix, start, length, 0.3f, 0.05f * velocity, 0.0f, [=](float t) mutable {
        float n = noise.Next();
        float high = n - prev;
        prev = n;
        return high * std::exp(-t / 0.018f) * std::min(1.0f, t / 0.0005f) * std::min(1.0f, (length - t) / 0.02f);
    });
}

// One bar's harmony: the bass root and the pad's three notes.
struct TChord {
    int root;
    std::array<int, 3> pad;
};

// A note of the tune: bar, beat in the bar, length in beats, pitch.
struct TTuneNote {
    int bar;
    float beat, beats;
    int midi;
};

// Composes and mixes the whole loop into stereo samples in -1..1.
void ComposeTheme(std::vector<float>& left, std::vector<float>& right)
{
    const TChord am{45, {57, 60, 64}}, f{41, {57, 60, 65}}, c{48, {55, 60, 64}}, g{43, {55, 59, 62}},
        dm{50, {57, 62, 65}}, e{40, {56, 59, 64}}, em{40, {55, 59, 64}};
    const std::array<TChord, kBarCount> chords{am, f, c, g, am, f, dm, e, f, g, em, am, dm, g, e, e};
    const TTuneNote tune[] = {
        {0, 0, 1.5f, 76}, {0, 1.5f, 0.5f, 74}, {0, 2, 1, 72}, {0, 3, 1, 76},
        {1, 0, 1.5f, 77}, {1, 1.5f, 0.5f, 76}, {1, 2, 2, 72},
        {2, 0, 1, 79}, {2, 1, 1, 76}, {2, 2, 1, 72}, {2, 3, 1, 76},
        {3, 0, 2.5f, 74}, {3, 2.5f, 0.5f, 71}, {3, 3, 1, 74},
        {4, 0, 1, 72}, {4, 1, 1, 76}, {4, 2, 1.5f, 81}, {4, 3.5f, 0.5f, 79},
        {5, 0, 1, 77}, {5, 1, 0.5f, 76}, {5, 1.5f, 0.5f, 74}, {5, 2, 2, 72},
        {6, 0, 1, 74}, {6, 1, 1, 77}, {6, 2, 1, 81}, {6, 3, 1, 77},
        {7, 0, 3, 76}, {7, 3, 1, 71},
        {8, 0, 1.5f, 81}, {8, 1.5f, 0.5f, 79}, {8, 2, 1, 77}, {8, 3, 1, 76},
        {9, 0, 1.5f, 74}, {9, 1.5f, 0.5f, 76}, {9, 2, 2, 79},
        {10, 0, 1, 71}, {10, 1, 1, 76}, {10, 2, 1, 79}, {10, 3, 1, 76},
        {11, 0, 2, 81}, {11, 2, 1, 76}, {11, 3, 1, 72},
        {12, 0, 1.5f, 74}, {12, 1.5f, 0.5f, 76}, {12, 2, 1, 77}, {12, 3, 1, 81},
        {13, 0, 1, 79}, {13, 1, 0.5f, 77}, {13, 1.5f, 0.5f, 76}, {13, 2, 2, 74},
        {14, 0, 1, 76}, {14, 1, 1, 71}, {14, 2, 1, 68}, {14, 3, 1, 71},
        {15, 0, 2.5f, 76},
    };
    const float barTime = 4 * kBeat;
    const float loopTime = kBarCount * barTime;
    TMix mix;

    // Pad: one chord per run of equal bars, its release over before the loop ends.
    for (int bar = 0; bar < kBarCount;) {
        int run = 1;
        while (bar + run < kBarCount && chords[bar + run].root == chords[bar].root &&
               chords[bar + run].pad == chords[bar].pad)
            run++;
        float start = bar * barTime;
        float gate = run * barTime;
        if (bar + run == kBarCount)
            gate = loopTime - start - 0.6f;
        for (int note : chords[bar].pad)
            AddPad(mix, note, start, gate);
        bar += run;
    }

    // Bass: eighths of root, octave and fifth.
    const int bassStep[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    const float bassVel[8] = {1.0f, 0.55f, 0.8f, 0.65f, 0.8f, 0.55f, 0.8f, 0.65f};
    for (int bar = 0; bar < kBarCount; bar++)
        for (int i = 0; i < 8; i++)
            AddBass(mix, chords[bar].root + bassStep[i], bar * barTime + i * kBeat / 2, 0.19f, bassVel[i]);

    // Bells: sixteenths over the chord an octave up, resting in the last beat.
    const int arpStep[16] = {0, 1, 2, 3, 1, 2, 3, 2, 0, 1, 2, 3, 2, 3, 1, 2};
    for (int bar = 0; bar < kBarCount; bar++)
        for (int i = 0; i < 16; i++) {
            if (bar == kBarCount - 1 && i >= 12)
                break;
            const auto& pad = chords[bar].pad;
            int note = arpStep[i] < 3 ? pad[arpStep[i]] + 12 : pad[0] + 24;
            float vel = (i % 4 == 0) ? 1.0f : 0.7f;
            AddBell(mix, note, bar * barTime + i * kBeat / 4, (i % 2 == 0) ? -0.5f : 0.5f, vel);
        }

    // The tune.
    for (const TTuneNote& n : tune)
        AddLead(mix, n.midi, n.bar * barTime + n.beat * kBeat, n.beats * kBeat - 0.06f);

    // Drums: kick on 1 and 3, snare on 2 and 4, hats on the eighths, and a
    // little snare run at the end of every fourth bar.
    uint32_t seed = 0x2545F491u;
    for (int bar = 0; bar < kBarCount; bar++) {
        float t = bar * barTime;
        AddKick(mix, t, 1.0f);
        AddKick(mix, t + 2 * kBeat, 0.9f);
        if (bar % 4 == 3 && bar != kBarCount - 1)
            AddKick(mix, t + 3.5f * kBeat, 0.6f); // not in the last bar: it would ring past the loop
        AddSnare(mix, t + kBeat, 1.0f, seed++);
        bool fill = bar % 4 == 3;
        if (fill) {
            AddSnare(mix, t + 3 * kBeat, 0.7f, seed++);
            AddSnare(mix, t + 3.25f * kBeat, 0.8f, seed++);
            AddSnare(mix, t + 3.5f * kBeat, 0.9f, seed++);
        } else {
            AddSnare(mix, t + 3 * kBeat, 1.0f, seed++);
        }
        for (int i = 0; i < 8; i++) {
            if (fill && i >= 6)
                break;
            AddHat(mix, t + i * kBeat / 2, (i % 2) ? 1.0f : 0.5f, seed++);
        }
    }

    // Echo: a dotted-eighth ping-pong. Its return fades out over the last
    // beat, while the other parts are already quiet, so the loop ends on
    // silence and starts again from silence.
    const size_t delay = static_cast<size_t>(0.75f * kBeat * kRate);
    const size_t fadeFrom = static_cast<size_t>(kLoop - kBeat * kRate);
    std::vector<float> lineL(delay), lineR(delay);
    size_t at = 0;
    for (size_t i = 0; i < static_cast<size_t>(kLoop); i++) {
        float outL = lineL[at], outR = lineR[at];
        lineL[at] = mix.echo[i] + 0.4f * outR;
        lineR[at] = 0.4f * outL;
        at = (at + 1) % delay;
        float wet = 0.45f;
        if (i >= fadeFrom)
            wet *= 0.5f + 0.5f * std::cos(kPi * (i - fadeFrom) / (kLoop - 1 - fadeFrom));
        mix.left[i] += wet * outL;
        mix.right[i] += wet * outR;
    }

    float peak = 1e-6f;
    for (size_t i = 0; i < static_cast<size_t>(kLoop); i++)
        peak = std::max(peak, std::max(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
    float gain = 0.89f / peak;
    left.resize(kLoop);
    right.resize(kLoop);
    for (size_t i = 0; i < static_cast<size_t>(kLoop); i++) {
        left[i] = mix.left[i] * gain;
        right[i] = mix.right[i] * gain;
    }
}

// Writes one finished Ogg page; false when the disk refuses.
bool WritePage(std::FILE* fp, const ogg_page& page)
{
    return std::fwrite(page.header, 1, page.header_len, fp) == static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, fp) == static_cast<size_t>(page.body_len);
}

// Encodes stereo samples as Ogg Vorbis (quality 0.3). Returns an empty string
// or what went wrong.
std::string WriteOgg(const std::string& path, const std::vector<float>& left, const std::vector<float>& right)
{
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp)
        return std::strerror(errno);
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, 0.3f) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(fp);
        return "libvorbisenc refuses 44100 Hz stereo at quality 0.3";
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "ZEP main theme");
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x5A455031); // a fixed serial number keeps the bytes the same
    bool ok = true;

    ogg_packet header, comments, books;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &books);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &books);
    ogg_page page;
    while (ok && ogg_stream_flush(&os, &page) != 0)
        ok = WritePage(fp, page);

    // Hands the encoder what it has buffered and writes the pages it makes.
    auto drain = [&] {
        ogg_packet packet;
        while (ok && vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (ok && vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ok && ogg_stream_pageout(&os, &page) != 0)
                    ok = WritePage(fp, page);
            }
        }
    };
    const size_t chunk = 4096;
    for (size_t at = 0; ok && at < left.size(); at += chunk) {
        size_t n = std::min(chunk, left.size() - at);
        float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        std::memcpy(buffer[0], left.data() + at, n * sizeof(float));
        std::memcpy(buffer[1], right.data() + at, n * sizeof(float));
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ok && ogg_stream_flush(&os, &page) != 0)
        ok = WritePage(fp, page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    bool flushed = std::fflush(fp) == 0 && !std::ferror(fp);
    if (std::fclose(fp) != 0 || !ok || !flushed)
        return "cannot finish writing";
    return {};
}

// Prints the one failure line and gives the exit status for it.
int Fail(const std::string& file, const std::string& problem)
{
    std::fprintf(stderr, "zep-gen-assets: %s: %s\n", file.c_str(), problem.c_str());
    return 1;
}

// Makes a folder and its parents; empty string or what went wrong.
std::string MakeFolder(const std::filesystem::path& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        return ec.message();
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return Fail("OUTDIR", "usage: zep-gen-assets OUTDIR");
    const std::filesystem::path out = argv[1];
    const std::filesystem::path images = out / "Images";
    if (std::string e = MakeFolder(images); !e.empty())
        return Fail(images.string(), e);

    // Tiles: smooth edges, RGBA.
    struct {
        const char* name;
        TTile kind;
        bool bomb;
    } const tiles[] = {
        {"tile.png", TTile::Plain, false},   {"tileON.png", TTile::On, false},
        {"tileBOMB.png", TTile::Plain, true}, {"tileGOAL.png", TTile::Goal, false},
        {"tileSAFE.png", TTile::Safe, false}, {"tileHELPER.png", TTile::Helper, false},
    };
    for (const auto& t : tiles) {
        TImage img = Render(kTileW, kTileH, 4, [&](TVec p) { return t.bomb ? BombAt(p) : TileAt(t.kind, p); });
        std::string path = (images / t.name).string();
        if (std::string e = WritePng(path, kTileW, kTileH, true, ToRgba(img)); !e.empty())
            return Fail(path, e);
    }

    // Figures: hard edges; the two walking down are colour-keyed RGB.
    const TPose poses[4] = {{-1, true, false}, {1, true, false}, {-1, false, false}, {1, false, false}};
    for (int i = 0; i < 4; i++) {
        TImage img = Render(32, 32, 4, [&](TVec p) { return FigureAt(poses[i], p); });
        bool keyed = poses[i].down;
        std::string path = (images / ("player" + std::to_string(i + 1) + ".png")).string();
        if (std::string e = WritePng(path, 32, 32, !keyed, ToHardPixels(img, keyed)); !e.empty())
            return Fail(path, e);
    }

    // Launcher icons, drawn afresh at each size.
    for (int size : {48, 64, 128, 256}) {
        const std::string n = std::to_string(size);
        const std::filesystem::path dir = out / "icons" / "hicolor" / (n + "x" + n) / "apps";
        if (std::string e = MakeFolder(dir); !e.empty())
            return Fail(dir.string(), e);
        const float unit = 64.0f / size;
        TImage img = Render(size, size, 4, [&](TVec p) { return IconAt(p * unit); });
        std::string path = (dir / "zep.png").string();
        if (std::string e = WritePng(path, size, size, true, ToRgba(img)); !e.empty())
            return Fail(path, e);
    }

    std::vector<float> left, right;
    ComposeTheme(left, right);
    std::string oggPath = (out / "main.ogg").string();
    if (std::string e = WriteOgg(oggPath, left, right); !e.empty())
        return Fail(oggPath, e);
    return 0;
}
