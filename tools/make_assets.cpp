// Makes every picture and sound the game loads: the sprite sheet, the two title
// pictures and the three waves; and the game's icon in the sizes a desktop
// shows. Run from the repository root; it writes into data/ and data/icons/. Shapes are drawn with the library's primitives or computed pixel by
// pixel from a few lit surfaces, and every random choice comes from a fixed
// seed, so two runs write the same files.

#include <allegro.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "assets/atlas.h"
#include "core/constants.h"
#include "core/message.h"
#include "png.h"
#include "play/start.h"

namespace {

// ---------------------------------------------------------------- colours

struct Col {
    float r, g, b;
};

Col mix(Col a, Col b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Col scaled(Col a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Col plus(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

int clamp_byte(float v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

int mask_colour() { return makecol(255, 0, 255); }

// A drawn colour. Pure magenta is the mask, so a picture nudges it aside
// rather than punch a hole in itself.
int pix(Col c) {
    int r = clamp_byte(c.r), g = clamp_byte(c.g), b = clamp_byte(c.b);
    if (r == 255 && g == 0 && b == 255) g = 1;
    return makecol(r, g, b);
}

Col col_at(BITMAP *b, int x, int y) {
    int c = getpixel(b, x, y);
    return {float(getr(c)), float(getg(c)), float(getb(c))};
}

bool masked_at(BITMAP *b, int x, int y) { return getpixel(b, x, y) == mask_colour(); }

// Follows a list of colour stops spread evenly over 0..1.
Col ramp(const std::vector<Col> &stops, float t) {
    t = std::clamp(t, 0.0f, 1.0f) * float(stops.size() - 1);
    size_t i = std::min(stops.size() - 2, size_t(t));
    return mix(stops[i], stops[i + 1], t - float(i));
}

BITMAP *blank(int w, int h) {
    BITMAP *b = create_bitmap(w, h);
    clear_to_color(b, mask_colour());
    return b;
}

// ---------------------------------------------------------------- noise

float hash01(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xffff) / 65535.0f;
}

float smooth_noise(float x, float y, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - float(ix), fy = y - float(iy);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    float c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Billowy noise in 0..1, for fire, smoke and planet bands.
float billow(float x, float y, uint32_t seed) {
    return 0.55f * smooth_noise(x / 5, y / 5, seed) + 0.3f * smooth_noise(x / 2.5f, y / 2.5f, seed + 7) +
           0.15f * smooth_noise(x, y, seed + 13);
}

// ---------------------------------------------------------------- lit shapes

// Light falls from the upper left and a little in front, as on most arcade art.
constexpr float LX = -0.45f, LY = -0.62f, LZ = 0.64f;

// The colour of a surface point with normal (nx, ny, nz), with a highlight.
Col lit(Col base, float nx, float ny, float nz, float shine) {
    float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= len;
    ny /= len;
    nz /= len;
    float d = std::max(0.0f, nx * LX + ny * LY + nz * LZ);
    float rz = 2 * d * nz - LZ;  // the reflected light towards the viewer
    float s = shine * std::pow(std::max(0.0f, rz), 18.0f);
    return plus(scaled(base, 0.28f + 0.85f * d), {255 * s, 255 * s, 255 * s});
}

// A lit dome or egg.
void ellipsoid(BITMAP *b, float cx, float cy, float rx, float ry, Col base, float shine = 0.6f) {
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry, q = u * u + v * v;
            if (q > 1) continue;
            putpixel(b, x, y, pix(lit(base, u, v, std::sqrt(1 - q) + 0.15f, shine)));
        }
}

// A lit rod from (x0, y0) to (x1, y1) with flat ends.
void rod(BITMAP *b, float x0, float y0, float x1, float y1, float radius, Col base, float shine = 0.5f) {
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy, len = std::sqrt(len2);
    float px = -dy / len, py = dx / len;  // unit normal across the rod
    int lo_x = int(std::min(x0, x1) - radius) - 1, hi_x = int(std::max(x0, x1) + radius) + 1;
    int lo_y = int(std::min(y0, y1) - radius) - 1, hi_y = int(std::max(y0, y1) + radius) + 1;
    for (int y = lo_y; y <= hi_y; ++y)
        for (int x = lo_x; x <= hi_x; ++x) {
            float ax = x + 0.5f - x0, ay = y + 0.5f - y0;
            float t = (ax * dx + ay * dy) / len2;
            if (t < 0 || t > 1) continue;
            float s = (ax * px + ay * py) / radius;
            if (s < -1 || s > 1) continue;
            putpixel(b, x, y, pix(lit(base, px * s, py * s, std::sqrt(1 - s * s) + 0.1f, shine)));
        }
}

// A plate with bevelled edges, raised (lit top-left) or sunk (lit bottom-right).
void bevel_box(BITMAP *b, int x, int y, int w, int h, Col face, int depth, bool raised) {
    Col light = mix(face, {255, 255, 255}, 0.45f), dark = scaled(face, 0.45f);
    if (!raised) std::swap(light, dark);
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) {
            int l = xx - x, t = yy - y, r = x + w - 1 - xx, bo = y + h - 1 - yy;
            int m = std::min(std::min(l, t), std::min(r, bo));
            Col c = face;
            if (m < depth) c = (l == m || t == m) && !(r == m || bo == m) ? light : (r == m || bo == m) ? dark : light;
            putpixel(b, xx, yy, pix(c));
        }
}

// A dark rim around everything drawn, so sprites stay readable over blocks.
void outline(BITMAP *b, Col rim) {
    std::vector<std::pair<int, int>> edge;
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) {
            if (!masked_at(b, x, y)) continue;
            const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k)
                if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < b->w && ny[k] < b->h && !masked_at(b, nx[k], ny[k])) {
                    edge.push_back({x, y});
                    break;
                }
        }
    for (auto [x, y] : edge) putpixel(b, x, y, pix(rim));
}

// ---------------------------------------------------------------- fire

const std::vector<Col> FIRE = {{40, 6, 4}, {150, 24, 8}, {235, 96, 18}, {255, 196, 50}, {255, 250, 215}};
const std::vector<Col> SMOKE = {{44, 42, 48}, {84, 80, 86}, {128, 122, 122}};

// One moment of a fireball around (cx, cy). heat lights the core, smoke turns
// the cool parts grey, and hollow burns the middle out as it spreads.
void fireball(BITMAP *b, float cx, float cy, float radius, float heat, float smoke, float hollow, uint32_t seed) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy, d = std::sqrt(dx * dx + dy * dy) / radius;
            float n = billow(x * 1.4f, y * 1.4f, seed);
            float v = 1 - d + (n - 0.5f) * 0.9f;
            v -= hollow * std::max(0.0f, 1 - d * 1.25f) * (0.6f + n);
            if (v <= 0) continue;
            float h = std::clamp(v * 1.7f * heat + (n - 0.5f) * 0.25f, 0.0f, 1.0f);
            Col c = ramp(FIRE, h);
            if (smoke > 0) {
                float tear = smooth_noise(x / 3.5f, y / 3.5f, seed + 99);
                if (tear < smoke * 0.6f - 0.05f && h < 0.5f) continue;  // the cloud breaks into puffs
                c = mix(c, ramp(SMOKE, n), std::clamp(smoke * (1.2f - h), 0.0f, 1.0f));
            }
            putpixel(b, x, y, pix(c));
        }
}

