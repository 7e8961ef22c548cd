// Writes the texture tiles the program ships in its "bmbrush" folder, as
// 24-bit Windows bitmaps, into the folder given on the command line:
//
//     make_textures <output folder>
//
// Every tile is seamless: all noise is built on lattices whose period divides
// the tile size, and every stripe or dot pattern repeats a whole number of
// times across the tile. The output depends on nothing but this file (own
// hash, no library random numbers), so a build anywhere gives the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb mix(const Rgb& a, const Rgb& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return { a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t };
}

Rgb scale(const Rgb& c, double f)
{
    return { c.r * f, c.g * f, c.b * f };
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    h *= 0x27D4EB2Du;
    h ^= h >> 16;
    return h;
}

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

// Value noise of periodX × periodY cells across a tile of `size` pixels,
// wrapping at the tile's edges.
double noise2(double x, double y, int size, int periodX, int periodY, std::uint32_t seed)
{
    const double fx = x * periodX / size;
    const double fy = y * periodY / size;
    const int ix = int(std::floor(fx));
    const int iy = int(std::floor(fy));
    const double tx = smooth(fx - ix);
    const double ty = smooth(fy - iy);
    auto at = [&](int cx, int cy) {
        return hash(std::uint32_t(((cx % periodX) + periodX) % periodX), std::uint32_t(((cy % periodY) + periodY) % periodY),
                   seed) / 4294967295.0;
    };
    const double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

double noise(double x, double y, int size, int period, std::uint32_t seed)
{
    return noise2(x, y, size, period, period, seed);
}

// Sum of octaves from `period` cells upward, 0 .. 1.
double fbm(double x, double y, int size, int period, int octaves, std::uint32_t seed)
{
    double sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves && period <= size; ++o) {
        sum += amp * noise(x, y, size, period, seed + std::uint32_t(o) * 101u);
        total += amp;
        amp *= 0.5;
        period *= 2;
    }
    return sum / total;
}

// Per-pixel grain, -0.5 .. 0.5.
double grain(int x, int y, std::uint32_t seed)
{
    return hash(std::uint32_t(x), std::uint32_t(y), seed) / 4294967295.0 - 0.5;
}

struct Tile {
    std::string name;
    int size;
    std::function<Rgb(int x, int y, int size)> pixel;
};

