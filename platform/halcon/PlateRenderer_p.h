#pragma once

// Layer-private: the painter behind the generated plate and tray scenes. Shapes are painted
// with anti-aliased edges as transmissions of a back-lit picture (dark is what absorbs) into
// three float planes, then lit, given sensor noise and turned into a byte picture.

#include <Hobject.h>
#include <HalconImageOps.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace PlateScenes::Detail {

struct Rgb
{
    double r, g, b;
};

// Transmission of the materials (back-lit picture: dark is what absorbs).
constexpr Rgb kHolder{0.93, 0.93, 0.95};
constexpr Rgb kPlateBody{0.80, 0.80, 0.83};
constexpr Rgb kWall{0.45, 0.44, 0.46};
constexpr Rgb kAgar{0.97, 0.86, 0.62};
constexpr Rgb kMark{0.12, 0.12, 0.13};

// Absorption tints of colonies, scaled so that their grey contrast does not depend on the tint.
constexpr Rgb kTints[] = {{1.0, 1.0, 1.0}, {0.7, 0.9, 2.2}, {0.25, 1.25, 1.1}, {0.35, 1.05, 1.9}, {0.9, 1.0, 1.2}};

inline Rgb normalisedTint(const Rgb& tint)
{
    const double grey = 0.299 * tint.r + 0.587 * tint.g + 0.114 * tint.b;
    return {tint.r / grey, tint.g / grey, tint.b / grey};
}

class NoiseSource {
public:
    explicit NoiseSource(unsigned seed)
        : m_state(0x9E3779B97F4A7C15ull ^ seed)
    {
        std::mt19937 generator(seed * 7919u + 17u);
        std::normal_distribution<double> normal(0.0, 1.0);
        m_table.resize(65536);
        for (float& value : m_table)
            value = float(normal(generator));
    }
    float next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_table[size_t(m_state >> 48)];
    }

private:
    std::uint64_t m_state;
    std::vector<float> m_table;
};

class Renderer {
public:
    Renderer(int width, int height)
        : m_width(width)
        , m_height(height)
        , m_r(size_t(width) * size_t(height), float(kHolder.r))
        , m_g(size_t(width) * size_t(height), float(kHolder.g))
        , m_b(size_t(width) * size_t(height), float(kHolder.b))
    {
    }

    // Paints transmission t over a shape: coverage(row, column) in 0..1 decides the share.
    template<class Coverage, class Transmission>
    void paint(double rowMin, double rowMax, double columnMin, double columnMax, Coverage&& coverage,
               Transmission&& transmission, bool multiply)
    {
        const int r0 = std::max(0, int(std::floor(rowMin)));
        const int r1 = std::min(m_height - 1, int(std::ceil(rowMax)));
        const int c0 = std::max(0, int(std::floor(columnMin)));
        const int c1 = std::min(m_width - 1, int(std::ceil(columnMax)));
        for (int row = r0; row <= r1; ++row) {
            for (int column = c0; column <= c1; ++column) {
                const double cover = coverage(row, column);
                if (cover <= 0.0)
                    continue;
                const Rgb t = transmission(row, column);
                const size_t i = size_t(row) * size_t(m_width) + size_t(column);
                if (multiply) {
                    m_r[i] = float(m_r[i] * (1.0 - cover * (1.0 - t.r)));
                    m_g[i] = float(m_g[i] * (1.0 - cover * (1.0 - t.g)));
                    m_b[i] = float(m_b[i] * (1.0 - cover * (1.0 - t.b)));
                } else {
                    m_r[i] = float(m_r[i] + (t.r - m_r[i]) * cover);
                    m_g[i] = float(m_g[i] + (t.g - m_g[i]) * cover);
                    m_b[i] = float(m_b[i] + (t.b - m_b[i]) * cover);
                }
            }
        }
    }

    void disc(double row, double column, double radius, const Rgb& t)
    {
        paint(row - radius - 1, row + radius + 1, column - radius - 1, column + radius + 1,
              [&](int r, int c) { return std::clamp(radius - std::hypot(r - row, c - column) + 0.5, 0.0, 1.0); },
              [&](int, int) { return t; }, false);
    }

    void ring(double row, double column, double inner, double outer, const Rgb& t)
    {
        paint(row - outer - 1, row + outer + 1, column - outer - 1, column + outer + 1,
              [&](int r, int c) {
                  const double d = std::hypot(r - row, c - column);
                  return std::clamp(outer - d + 0.5, 0.0, 1.0) * std::clamp(d - inner + 0.5, 0.0, 1.0);
              },
              [&](int, int) { return t; }, false);
    }