// Glowing bits flung out from (cx, cy); t is the time since the blast.
void sparks(BITMAP *b, float cx, float cy, float t, int count, uint32_t seed, bool debris) {
    std::mt19937 r(seed);
    auto unit = [&] { return float(r()) / 4294967296.0f; };
    for (int i = 0; i < count; ++i) {
        float a = unit() * 6.2832f, speed = 2.0f + unit() * 2.2f;
        float x = cx + std::cos(a) * speed * t, y = cy + std::sin(a) * speed * t + 0.25f * t * t;
        Col c =
            debris ? mix(Col{90, 96, 88}, Col{40, 40, 44}, unit()) : mix(Col{255, 240, 140}, Col{255, 120, 30}, unit());
        if (debris) {
            rectfill(b, int(x), int(y), int(x) + 1, int(y) + 1, pix(c));
            putpixel(b, int(x), int(y), pix(mix(c, Col{255, 150, 60}, 0.5f)));
        } else {
            putpixel(b, int(x), int(y), pix(c));
        }
    }
}

// ---------------------------------------------------------------- sprites

const Col SHIP_HULL = {196, 204, 220}, SHIP_WING = {72, 104, 168}, SHIP_TRIM = {226, 52, 44};
const Col GLASS = {60, 170, 255};
const Col WALKER_ARMOUR = {96, 170, 84}, WALKER_DARK = {52, 70, 60}, EYE = {255, 60, 40};
const Col STEEL = {84, 90, 104}, TURRET_DOME = {196, 60, 48};
const Col RIM = {10, 12, 22};

// The player's ship, nose up on the middle line, engines at the bottom. flame is
// the length of the exhaust below the nozzles; 0 shows only their glow.
void draw_ship(BITMAP *b, int flame) {
    const float mid = 16.0f;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float px = x + 0.5f, py = y + 0.5f, u = std::fabs(px - mid), side = px < mid ? -1.0f : 1.0f;
            // Swept wings behind the cockpit, with a red stripe near the tips.
            float lead = 4 + (py - 13) * 1.05f;
            if (py > 13 && py < 28 && u > 3.5f && u < std::min(lead, 13.5f)) {
                Col c = SHIP_WING;
                if (u > 10.5f && u < 12) c = SHIP_TRIM;
                c = scaled(c, 1.05f - 0.02f * (py - 13) + (side < 0 ? 0.12f : -0.08f));
                if (py > 26.5f) c = scaled(c, 0.6f);
                putpixel(b, x, y, pix(c));
            }
        }
    // Wing-tip cannons.
    for (float s : {-1.0f, 1.0f}) rod(b, mid + s * 13.0f, 14, mid + s * 13.0f, 27, 1.4f, SHIP_TRIM, 0.7f);
    // The hull: a long rounded body, pointed at the front.
    for (int y = 1; y < 31; ++y)
        for (int x = 0; x < 32; ++x) {
            float px = x + 0.5f, py = y + 0.5f, u = px - mid;
            float hw = py < 12 ? 0.6f + (py - 1) * 0.36f : py < 26 ? 4.6f : 4.6f - (py - 26) * 0.35f;
            if (std::fabs(u) > hw) continue;
            float s = u / hw;
            Col c = lit(SHIP_HULL, s * 0.9f, -0.25f, std::sqrt(std::max(0.0f, 1 - s * s)) + 0.2f, 0.45f);
            if (py > 18 && py < 20) c = scaled(c, 0.55f);  // a panel line
            putpixel(b, x, y, pix(c));
        }
    ellipsoid(b, mid, 12.5f, 2.3f, 4.6f, GLASS, 0.9f);  // cockpit
    // Two nozzles and what comes out of them.
    for (float s : {-1.0f, 1.0f}) {
        float nx = mid + s * 2.6f;
        rectfill(b, int(nx - 1.5f), 29, int(nx + 0.5f), 31, pix({58, 60, 70}));
        putpixel(b, int(nx - 1.0f), 31, pix({255, 140, 60}));
        putpixel(b, int(nx), 31, pix({255, 140, 60}));
        for (int k = 0; k < flame; ++k) {
            float t = float(k) / float(std::max(flame, 1));
            Col c = ramp({{255, 255, 230}, {255, 220, 90}, {255, 130, 30}, {200, 40, 20}}, t);
            int half = t < 0.5f ? 1 : 0;
            hline(b, int(nx - 0.5f) - half, 32 + k, int(nx - 0.5f) + 1 + half - (t > 0.8f ? 1 : 0), pix(c));
        }
    }
    outline(b, RIM);
}

// The walker seen from the side: an armoured pod on two striding legs. It
// walks both ways in the same picture, so it is drawn front-back symmetric.
void draw_walker_side(BITMAP *b) {
    const Col leg = {120, 128, 120};
    rod(b, 16, 20, 9, 29, 2.2f, leg);   // back thigh
    rod(b, 9, 29, 7, 36, 1.9f, leg);    // back shin
    rod(b, 16, 20, 23, 29, 2.2f, leg);  // front thigh
    rod(b, 23, 29, 25, 36, 1.9f, leg);  // front shin
    ellipsoid(b, 9, 29, 2.2f, 2.2f, WALKER_DARK);
    ellipsoid(b, 23, 29, 2.2f, 2.2f, WALKER_DARK);
    rectfill(b, 3, 36, 11, 38, pix({70, 76, 72}));  // feet
    rectfill(b, 21, 36, 29, 38, pix({70, 76, 72}));
    hline(b, 3, 36, 11, pix({150, 158, 150}));
    hline(b, 21, 36, 29, pix({150, 158, 150}));
    ellipsoid(b, 16, 20, 3.2f, 3.2f, WALKER_DARK);  // hip
    vline(b, 16, 1, 5, pix({160, 160, 170}));       // antenna
    putpixel(b, 16, 1, pix({255, 90, 70}));
    ellipsoid(b, 16, 12, 12, 7.5f, WALKER_ARMOUR, 0.7f);
    // The sensor band with its glowing eye in the middle.
    for (int x = 6; x <= 25; ++x) {
        float e = 1 - std::fabs(x + 0.5f - 16) / 10;
        Col c = mix(Col{30, 10, 10}, EYE, e * e);
        vline(b, x, 11, 13, pix(c));
    }
    putpixel(b, 15, 12, pix({255, 220, 180}));
    putpixel(b, 16, 12, pix({255, 220, 180}));
    rod(b, 16, 18, 16, 23, 1.3f, {90, 90, 100});  // chin gun
    outline(b, RIM);
}