void put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool writeBmp(const std::string& path, const Tile& tile)
{
    const int w = tile.size, h = tile.size;
    const int stride = (w * 3 + 3) / 4 * 4;
    std::vector<unsigned char> out;
    out.reserve(54 + std::size_t(stride) * h);
    out.push_back('B');
    out.push_back('M');
    put32(out, std::uint32_t(54 + stride * h));
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, std::uint32_t(w));
    put32(out, std::uint32_t(h));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, std::uint32_t(stride * h));
    put32(out, 3780); // 96 pixels per inch
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
    auto channel = [](double v) { return (unsigned char)std::clamp(int(std::lround(v)), 0, 255); };
    for (int y = h - 1; y >= 0; --y) { // bottom-up rows
        int written = 0;
        for (int x = 0; x < w; ++x) {
            const Rgb c = tile.pixel(x, y, tile.size);
            out.push_back(channel(c.b));
            out.push_back(channel(c.g));
            out.push_back(channel(c.r));
            written += 3;
        }
        for (; written < stride; ++written)
            out.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<Tile> tiles()
{
    std::vector<Tile> t;
    t.push_back({ "Paper.bmp", 128, [](int x, int y, int s) {
        const double n = fbm(x, y, s, 8, 4, 11) - 0.5;
        return scale(Rgb{ 246, 243, 234 }, 1 + n * 0.06 + grain(x, y, 12) * 0.035);
    } });
    t.push_back({ "Linen.bmp", 128, [](int x, int y, int s) {
        // Threads every 4 pixels both ways, slubs from noise along each thread.
        const double warp = 0.5 + 0.5 * std::cos(2 * Pi * x / 4.0);
        const double weft = 0.5 + 0.5 * std::cos(2 * Pi * y / 4.0);
        const double slubX = noise2(x, y, s, 32, 4, 21) - 0.5;
        const double slubY = noise2(x, y, s, 4, 32, 22) - 0.5;
        const double v = 0.92 + 0.05 * (warp + weft) + 0.08 * (slubX + slubY) + grain(x, y, 23) * 0.04;
        return scale(Rgb{ 222, 212, 190 }, v);
    } });
    t.push_back({ "Marble.bmp", 128, [](int x, int y, int s) {
        const double turb = fbm(x, y, s, 4, 5, 31);
        const double v = std::sin(2 * Pi * (x + y) / s * 2 + turb * 9.0);
        const double vein = std::pow(1 - std::abs(v), 6);
        const Rgb base = mix(Rgb{ 238, 236, 232 }, Rgb{ 214, 212, 210 }, fbm(x, y, s, 8, 3, 32));
        return mix(base, Rgb{ 112, 114, 122 }, vein * 0.8);
    } });
    t.push_back({ "WoodGrain.bmp", 128, [](int x, int y, int s) {
        // Grain runs across: lines that drift slowly along x, with fine
        // streaks inside each line.
        const double drift = noise2(x, y, s, 2, 2, 41) * 1.6 + noise2(x, y, s, 4, 8, 42) * 0.35;
        const double ring = 0.5 + 0.5 * std::sin(2 * Pi * (y * 9.0 / s + drift));
        const double streak = noise2(x, y, s, 4, 64, 43);
        const Rgb light{ 202, 150, 94 }, dark{ 136, 86, 44 };
        return scale(mix(light, dark, std::pow(ring, 3.0) * 0.8 + streak * 0.2), 1 + grain(x, y, 44) * 0.03);
    } });
    t.push_back({ "BrushedMetal.bmp", 128, [](int x, int y, int s) {
        // Streaks along x: noise with many cells down and few across.
        double v = 0;
        for (int o = 0; o < 3; ++o)
            v += noise2(x, y, s, 2 << o, 128 >> o, 51 + std::uint32_t(o)) / 3.0;
        const double fine = noise2(x, y, s, 16, 128, 56) * 0.08 - 0.04;
        return scale(Rgb{ 188, 192, 198 }, 0.86 + v * 0.22 + fine);
    } });
    t.push_back({ "SubtleDots.bmp", 32, [](int x, int y, int) {
        // A dot every 8 pixels, offset on alternate rows.
        const int cx = (y / 8) % 2 == 0 ? 4 : 0;
        const double dx = std::min(std::abs((x % 8) - cx), 8 - std::abs((x % 8) - cx));
        const double dy = (y % 8) - 4;
        const double d = std::sqrt(dx * dx + dy * dy);
        const double ink = std::clamp(1.8 - d, 0.0, 1.0);
        return mix(Rgb{ 250, 250, 248 }, Rgb{ 200, 204, 210 }, ink);
    } });
    t.push_back({ "SubtleLines.bmp", 32, [](int x, int y, int) {
        // Diagonal hairlines 8 pixels apart.
        const int k = (x + y) % 8;
        const double ink = k == 0 ? 1.0 : (k == 1 || k == 7) ? 0.3 : 0.0;
        return mix(Rgb{ 250, 250, 250 }, Rgb{ 205, 208, 214 }, ink);
    } });
    t.push_back({ "Canvas.bmp", 64, [](int x, int y, int s) {
        // Over-under weave of 8-pixel threads.
        const bool over = ((x / 8) + (y / 8)) % 2 == 0;
        const double along = over ? std::sin(Pi * (y % 8) / 8.0) : std::sin(Pi * (x % 8) / 8.0);
        const double v = 0.82 + 0.16 * along + grain(x, y, 61) * 0.05 + (noise(x, y, s, 8, 62) - 0.5) * 0.05;
        return scale(Rgb{ 214, 204, 178 }, v);
    } });
    t.push_back({ "Granite.bmp", 128, [](int x, int y, int s) {
        const double n = fbm(x, y, s, 16, 3, 71);
        const double speck = hash(std::uint32_t(x), std::uint32_t(y), 72) / 4294967295.0;
        Rgb c = mix(Rgb{ 150, 146, 142 }, Rgb{ 200, 196, 190 }, n);
        if (speck > 0.93)
            c = Rgb{ 52, 48, 50 };
        else if (speck > 0.88)
            c = Rgb{ 232, 224, 218 };
        else if (speck > 0.85)
            c = Rgb{ 170, 120, 110 };
        return c;
    } });
    t.push_back({ "Cork.bmp", 128, [](int x, int y, int s) {
        const double n = fbm(x, y, s, 16, 3, 81);
        const double pit = hash(std::uint32_t(x / 2), std::uint32_t(y / 2), 82) / 4294967295.0 > 0.9 ? 0.75 : 1.0;
        return scale(mix(Rgb{ 196, 150, 100 }, Rgb{ 150, 104, 62 }, n), pit * (1 + grain(x, y, 83) * 0.08));
    } });
    t.push_back({ "Denim.bmp", 64, [](int x, int y, int s) {
        // Twill: diagonal ribs 4 pixels apart, white weft showing through.
        const int k = (x + 2 * y) % 8;
        const double rib = k < 5 ? 1.0 : 0.55;
        const double fade = noise(x, y, s, 4, 91) * 0.2;
        return mix(scale(Rgb{ 52, 82, 138 }, rib + grain(x, y, 92) * 0.1), Rgb{ 200, 210, 228 }, fade * 0.6);
    } });
    t.push_back({ "Parchment.bmp", 128, [](int x, int y, int s) {
        const double blotch = fbm(x, y, s, 4, 5, 101);
        const double fibre = noise2(x, y, s, 64, 8, 102) - 0.5;
        return scale(mix(Rgb{ 244, 232, 200 }, Rgb{ 214, 190, 142 }, blotch * blotch * 1.3),
            1 + fibre * 0.05 + grain(x, y, 103) * 0.025);
    } });
    t.push_back({ "CarbonFiber.bmp", 32, [](int x, int y, int) {
        // Two-by-two weave of 8-pixel tows with a highlight down each.
        const bool across = ((x / 8) + (y / 8)) % 2 == 0;
        const double t = across ? (y % 8) / 7.0 : (x % 8) / 7.0;
        const double shine = std::pow(std::sin(Pi * t), 3);
        return across ? mix(Rgb{ 28, 30, 34 }, Rgb{ 92, 96, 104 }, shine)
                      : mix(Rgb{ 20, 22, 26 }, Rgb{ 66, 70, 78 }, shine);
    } });
    t.push_back({ "Gingham.bmp", 32, [](int x, int y, int) {
        const bool bx = (x % 16) < 8;
        const bool by = (y % 16) < 8;
        const Rgb white{ 252, 252, 250 }, mid{ 236, 150, 150 }, full{ 206, 60, 64 };
        return bx && by ? full : (bx || by) ? mid : white;
    } });
    t.push_back({ "Water.bmp", 128, [](int x, int y, int s) {
        const double n = fbm(x, y, s, 4, 4, 121);
        const double ripple = 0.5 + 0.5 * std::sin(2 * Pi * (y * 6.0 / s + n * 3.0));
        return mix(Rgb{ 40, 110, 170 }, Rgb{ 150, 205, 235 }, ripple * 0.7 + n * 0.3);
    } });
    t.push_back({ "Bricks.bmp", 64, [](int x, int y, int s) {
        // Bricks 32 × 16 with 2-pixel mortar, every other row offset by half.
        const int row = y / 16;
        const int bx = (x + (row % 2) * 16) % 32;
        const int by = y % 16;
        if (bx < 2 || by < 2)
            return scale(Rgb{ 200, 196, 188 }, 1 + grain(x, y, 131) * 0.1);
        const int brick = ((x + (row % 2) * 16) / 32) % 2 + row * 2;
        const double tone = hash(std::uint32_t(brick), 0, 132) / 4294967295.0;
        const Rgb base = mix(Rgb{ 170, 72, 52 }, Rgb{ 138, 58, 44 }, tone);
        return scale(base, 1 + (noise(x, y, s, 16, 133) - 0.5) * 0.2 + grain(x, y, 134) * 0.08);
    } });
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_textures <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const Tile& tile : tiles()) {
        const std::string path = folder + "/" + tile.name;
        if (!writeBmp(path, tile)) {
            std::fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