    void rotatedRectangle(double row, double column, double halfWidth, double halfHeight, double angle, const Rgb& t)
    {
        const double c = std::cos(angle), s = std::sin(angle);
        const double reach = std::hypot(halfWidth, halfHeight) + 1.0;
        paint(row - reach, row + reach, column - reach, column + reach,
              [&](int r, int col) {
                  // Into the rectangle's frame (x right, y down, turned counter-clockwise).
                  const double dx = col - column, dy = r - row;
                  const double u = c * dx - s * dy;
                  const double v = s * dx + c * dy;
                  return std::clamp(halfWidth - std::fabs(u) + 0.5, 0.0, 1.0)
                      * std::clamp(halfHeight - std::fabs(v) + 0.5, 0.0, 1.0);
              },
              [&](int, int) { return t; }, false);
    }

    // A shaded ellipse multiplied into what lies below (agar, other colonies).
    void colony(double row, double column, double a, double b, double angle, double strength, const Rgb& tint)
    {
        const double c = std::cos(angle), s = std::sin(angle);
        paint(row - a - 1, row + a + 1, column - a - 1, column + a + 1,
              [&](int r, int col) {
                  const double dx = col - column, dy = r - row;
                  const double u = c * dx - s * dy;
                  const double v = s * dx + c * dy;
                  const double rho = std::sqrt((u / a) * (u / a) + (v / b) * (v / b));
                  if (rho == 0.0)
                      return 1.0;
                  // Radius of the ellipse in the pixel's direction, for a signed distance.
                  const double phi = std::atan2(v, u);
                  const double edge = a * b / std::hypot(b * std::cos(phi), a * std::sin(phi));
                  return std::clamp((1.0 - rho) * edge + 0.5, 0.0, 1.0);
              },
              [&](int r, int col) {
                  const double dx = col - column, dy = r - row;
                  const double u = c * dx - s * dy;
                  const double v = s * dx + c * dy;
                  const double rho2 = std::min(1.0, (u / a) * (u / a) + (v / b) * (v / b));
                  const double k = strength * (0.55 + 0.45 * std::sqrt(1.0 - rho2));
                  return Rgb{std::max(0.05, 1.0 - k * tint.r), std::max(0.05, 1.0 - k * tint.g),
                             std::max(0.05, 1.0 - k * tint.b)};
              },
              true);
    }

    Rgb transmission(int row, int column) const
    {
        const size_t i = size_t(row) * size_t(m_width) + size_t(column);
        return {m_r[i], m_g[i], m_b[i]};
    }

    // Light (gradient and vignetting) times transmission, plus noise, to bytes.
    Halcon::Hobject toImage(unsigned seed, double noiseSigma, double base, double gradientX, double gradientY,
                            double vignetting) const
    {
        const double halfW = m_width / 2.0, halfH = m_height / 2.0;
        return toImageLit(seed, noiseSigma, [&](int row, int column) {
            return light_(row, column, base, gradientX, gradientY, vignetting, halfW, halfH);
        });
    }

    // light(row, column) times transmission, plus noise (none for sigma 0), to bytes.
    template<class Light>
    Halcon::Hobject toImageLit(unsigned seed, double noiseSigma, Light&& lightAt) const
    {
        NoiseSource noise(seed);
        const size_t count = size_t(m_width) * size_t(m_height);
        std::vector<unsigned char> red(count), green(count), blue(count);
        for (int row = 0; row < m_height; ++row) {
            for (int column = 0; column < m_width; ++column) {
                const size_t i = size_t(row) * size_t(m_width) + size_t(column);
                const double light = lightAt(row, column);
                const auto byte = [&](double value) {
                    return static_cast<unsigned char>(std::clamp(std::lround(value + noiseSigma * noise.next()), 0L, 255L));
                };
                red[i] = byte(light * m_r[i]);
                green[i] = byte(light * m_g[i]);
                blue[i] = byte(light * m_b[i]);
            }
        }
        Halcon::Hobject image;
        Halcon::gen_image3(&image, "byte", m_width, m_height, Halcon::Hlong(reinterpret_cast<std::uintptr_t>(red.data())),
                           Halcon::Hlong(reinterpret_cast<std::uintptr_t>(green.data())),
                           Halcon::Hlong(reinterpret_cast<std::uintptr_t>(blue.data())));
        return image;
    }

    static double light_(int row, int column, double base, double gradientX, double gradientY, double vignetting,
                         double halfW, double halfH)
    {
        const double x = (column - halfW) / halfW;
        const double y = (row - halfH) / halfW;
        return base * (1.0 + gradientX * x * 0.5 + gradientY * y * 0.5) * (1.0 - vignetting * (x * x + y * y));
    }

private:
    int m_width;
    int m_height;
    std::vector<float> m_r;
    std::vector<float> m_g;
    std::vector<float> m_b;
};

} // namespace PlateScenes::Detail