// The walker face on, walking down the screen towards the ship.
void draw_walker_front(BITMAP *b) {
    const Col leg = {120, 128, 120};
    for (float s : {-1.0f, 1.0f}) {
        float lx = 16 + s * 5.5f;
        rod(b, lx, 19, lx, 28, 2.3f, leg);
        rod(b, lx, 28, lx, 35, 2.0f, leg);
        ellipsoid(b, lx, 28, 2.4f, 2.2f, WALKER_DARK);
        rectfill(b, int(lx) - 4, 36, int(lx) + 3, 38, pix({70, 76, 72}));
        hline(b, int(lx) - 4, 36, int(lx) + 3, pix({150, 158, 150}));
        rod(b, 16 + s * 12.5f, 9, 16 + s * 12.5f, 19, 1.6f, {96, 96, 108});  // shoulder guns
    }
    vline(b, 16, 1, 5, pix({160, 160, 170}));
    putpixel(b, 16, 1, pix({255, 90, 70}));
    ellipsoid(b, 16, 12, 11.5f, 8, WALKER_ARMOUR, 0.7f);
    ellipsoid(b, 16, 12, 4, 3.4f, {40, 12, 12}, 0.0f);  // eye socket
    ellipsoid(b, 16, 12, 2.8f, 2.4f, EYE, 1.0f);
    rod(b, 16, 18, 16, 23, 1.3f, {90, 90, 100});
    outline(b, RIM);
}

// A gun emplacement: an armoured octagon with a dome and a barrel that leans
// towards its right-hand side, down, the way its shots fly.
void draw_turret(BITMAP *b) {
    const int cut = 7;
    for (int y = 1; y < 31; ++y)
        for (int x = 1; x < 31; ++x) {
            int l = x - 1, t = y - 1, r = 30 - x, bo = 30 - y;
            if (std::min(l, r) + std::min(t, bo) < cut) continue;  // the clipped corners
            int m = std::min(std::min(l, t), std::min(r, bo));
            int diag = std::min(l, r) + std::min(t, bo) - cut;
            Col c = STEEL;
            if (m < 2 || diag < 2)
                c = (l <= r && t <= bo) || (t < bo && m == t) || (l < r && m == l) ? mix(STEEL, {255, 255, 255}, 0.35f)
                                                                                   : scaled(STEEL, 0.5f);
            else if ((x + y) % 8 < 4 && (m < 5 || diag < 5))
                c = mix(STEEL, {230, 190, 40}, 0.7f);  // hazard edge
            putpixel(b, x, y, pix(c));
        }
    for (auto [bx, by] : {std::pair{6, 6}, {25, 6}, {6, 25}, {25, 25}})
        ellipsoid(b, bx, by, 1.6f, 1.6f, {170, 170, 180});
    ellipsoid(b, 13.5f, 14.5f, 7, 7, TURRET_DOME, 0.8f);
    ellipsoid(b, 11, 11.5f, 1.8f, 1.8f, {255, 200, 80}, 0.9f);      // sensor on the dome
    rod(b, 14, 16, 29.5f, 22.3f, 3.0f, {210, 214, 226}, 0.9f);      // barrel
    rod(b, 27.5f, 21.5f, 31.0f, 22.9f, 3.6f, {96, 98, 112}, 0.5f);  // muzzle
}

// A steel barrier plate with a sunk panel and warning stripes: something to
// go round, not through. Every pixel is opaque.
void draw_block(BITMAP *b) {
    bevel_box(b, 0, 0, 40, 40, {92, 98, 112}, 3, true);
    for (int y = 3; y < 37; ++y)
        for (int x = 3; x < 37; ++x) {
            Col c = col_at(b, x, y);
            putpixel(b, x, y, pix(scaled(c, 0.92f + 0.16f * hash01(x, y, 77))));  // worn metal
        }
    bevel_box(b, 8, 8, 24, 24, {60, 64, 74}, 2, false);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x) putpixel(b, x, y, pix((x + y) % 10 < 5 ? Col{236, 186, 36} : Col{30, 30, 34}));
    for (auto [rx, ry] : {std::pair{5, 5}, {34, 5}, {5, 34}, {34, 34}})
        ellipsoid(b, rx + 0.5f, ry + 0.5f, 1.8f, 1.8f, {190, 194, 204});
}

// A bright bolt, pointed at both ends: it flies up from the ship and down from walkers.
void draw_shot(BITMAP *b) {
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 5; ++x) {
            float u = (x + 0.5f - 2.5f) / 2.5f, v = (y + 0.5f - 5) / 5, q = u * u + v * v;
            if (q > 1) continue;
            putpixel(b, x, y, pix(ramp({{255, 255, 240}, {255, 230, 90}, {255, 150, 30}}, q * 1.4f)));
        }
}

// A red-hot ball.
void draw_turret_shot(BITMAP *b) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            float dx = x + 0.5f - 4, dy = y + 0.5f - 4, d = std::sqrt(dx * dx + dy * dy) / 4;
            if (d > 1) continue;
            putpixel(b, x, y, pix(ramp({{255, 255, 220}, {255, 190, 80}, {250, 70, 40}, {150, 20, 30}}, d)));
        }
}

// The editor's cursor: a hollow square with bright corners; the cell shows through.
void draw_cursor(BITMAP *b) {
    rect(b, 0, 0, 9, 9, pix({60, 230, 255}));
    for (auto [x, y] : {std::pair{0, 0}, {9, 0}, {0, 9}, {9, 9}}) {
        int sx = x ? -1 : 1, sy = y ? -1 : 1;
        putpixel(b, x, y, pix({255, 255, 255}));
        putpixel(b, x + sx, y, pix({255, 255, 255}));
        putpixel(b, x, y + sy, pix({255, 255, 255}));
        putpixel(b, x + sx, y + sy, pix({0, 70, 110}));
    }
}

// Tints everything drawn towards a colour, as when a hit flashes.
void tint(BITMAP *b, Col to, float amount) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x)
            if (!masked_at(b, x, y)) putpixel(b, x, y, pix(mix(col_at(b, x, y), to, amount)));
}

