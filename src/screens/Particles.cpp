// Sparks: small coloured discs that fly out from the figure and fade over
// 100 frames. The play screen throws a burst where the figure reappears
// after a death, a ring of them on stepping onto a helper cell and a few for
// each newly scored cell.
#include "game/Game.h"
#include "screens/Screens.h"

void SpawnParticles(TGame& game, int count) {
    for (int n = 0; n < count && game.particles.size() < kMaxParticles; ++n) {
        TParticle p;
        p.x = float(double(game.screenWidth / 2) + double(game.camX));
        p.y = float(double(game.screenHeight / 2) + double(game.camY));
        p.spx = float(game.random.Real(-5, 5));
        p.spy = float(game.random.Real(-5, 5));
        p.alpha = 1;
        p.r = game.random.Int(40, 255);
        p.g = game.random.Int(40, 255);
        p.b = game.random.Int(40, 255);
        p.scale = float(game.random.Real(1, 3));
        game.particles.push_back(p);
    }
}

void UpdateParticles(TGame& game, TPlatform& platform) {
    size_t kept = 0;
    for (TParticle& p : game.particles) {
        p.x = float(double(p.x) + double(p.spx));
        p.y = float(double(p.y) + double(p.spy));
        p.alpha = float(double(p.alpha) - 0.01);
        platform.SetColor(p.r, p.g, p.b);
        platform.SetAlpha(p.alpha);
        const double size = 4.0 * double(p.scale);
        platform.FillEllipse(double(p.x) - double(game.camX), double(p.y) - double(game.camY), size, size);
        platform.SetColor(255, 255, 255);
        platform.SetAlpha(1);
        if (p.alpha >= 0) game.particles[kept++] = p;
    }
    game.particles.resize(kept);
}