// Walker death, frame 1..12 into a frame of its own width: the hit flash, the
// pod cracking, then a burst that swells, throws debris and drifts off as smoke.
void draw_walker_death(BITMAP *b, int frame) {
    if (frame <= 2) {
        draw_walker_side(b);
        if (frame == 1) {
            tint(b, {255, 255, 255}, 0.75f);
        } else {
            tint(b, {255, 110, 40}, 0.45f);
            const int crack[][2] = {{10, 8}, {12, 10}, {13, 9}, {15, 12}, {18, 10}, {19, 13}, {21, 11}, {22, 14}};
            for (auto [x, y] : crack) putpixel(b, x, y, pix({255, 250, 200}));
            sparks(b, 16, 12, 3, 10, 555, false);
        }
        return;
    }
    const float t = float(frame - 2);  // 1..10
    if (frame <= 5) {                  // the legs stand a moment longer, buckling, before the fire covers them
        BITMAP *legs = blank(b->w, b->h);
        draw_walker_side(legs);
        for (int y = 0; y < b->h; ++y)
            for (int x = 0; x < 32; ++x) {
                int sy = y - (frame - 2) * 2;
                if (sy >= 19 && sy < legs->h && !masked_at(legs, x, sy))
                    putpixel(b, x + 2, y, pix(scaled(col_at(legs, x, sy), 0.55f)));
            }
        destroy_bitmap(legs);
    }
    const float radius[] = {10, 13, 15, 16, 16, 16, 16, 15.5f, 15, 14};
    const float heat[] = {1.3f, 1.2f, 1.0f, 0.85f, 0.7f, 0.55f, 0.45f, 0.35f, 0.28f, 0.2f};
    const float smoke[] = {0, 0, 0, 0.15f, 0.35f, 0.5f, 0.65f, 0.8f, 0.9f, 1.0f};
    const float hollow[] = {0, 0, 0.1f, 0.25f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    const int i = frame - 3;
    fireball(b, 18, 16 - t * 0.4f, radius[i], heat[i], smoke[i], hollow[i], 900 + frame);
    if (frame <= 9) sparks(b, 18, 14, t * 1.6f, 8, 4242, true);
    if (frame <= 6) sparks(b, 18, 14, t * 2.2f, 14, 4343, false);
}

// A turret's explosion, frame 1..10: a flash, a swelling fireball, then
// smoke that thins out.
void draw_explosion(BITMAP *b, int frame) {
    const float radius[] = {4.5f, 8, 11, 13, 14, 14.5f, 14.5f, 14, 13.5f, 13};
    const float heat[] = {1.6f, 1.4f, 1.2f, 1.0f, 0.85f, 0.7f, 0.55f, 0.42f, 0.32f, 0.22f};
    const float smoke[] = {0, 0, 0, 0, 0.2f, 0.4f, 0.55f, 0.7f, 0.85f, 1.0f};
    const float hollow[] = {0, 0, 0, 0.1f, 0.25f, 0.4f, 0.55f, 0.7f, 0.8f, 0.9f};
    const int i = frame - 1;
    fireball(b, 15, 17, radius[i], heat[i], smoke[i], hollow[i], 300 + frame);
    if (frame >= 2 && frame <= 6) sparks(b, 15, 17, float(frame) * 1.9f, 12, 777, false);
}

// The broken pod of a dead walker, tumbling away: the same hulk turned a third
// of a turn further in each frame, with its fire flickering.
void draw_wreck(BITMAP *b, int frame) {
    BITMAP *hulk = blank(32, 32);
    ellipsoid(hulk, 16, 16, 10, 6.5f, {70, 84, 64}, 0.3f);
    for (int x = 8; x <= 24; ++x) vline(hulk, x, 15, 16, pix({40, 14, 10}));
    rod(hulk, 14, 20, 9, 26, 1.8f, {90, 90, 88});  // a leg stump
    rod(hulk, 19, 20, 22, 24, 1.6f, {90, 90, 88});
    const int crack[][2] = {{11, 12}, {12, 13}, {13, 12}, {19, 19}, {20, 18}, {21, 19}, {16, 11}};
    for (auto [x, y] : crack) putpixel(hulk, x, y, pix({255, 150, 50}));
    rotate_sprite(b, hulk, 0, 0, itofix((frame - 1) * 256 / 3));
    destroy_bitmap(hulk);
    // Flames lick off the top whichever way up it is, flickering from frame to frame.
    BITMAP *flame = blank(32, 32);
    fireball(flame, 14.5f + float(frame), 10, 6.5f, 0.9f, 0, 0, 1200 + frame);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)  // only the upper half of the ball, so it stands on the hulk
            if (!masked_at(flame, x, y) && y < 13 - std::abs(x - 15 - frame) / 3)
                putpixel(b, x, y, getpixel(flame, x, y));
    destroy_bitmap(flame);
    outline(b, RIM);
}

// The "FREE PLAY" banner: it is copied opaque, so every pixel is set.
void draw_banner(BITMAP *b) {
    for (int y = 0; y < b->h; ++y) hline(b, 0, y, b->w - 1, pix(mix({8, 10, 44}, {40, 10, 70}, float(y) / 19)));
    rect(b, 0, 0, b->w - 1, b->h - 1, pix({236, 184, 40}));
    rect(b, 1, 1, b->w - 2, b->h - 2, pix({96, 60, 12}));
    BITMAP *words = blank(72, 8);
    clear_to_color(words, 0);
    textout_ex(words, font, "FREE PLAY", 0, 0, makecol(255, 255, 255), 0);
    const int tx = (b->w - 72) / 2, ty = 6;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 72; ++x) {
            if (!getpixel(words, x, y)) continue;
            putpixel(b, tx + x + 1, ty + y + 1, pix({0, 0, 0}));
            putpixel(b, tx + x, ty + y, pix(mix({255, 250, 170}, {255, 130, 20}, float(y) / 7)));
        }
    destroy_bitmap(words);
    for (int s : {5, b->w - 10}) {  // a small diamond at each end
        for (int k = 0; k < 3; ++k) {
            hline(b, s + 2 - k, 8 + k, s + 2 + k, pix({80, 220, 255}));
            hline(b, s + 2 - k, 12 - k, s + 2 + k, pix({80, 220, 255}));
        }
    }
}

// ---------------------------------------------------------------- the sheet

// Clears the parts of a region's own picture that other regions also cover,
// so that neither shows a piece of the other.
void clear_shared(SpriteName name, BITMAP *pic) {
    const SpriteRegion &a = ATLAS[name];
    for (int n = 0; n < SPR_COUNT; ++n) {
        const SpriteRegion &o = ATLAS[n];
        if (n == name || o.source != a.source) continue;
        if (o.x == a.x && o.y == a.y && o.w == a.w && o.h == a.h) continue;  // one picture under two names
        int x0 = std::max(a.x, o.x), x1 = std::min(a.x + a.w, o.x + o.w);
        int y0 = std::max(a.y, o.y), y1 = std::min(a.y + a.h, o.y + o.h);
        if (x0 < x1 && y0 < y1) rectfill(pic, x0 - a.x, y0 - a.y, x1 - 1 - a.x, y1 - 1 - a.y, mask_colour());
    }
}

void place(BITMAP *sheet, SpriteName name, void (*paint)(BITMAP *)) {
    const SpriteRegion &r = ATLAS[name];
    BITMAP *pic = blank(r.w, r.h);
    paint(pic);
    clear_shared(name, pic);
    if (r.masked)
        masked_blit(pic, sheet, 0, 0, r.x, r.y, r.w, r.h);
    else
        blit(pic, sheet, 0, 0, r.x, r.y, r.w, r.h);
    destroy_bitmap(pic);
}

void place_frame(BITMAP *sheet, SpriteName name, int frame, void (*paint)(BITMAP *, int)) {
    const SpriteRegion &r = ATLAS[name];
    BITMAP *pic = blank(r.w, r.h);
    paint(pic, frame);
    clear_shared(name, pic);
    masked_blit(pic, sheet, 0, 0, r.x, r.y, r.w, r.h);
    destroy_bitmap(pic);
}

BITMAP *make_sheet() {
    BITMAP *sheet = blank(SHEET_MIN_W, SHEET_MIN_H);
    place(sheet, SPR_SHIP_1, [](BITMAP *b) { draw_ship(b, 0); });
    place(sheet, SPR_SHIP_2, [](BITMAP *b) { draw_ship(b, 8); });
    place(sheet, SPR_BLOCK, draw_block);
    place(sheet, SPR_RIGHT_TURRET, draw_turret);
    place(sheet, SPR_LEFT_TURRET, [](BITMAP *b) {
        BITMAP *right = blank(b->w, b->h);
        draw_turret(right);
        draw_sprite_h_flip(b, right, 0, 0);
        destroy_bitmap(right);
    });
    place(sheet, SPR_SHOT, draw_shot);
    place(sheet, SPR_CURSOR, draw_cursor);
    place(sheet, SPR_WALKER_LEFT, draw_walker_side);
    place(sheet, SPR_WALKER_DOWN, draw_walker_front);
    place(sheet, SPR_TURRET_SHOT, draw_turret_shot);
    for (int f = 1; f <= EXPLOSION_FRAMES; ++f)
        place_frame(sheet, SpriteName(SPR_EXPLOSION_1 + f - 1), f, draw_explosion);
    for (int f = 1; f <= DEATH_FRAMES; ++f)
        place_frame(sheet, SpriteName(SPR_WALKER_DEATH_1 + f - 1), f, draw_walker_death);
    for (int f = 1; f <= WRECK_FRAMES; ++f) place_frame(sheet, SpriteName(SPR_WRECK_1 + f - 1), f, draw_wreck);
    place(sheet, SPR_BANNER, draw_banner);
    return sheet;
}

// ---------------------------------------------------------------- title pictures

// The score line is printed over the top-left corner of both pictures.
constexpr int SCORE_CORNER_W = 150, SCORE_CORNER_H = 10;
constexpr int TOP_BAR_H = 12;

// Text in the library's font, magnified sx by sy, with a vertical colour
// sweep, a dark rim and a solid drop behind it.
void big_text(BITMAP *dst, const char *s, int x, int y, int sx, int sy, const std::vector<Col> &sweep, Col rim,
              int depth, Col deep) {
    const int w = text_length(font, s), h = text_height(font);
    BITMAP *m = create_bitmap(w, h);
    clear_to_color(m, 0);
    textout_ex(m, font, s, 0, 0, makecol(255, 255, 255), 0);
    auto cells = [&](int ox, int oy, auto colour) {
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx)
                if (getpixel(m, xx, yy))
                    for (int k = 0; k < sy; ++k)
                        hline(dst, x + xx * sx + ox, y + yy * sy + k + oy, x + xx * sx + ox + sx - 1,
                              pix(colour(yy * sy + k)));
    };
    for (int d = depth; d >= 1; --d) cells(d, d, [&](int) { return scaled(deep, 1.0f - 0.08f * float(d)); });
    for (auto [ox, oy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {1, -1}, {-1, 1}})
        cells(ox, oy, [&](int) { return rim; });
    cells(0, 0, [&](int row) { return ramp(sweep, float(row) / float(h * sy - 1)); });
    destroy_bitmap(m);
}

const std::vector<Col> LOGO = {{255, 255, 210}, {255, 226, 60}, {255, 130, 20}, {220, 30, 24}};

int centred(const char *s, int scale) { return (VIEW_W - text_length(font, s) * scale) / 2; }

void text(BITMAP *dst, const char *s, int x, int y, Col c) {
    textout_ex(dst, font, s, x + 1, y + 1, pix({0, 0, 0}), -1);
    textout_ex(dst, font, s, x, y, pix(c), -1);
}

// A black strip across the top holds the score line; the rest is night sky.
void sky(BITMAP *b, Col high, Col low, uint32_t seed, int stars) {
    for (int y = 0; y < b->h; ++y)
        hline(b, 0, y, b->w - 1, y < TOP_BAR_H ? makecol(0, 0, 0) : pix(mix(high, low, float(y) / float(b->h))));
    for (int x = 0; x < b->w; ++x)
        putpixel(b, x, TOP_BAR_H, pix(mix({40, 200, 255}, {250, 60, 160}, float(x) / float(b->w))));
    std::mt19937 r(seed);
    for (int i = 0; i < stars; ++i) {
        int x = int(r() % unsigned(b->w)), y = TOP_BAR_H + 2 + int(r() % unsigned(b->h - TOP_BAR_H - 2));
        float k = 0.25f + 0.75f * float(r() % 1000) / 1000.0f;
        Col c = scaled(std::vector<Col>{{255, 255, 255}, {180, 210, 255}, {255, 230, 180}}[r() % 3], k);
        putpixel(b, x, y, pix(c));
        if (k > 0.93f) {  // the brightest get a small cross
            Col dim = scaled(c, 0.45f);
            for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) putpixel(b, x + dx, y + dy, pix(dim));
        }
    }
    text(b, "FREE PLAY", VIEW_W - 8 * 9 - 4, 2, {230, 200, 90});
}

// A banded gas giant with a glowing rim, partly below the picture.
void planet(BITMAP *b, float cx, float cy, float r, Col base, Col band) {
    for (int y = std::max(0, int(cy - r - 4)); y < std::min(b->h, int(cy + r + 4)); ++y)
        for (int x = std::max(0, int(cx - r - 4)); x < std::min(b->w, int(cx + r + 4)); ++x) {
            if (y <= TOP_BAR_H) continue;
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy, d = std::sqrt(dx * dx + dy * dy) / r;
            if (d > 1) {
                if (d < 1.04f) {  // the thin lit air at the edge
                    float k = (1.04f - d) / 0.04f * std::max(0.0f, -(dx * 0.6f + dy * 0.8f) / (d * r));
                    putpixel(b, x, y, pix(mix(col_at(b, x, y), Col{140, 200, 255}, k * 0.8f)));
                }
                continue;
            }
            float nz = std::sqrt(1 - d * d);
            float bands = billow(dx * 0.15f, dy * 1.6f + 40, 31);
            Col c = mix(base, band, bands);
            c = lit(c, dx / r, dy / r, nz, 0.15f);
            putpixel(b, x, y, pix(c));
        }
}

void title_attract(BITMAP *b, BITMAP *sheet) {
    sky(b, {2, 2, 14}, {26, 8, 48}, 1983, 220);
    planet(b, 40, 380, 150, {70, 40, 120}, {150, 90, 160});
    big_text(b, "UPSHOT", centred("UPSHOT", 6), 28, 6, 6, LOGO, {20, 8, 6}, 5, {120, 20, 40});
    text(b, "- VERTICAL ASSAULT -", centred("- VERTICAL ASSAULT -", 1), 88, {120, 220, 255});

    // The ship, three times life size, climbing with its guns firing.
    const SpriteRegion &ship = ATLAS[SPR_SHIP_2], &shot = ATLAS[SPR_SHOT];
    BITMAP *ship_pic = create_sub_bitmap(sheet, ship.x, ship.y, ship.w, ship.h);
    BITMAP *shot_pic = create_sub_bitmap(sheet, shot.x, shot.y, shot.w, shot.h);
    for (int i = 0; i < 40; ++i) {  // speed streaks
        int x = 60 + (i * 37) % 200, y = 108 + (i * 53) % 140, len = 6 + (i * 7) % 14;
        vline(b, x, y, y + len, pix(scaled(Col{120, 140, 200}, 0.25f + 0.02f * float(i % 10))));
    }
    stretch_sprite(b, ship_pic, 112, 114, 96, 120);
    stretch_sprite(b, shot_pic, 153, 100, 10, 20);
    stretch_sprite(b, shot_pic, 92, 138, 8, 16);
    stretch_sprite(b, shot_pic, 220, 138, 8, 16);
    // A walker already in trouble on the right, a turret going up on the left.
    const SpriteRegion &walker = ATLAS[SPR_WALKER_LEFT], &blast = ATLAS[SPR_EXPLOSION_4];
    BITMAP *walker_pic = create_sub_bitmap(sheet, walker.x, walker.y, walker.w, walker.h);
    BITMAP *blast_pic = create_sub_bitmap(sheet, blast.x, blast.y, blast.w, blast.h);
    draw_sprite(b, walker_pic, 252, 118);
    stretch_sprite(b, shot_pic, 264, 162, 5, 10);
    stretch_sprite(b, blast_pic, 30, 120, 60, 68);
    destroy_bitmap(walker_pic);
    destroy_bitmap(blast_pic);
    destroy_bitmap(ship_pic);
    destroy_bitmap(shot_pic);

    big_text(b, "PRESS S TO START", centred("PRESS S TO START", 2), 240, 2, 2, {{255, 255, 150}, {255, 150, 20}},
             {30, 10, 0}, 1, {90, 30, 0});
    // The keys, in a framed panel.
    for (int y = 262; y < 312; ++y)
        for (int x = 36; x < 284; ++x) putpixel(b, x, y, pix(scaled(col_at(b, x, y), 0.35f)));
    rect(b, 36, 262, 283, 311, pix({60, 150, 220}));
    rect(b, 38, 264, 281, 309, pix({20, 50, 90}));
    const char *keys[][2] = {{"ARROWS", "MOVE AND SCROLL"}, {"SPACE", "FIRES"}, {"ESC", "QUITS"}};
    for (int i = 0; i < 3; ++i) {
        text(b, keys[i][0], 56, 270 + i * 13, {255, 220, 80});
        text(b, keys[i][1], 120, 270 + i * 13, {230, 236, 255});
    }
}

// The second picture: the cast, each with its name.
void title_enemies(BITMAP *b, BITMAP *sheet) {
    sky(b, {2, 10, 18}, {4, 30, 36}, 2024, 90);
    for (int y = TOP_BAR_H + 8; y < b->h; y += 16) hline(b, 0, y, b->w - 1, pix({10, 44, 56}));
    for (int x = 8; x < b->w; x += 16) vline(b, x, TOP_BAR_H + 1, b->h - 1, pix({10, 44, 56}));
    big_text(b, "UPSHOT", centred("UPSHOT", 3), 20, 3, 3, LOGO, {20, 8, 6}, 3, {120, 20, 40});
    text(b, "KNOW YOUR ENEMY", centred("KNOW YOUR ENEMY", 1), 52, {255, 110, 80});

    auto sprite = [&](SpriteName n, int x, int y, int scale) {
        const SpriteRegion &r = ATLAS[n];
        BITMAP *pic = create_sub_bitmap(sheet, r.x, r.y, r.w, r.h);
        stretch_sprite(b, pic, x, y, r.w * scale, r.h * scale);
        destroy_bitmap(pic);
    };
    auto card = [&](int cx, int y, const char *name, const char *what) {
        rectfill(b, cx - 74, y - 4, cx + 73, y + 21, pix({4, 16, 24}));
        rect(b, cx - 74, y - 4, cx + 73, y + 21, pix({40, 120, 150}));
        text(b, name, cx - text_length(font, name) / 2, y, {255, 220, 80});
        text(b, what, cx - text_length(font, what) / 2, y + 11, {200, 230, 240});
    };
    sprite(SPR_WALKER_DOWN, 48, 66, 2);
    card(80, 154, "WALKER", "WANDERS AND FIRES");
    sprite(SPR_LEFT_TURRET, 174, 76, 2);  // each fires out to its own side
    sprite(SPR_RIGHT_TURRET, 242, 76, 2);
    sprite(SPR_TURRET_SHOT, 162, 126, 1);
    sprite(SPR_TURRET_SHOT, 310, 126, 1);
    card(240, 154, "TURRETS", "FIRE ACROSS");
    for (int i = 0; i < 4; ++i) sprite(SPR_BLOCK, 40 + (i % 2) * 40, 186 + (i / 2) * 40, 1);
    card(80, 272, "BLOCK", "STANDS IN THE WAY");
    sprite(SPR_SHIP_1, 208, 186, 2);
    card(240, 272, "YOUR SHIP", "SPACE FIRES UP");
    text(b, "PRESS S TO START", centred("PRESS S TO START", 1), 303, {255, 240, 120});
}

BITMAP *make_titles(BITMAP *sheet) {
    BITMAP *art = create_bitmap(TITLE_MIN_W, TITLE_MIN_H);
    const SpriteRegion &one = ATLAS[SPR_TITLE_1], &two = ATLAS[SPR_TITLE_2];
    BITMAP *left = create_sub_bitmap(art, one.x, one.y, one.w, one.h);
    BITMAP *right = create_sub_bitmap(art, two.x, two.y, two.w, two.h);
    title_attract(left, sheet);
    title_enemies(right, sheet);
    for (BITMAP *pic : {left, right}) {  // whatever was drawn, the score corner stays plain
        rectfill(pic, 0, 0, SCORE_CORNER_W - 1, SCORE_CORNER_H - 1, makecol(0, 0, 0));
        destroy_bitmap(pic);
    }
    return art;
}

// ---------------------------------------------------------------- icons

// The icon is drawn once at ICON_MASTER pixels and shrunk by whole factors to
// each size a desktop asks for, so every size is the same picture.
constexpr int ICON_MASTER = 768;
constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// The ship climbing through the title's night sky, on a tile with rounded
// corners and the title's cyan-to-magenta rim. The ship keeps its square
// pixels (14 x 14 each), as the game shows it scaled.
BITMAP *icon_master(BITMAP *sheet) {
    const int m = ICON_MASTER, margin = m / 24, radius = m / 6, rim = m / 40;
    BITMAP *b = blank(m, m);
    BITMAP *tile = create_bitmap(m, m);
    for (int y = 0; y < m; ++y) hline(tile, 0, y, m - 1, pix(mix({2, 2, 14}, {40, 12, 72}, float(y) / float(m))));
    std::mt19937 r(2024);
    for (int i = 0; i < 90; ++i) {
        const int x = int(r() % unsigned(m)), y = int(r() % unsigned(m)), size = 4 + int(r() % 8u);
        rectfill(tile, x, y, x + size, y + size, pix(scaled({255, 255, 255}, 0.3f + 0.7f * float(r() % 100) / 100.0f)));
    }
    planet(tile, m * 0.12f, m * 1.02f, m * 0.42f, {70, 40, 120}, {150, 90, 160});
    const SpriteRegion &ship = ATLAS[SPR_SHIP_2];
    BITMAP *ship_pic = create_sub_bitmap(sheet, ship.x, ship.y, ship.w, ship.h);
    const int k = 14;
    stretch_sprite(tile, ship_pic, (m - ship.w * k) / 2, (m - ship.h * k) / 2 + m / 32, ship.w * k, ship.h * k);
    destroy_bitmap(ship_pic);
    // Inside the rounded square: the tile, with the rim along its edge.
    for (int y = 0; y < m; ++y)
        for (int x = 0; x < m; ++x) {
            const float cx = std::clamp(x + 0.5f, float(margin + radius), float(m - margin - radius)),
                        cy = std::clamp(y + 0.5f, float(margin + radius), float(m - margin - radius));
            const float out = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius;
            const float edge = std::max(out, std::max(std::fabs(x + 0.5f - m / 2.0f), std::fabs(y + 0.5f - m / 2.0f)) -
                                                 (m / 2.0f - margin));
            if (edge > 0) continue;
            const Col rim_col = mix({40, 200, 255}, {250, 60, 160}, float(x + y) / float(2 * m));
            putpixel(b, x, y, edge > -rim ? pix(rim_col) : getpixel(tile, x, y));
        }
    destroy_bitmap(tile);
    return b;
}

// The master shrunk to size x size: each pixel the mean of the drawn pixels
// of its block, as solid as the share of them that are drawn.
bool write_icon(BITMAP *master, int size) {
    const int f = ICON_MASTER / size;
    BITMAP *icon = create_bitmap(size, size);
    std::string alpha;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Col sum = {0, 0, 0};
            int drawn = 0;
            for (int v = 0; v < f; ++v)
                for (int u = 0; u < f; ++u)
                    if (!masked_at(master, x * f + u, y * f + v)) sum = plus(sum, col_at(master, x * f + u, y * f + v)), ++drawn;
            putpixel(icon, x, y, drawn ? pix(scaled(sum, 1.0f / float(drawn))) : makecol(0, 0, 0));
            alpha.push_back(static_cast<char>(clamp_byte(255.0f * float(drawn) / float(f * f))));
        }
    const bool ok = write_png("data/icons/upshot-" + std::to_string(size) + ".png", icon, &alpha);
    destroy_bitmap(icon);
    return ok;
}

// ---------------------------------------------------------------- sounds

constexpr int RATE = 22050;

bool write_wav(const char *path, const std::vector<float> &samples) {
    FILE *f = std::fopen(path, "wb");
    if (!f) return false;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) std::fputc(int((v >> (8 * i)) & 0xff), f);
    };
    auto u16 = [&](uint32_t v) {
        for (int i = 0; i < 2; ++i) std::fputc(int((v >> (8 * i)) & 0xff), f);
    };
    const uint32_t bytes = uint32_t(samples.size() * 2);
    std::fputs("RIFF", f);
    u32(36 + bytes);
    std::fputs("WAVEfmt ", f);
    u32(16);        // size of the format block
    u16(1);         // plain PCM
    u16(1);         // one channel
    u32(RATE);      // samples a second
    u32(RATE * 2);  // bytes a second
    u16(2);         // bytes a sample
    u16(16);        // bits a sample
    std::fputs("data", f);
    u32(bytes);
    for (float s : samples) u16(uint16_t(int16_t(std::clamp(std::lround(s * 32767.0f), -32767L, 32767L))));
    return std::fclose(f) == 0;
}

// Scales a sound so that its loudest sample reaches peak.
std::vector<float> levelled(std::vector<float> s, float peak) {
    float top = 0;
    for (float v : s) top = std::max(top, std::fabs(v));
    for (float &v : s) v *= peak / top;
    return s;
}

// White noise from a fixed seed, in -1..1.
struct Noise {
    std::mt19937 r;
    explicit Noise(uint32_t seed) : r(seed) {}
    float operator()() { return float(r()) / 2147483648.0f - 1.0f; }
};

// The ship's gun: a falling square chirp with a bit of grit at the start.
std::vector<float> shot_sound() {
    const int n = RATE * 12 / 100;
    std::vector<float> s(n);
    Noise noise(11);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        float t = float(i) / RATE;
        float f = 260 + 1500 * std::exp(-t * 22);
        phase += f / RATE;
        float sq = std::fmod(phase, 1.0) < 0.5 ? 1.0f : -1.0f;
        float env = std::min(1.0f, t / 0.002f) * std::exp(-t * 16) * std::min(1.0f, float(n - 1 - i) / (0.01f * RATE));
        s[i] = env * (sq * 0.85f + noise() * 0.3f * std::exp(-t * 60));
    }
    return levelled(std::move(s), 0.5f);
}

// Something blown apart: a low thump under a roar of noise that darkens as it dies.
std::vector<float> hit_sound() {
    const int n = RATE / 2;
    std::vector<float> s(n);
    Noise noise(22);
    float low = 0, phase = 0;
    for (int i = 0; i < n; ++i) {
        float t = float(i) / RATE;
        float cutoff = 300 + 5000 * std::exp(-t * 9);
        float k = 1 - std::exp(-6.2832f * cutoff / RATE);
        low += k * (noise() - low);
        phase += (45 + 90 * std::exp(-t * 14)) / RATE;
        float thump = std::sin(6.2832f * phase) * std::exp(-t * 10);
        float crackle = t < 0.25f && noise() > 0.985f ? noise() * 0.6f : 0.0f;
        float env =
            std::min(1.0f, t / 0.003f) * std::exp(-t * 6.5f) * std::min(1.0f, float(n - 1 - i) / (0.03f * RATE));
        s[i] = env * (1.2f * low + 0.55f * thump + crackle);
    }
    return levelled(std::move(s), 0.85f);
}

float note_freq(int midi) { return 440.0f * std::pow(2.0f, float(midi - 69) / 12.0f); }

// Note names such as "A4" or "G#5" to MIDI numbers; "-" holds, "." rests.
int midi_of(const std::string &name) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int n = base[name[0] - 'A'];
    size_t i = 1;
    if (name[i] == '#') n += 1, ++i;
    return 12 * (name[i] - '0' + 1) + n;
}

// Adds one enveloped note. wave: 0 pulse (duty), 1 triangle.
void add_note(std::vector<float> &mix_buf, int start, int length, float freq, int wave, float duty, float level,
              bool vibrato) {
    const int attack = RATE / 400, release = RATE / 80;
    double phase = 0;
    for (int i = 0; i < length && start + i < int(mix_buf.size()); ++i) {
        float t = float(i) / RATE;
        float f = freq * (vibrato && t > 0.15f ? 1.0f + 0.006f * std::sin(6.2832f * 5.5f * t) : 1.0f);
        phase += f / RATE;
        float p = float(phase - std::floor(phase));
        float v = wave == 0 ? (p < duty ? 1.0f : -1.0f) : (p < 0.5f ? 4 * p - 1 : 3 - 4 * p);
        float env = std::min(1.0f, float(i) / attack) * std::min(1.0f, float(length - 1 - i) / release);
        env *= wave == 0 ? 0.65f + 0.35f * std::exp(-t * 12) : 1.0f;
        mix_buf[start + i] += level * env * v;
    }
}

// The title tune: eight bars of A minor at 150 beats a minute, a pulse lead
// over a triangle bass, a thin arpeggio and noise drums. Every voice has died
// away before the end, so the loop joins at silence.
std::vector<float> music() {
    const int step = RATE / 10;  // one sixteenth note
    const int bar = 16 * step, bars = 8;
    std::vector<float> s(size_t(bar * bars), 0.0f);

    const char *melody[bars] = {
        "A4 - C5 E5 A5 - G5 E5", "F5 - E5 C5 A4 - C5 -",  "G4 - C5 E5 G5 - E5 C5", "D5 - B4 G4 B4 D5 G5 -",
        "A5 - G5 E5 C5 - E5 A5", "C6 - A5 F5 A5 - G5 F5", "D5 - G5 - B5 - D6 -",   "B5 - G#5 - E5 - . .",
    };
    const char *chords[bars][3] = {{"A3", "C4", "E4"}, {"F3", "A3", "C4"}, {"C4", "E4", "G4"}, {"G3", "B3", "D4"},
                                   {"A3", "C4", "E4"}, {"F3", "A3", "C4"}, {"G3", "B3", "D4"}, {"E3", "G#3", "B3"}};
    const char *roots[bars] = {"A2", "F2", "C3", "G2", "A2", "F2", "G2", "E2"};

    for (int b = 0; b < bars; ++b) {
        const int at = b * bar;
        // Lead, in eighth notes; a "-" lengthens the note before it.
        std::vector<std::string> tokens;
        for (const char *p = melody[b]; *p;) {
            while (*p == ' ') ++p;
            const char *q = p;
            while (*q && *q != ' ') ++q;
            if (q > p) tokens.emplace_back(p, q);
            p = q;
        }
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (tokens[i] == "-" || tokens[i] == ".") continue;
            size_t len = 1;
            while (i + len < tokens.size() && tokens[i + len] == "-") ++len;
            add_note(s, at + int(i) * 2 * step, int(len) * 2 * step, note_freq(midi_of(tokens[i])), 0, 0.25f, 0.16f,
                     true);
        }
        // Bass: root and octave in eighths, the fifth to lead on.
        const int root = midi_of(roots[b]);
        const int bass[8] = {root, root + 12, root, root + 12, root, root + 12, root + 7, root + 12};
        for (int e = 0; e < 8; ++e)
            add_note(s, at + e * 2 * step, 2 * step - step / 4, note_freq(bass[e]), 1, 0, 0.30f, false);
        // Arpeggio in sixteenths, up through the chord and its octave.
        for (int k = 0; k < 16; ++k) {
            int m = midi_of(chords[b][k % 3]) + 12 * ((k / 3) % 2);
            if (b == bars - 1 && k >= 12) break;  // the last beat breathes before the loop
            add_note(s, at + k * step, step - step / 5, note_freq(m + 12), 0, 0.125f, 0.045f, false);
        }
        // Drums: kick on 1 and 3, snare on 2 and 4, hats on the off-beats.
        Noise noise(5000 + b);
        for (int k = 0; k < 16; ++k) {
            const int t0 = at + k * step;
            const bool kick = k == 0 || k == 8 || (b % 2 == 1 && k == 10);
            const bool snare = k == 4 || k == 12;
            const bool hat = k % 4 == 2;
            double phase = 0;
            float last = 0;
            for (int i = 0; i < step * 2 && t0 + i < int(s.size()); ++i) {
                float t = float(i) / RATE, v = 0;
                if (kick) {
                    phase += (48 + 110 * std::exp(-t * 30)) / RATE;
                    v += 0.5f * std::sin(6.2832f * float(phase)) * std::exp(-t * 14);
                }
                if (snare)
                    v += 0.2f * noise() * std::exp(-t * 22) + 0.08f * std::sin(6.2832f * 190 * t) * std::exp(-t * 30);
                if (hat) {
                    float w = noise();
                    v += 0.07f * (w - last) * std::exp(-t * 90);  // a difference of noise keeps only the hiss
                    last = w;
                }
                v *= std::min(1.0f, float(i) / (RATE / 2000));
                s[t0 + i] += v;
            }
        }
    }
    // Level to a safe peak, then make sure the very ends are silent.
    s = levelled(std::move(s), 0.8f);
    const int edge = RATE / 500;
    for (int i = 0; i < edge; ++i) {
        float k = float(i) / edge;
        s[i] *= k;
        s[s.size() - 1 - i] *= k;
    }
    return s;
}

bool save_picture(const char *path, BITMAP *b) {
    PALETTE pal;
    std::memset(pal, 0, sizeof pal);
    return save_bmp(path, b, pal) == 0;
}

}  // namespace

int main() {
    if (!start_headless_library()) {
        print_message("the library would not start");
        return 1;
    }
    mkdir("data", 0755);  // a fresh checkout may not have it yet
    mkdir("data/icons", 0755);
    BITMAP *sheet = make_sheet();
    BITMAP *titles = make_titles(sheet);
    bool ok = save_picture("data/main.bmp", sheet) && save_picture("data/main2.bmp", titles) &&
              write_wav("data/effect.wav", shot_sound()) && write_wav("data/fall.wav", hit_sound()) &&
              write_wav("data/gmsong.wav", music());
    BITMAP *icon = icon_master(sheet);
    for (int size : ICON_SIZES) ok = ok && write_icon(icon, size);
    destroy_bitmap(icon);
    destroy_bitmap(titles);
    destroy_bitmap(sheet);
    if (!ok) {
        print_message("could not write into data/ (run from the repository root)");
        return 1;
    }
    return 0;
}
