#include "art/AuraOverlayPainter.h"

#include "art/AuraLayer.h"
#include "art/AuraRecipe.h"
#include "art/Noise.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"
#include "art/Rng.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float wrapAngle(float a) {
    a = std::fmod(a + Pi, 2.0f * Pi);
    if (a < 0.0f) {
        a += 2.0f * Pi;
    }
    return a - Pi;
}

// Gaussian fall-in towards the inside, exponential tail outside with a rounded peak, so the
// brightest line sits on the outline without a hard crease.
float profile(float d, float offset, float inner, float outer) {
    if (d < offset) {
        const float t = (offset - d) / inner;
        return std::exp(-t * t);
    }
    constexpr float round = 6.0f;
    const float e = d - offset;
    const float t = (std::sqrt(round * round + e * e) - round) / outer;
    return std::exp(-t);
}

float regionWeight(const AuraLayer& layer, float x, float y, float angle, float d) {
    const float s = layer.softness;
    switch (layer.region) {
    case AuraLayer::Region::Everywhere:
        return 1.0f;
    case AuraLayer::Region::BandY:
        return smoothstep(layer.top - s, layer.top + s, y) *
               (1.0f - smoothstep(layer.bottom - s, layer.bottom + s, y));
    case AuraLayer::Region::Side:
        return smoothstep(-s, s, (x - layer.x0) * layer.sign);
    case AuraLayer::Region::Above:
        return 1.0f - smoothstep(layer.y0 - s, layer.y0 + s, y);
    case AuraLayer::Region::Below:
        return smoothstep(layer.y0 - s, layer.y0 + s, y);
    case AuraLayer::Region::Sector: {
        const float delta =
            wrapAngle(angle - layer.angle - layer.twist * std::max(d, 0.0f) / 100.0f);
        const float t = delta / layer.spread;
        return std::exp(-t * t);
    }
    }
    return 1.0f;
}

// Portrait pixels from the part of a face that must stay clear: the oval, the squarer jaw of a
// face that fills it, and the neck below; negative inside.
float faceClearance(double x, double y) {
    const QRectF face = PortraitGeometry::faceRect();
    const double cx = face.center().x();
    const double cy = face.center().y();
    const double dx = (x - cx) / (face.width() / 2.0);
    const double dy = (y - cy) / (face.height() / 2.0);
    const double oval = (std::sqrt(dx * dx + dy * dy) - 1.0) * face.width() / 2.0;
    auto box = [&](double cx, double cy, double hx, double hy, double radius) {
        const double qx = std::abs(x - cx) - (hx - radius);
        const double qy = std::abs(y - cy) - (hy - radius);
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
               radius;
    };
    const double jaw = box(cx, cy + 44.0, face.width() / 2.0 + 1.0, 36.0, 26.0);
    const double neck = box(cx, cy + 92.0, 41.0, 24.0, 6.0);
    return static_cast<float>(std::min({oval, jaw, neck}));
}

// Only colours this dark look like soot on skin; an amber brown may come close to the face.
bool nearBlack(const AuraLayer& layer) {
    return 0.2126f * layer.red + 0.7152f * layer.green + 0.0722f * layer.blue < 0.2f;
}

// Film grain: a fixed pattern per pixel, so two runs give the same picture.
float grain(std::uint64_t seed, int x, int y) {
    std::uint64_t z = seed ^ (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^
                      (static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // Sum of two uniforms: a soft triangular spread without rare extreme specks.
    const float u = static_cast<float>(z & 0xFFFF) / 65535.0f;
    const float v = static_cast<float>((z >> 16) & 0xFFFF) / 65535.0f;
    return u + v - 1.0f;
}

// Pushes the noise away from its grey middle so the texture reads as smoke, not fog.
float contrast(float n) {
    return smoothstep(0.18f, 0.82f, n);
}

} // namespace

AuraOverlayPainter::AuraOverlayPainter()
    : AuraOverlayPainter(QSize(PortraitFormat::Width, PortraitFormat::Height), QTransform()) {}

AuraOverlayPainter::AuraOverlayPainter(QSize canvas, const QTransform& placement)
    : m_canvas(canvas), m_toPortrait(placement.inverted()),
      m_scale(static_cast<float>(std::sqrt(std::abs(placement.determinant())))),
      m_field(placement.map(PortraitGeometry::silhouette()), canvas.width(), canvas.height()),
      m_glowWidth((canvas.width() + 1) / 2), m_glowHeight((canvas.height() + 1) / 2) {
    const QPointF centre = PortraitGeometry::auraCentre();
    const std::size_t count = static_cast<std::size_t>(m_glowWidth * m_glowHeight);
    m_glowX.resize(count);
    m_glowY.resize(count);
    m_glowDistance.resize(count);
    m_glowAngle.resize(count);
    m_glowFace.resize(count);
    for (int y = 0; y < m_glowHeight; ++y) {
        for (int x = 0; x < m_glowWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * m_glowWidth + x);
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += m_field.at(std::min(2 * x + (k & 1), canvas.width() - 1),
                                  std::min(2 * y + (k >> 1), canvas.height() - 1));
            }
            m_glowDistance[i] = 0.25f * sum / m_scale;
            const QPointF at = m_toPortrait.map(QPointF(2 * x + 1, 2 * y + 1));
            m_glowX[i] = static_cast<float>(at.x());
            m_glowY[i] = static_cast<float>(at.y());
            m_glowAngle[i] =
                static_cast<float>(std::atan2(at.x() - centre.x(), centre.y() - at.y()));
            m_glowFace[i] = faceClearance(at.x(), at.y());
        }
    }

    m_faceMask = QImage(canvas, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < m_faceMask.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_faceMask.scanLine(y));
        for (int x = 0; x < m_faceMask.width(); ++x) {
            const QPointF at = m_toPortrait.map(QPointF(x + 0.5, y + 0.5));
            const float clear = faceClearance(at.x(), at.y());
            const int a = static_cast<int>(std::lround(255.0f * smoothstep(1.0f, 20.0f, clear)));
            line[x] = qRgba(a, a, a, a);
        }
    }
}

QImage AuraOverlayPainter::paint(const AuraRecipe& recipe) const {
    QImage image = paintGlow(recipe)
                       .scaled(m_glowWidth * 2, m_glowHeight * 2, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation)
                       .copy(0, 0, m_canvas.width(), m_canvas.height());
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    paintSparkles(image, recipe);
    addGrain(image, recipe);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, m_faceMask);
    painter.end();
    return image;
}

QImage AuraOverlayPainter::paintGlow(const AuraRecipe& recipe) const {
    const Noise first(recipe.seed);
    const Noise second(recipe.seed ^ 0xD1B54A32D192ED03ull);
    // The texture has no detail finer than a few pixels, so it is sampled on a coarser grid
    // and interpolated: noise is the costliest part of an overlay.
    constexpr int Step = 2;
    const int noiseWidth = m_glowWidth / Step + 2;
    const int noiseHeight = m_glowHeight / Step + 2;
    std::vector<float> noiseA(static_cast<std::size_t>(noiseWidth * noiseHeight));
    std::vector<float> noiseB(noiseA.size());
    for (int ny = 0; ny < noiseHeight; ++ny) {
        for (int nx = 0; nx < noiseWidth; ++nx) {
            // Noise lives in portrait units so its grain keeps its size wherever the figure goes.
            const QPointF at = m_toPortrait.map(QPointF(nx * Step * 2 + 1, ny * Step * 2 + 1));
            const float sx = static_cast<float>(at.x()) * recipe.noiseScale;
            const float sy = static_cast<float>(at.y()) * recipe.noiseScale * recipe.noiseStretch;
            const std::size_t i = static_cast<std::size_t>(ny * noiseWidth + nx);
            noiseA[i] = first.warped(sx, sy, recipe.warp);
            noiseB[i] = second.warped(sx + 31.7f, sy + 11.3f, recipe.warp);
        }
    }
    auto sample = [&](const std::vector<float>& grid, int gx, int gy) {
        const int ix = std::min(gx / Step, noiseWidth - 2);
        const int iy = std::min(gy / Step, noiseHeight - 2);
        const float tx = static_cast<float>(gx - ix * Step) / Step;
        const float ty = static_cast<float>(gy - iy * Step) / Step;
        const std::size_t i = static_cast<std::size_t>(iy * noiseWidth + ix);
        const float top = grid[i] + (grid[i + 1] - grid[i]) * tx;
        const std::size_t j = i + static_cast<std::size_t>(noiseWidth);
        const float bottom = grid[j] + (grid[j + 1] - grid[j]) * tx;
        return top + (bottom - top) * ty;
    };

    QImage glow(m_glowWidth, m_glowHeight, QImage::Format_ARGB32_Premultiplied);
    const AuraLayer* wispLayer =
        recipe.layers.empty()
            ? nullptr
            : &recipe.layers[static_cast<std::size_t>(
                  std::clamp(recipe.wispLayer, 0, static_cast<int>(recipe.layers.size()) - 1))];

    const AuraLayer* veilLayer =
        recipe.layers.empty()
            ? nullptr
            : &recipe.layers[static_cast<std::size_t>(
                  std::clamp(recipe.veilLayer, 0, static_cast<int>(recipe.layers.size()) - 1))];

    for (int gy = 0; gy < m_glowHeight; ++gy) {
        auto* line = reinterpret_cast<QRgb*>(glow.scanLine(gy));
        for (int gx = 0; gx < m_glowWidth; ++gx) {
            const std::size_t i = static_cast<std::size_t>(gy * m_glowWidth + gx);
            const float x = m_glowX[i];
            const float y = m_glowY[i];
            const float distance = m_glowDistance[i];
            const float angle = m_glowAngle[i];
            // Dark veils keep away from the face, where they would read as soot on the skin.
            const float darkRoom = smoothstep(42.0f, 75.0f, m_glowFace[i]);

            const float a = sample(noiseA, gx, gy);
            const float b = sample(noiseB, gx, gy);
            // Texture and wobble grow with distance: the rim along the person stays clean while
            // the outer glow turns to smoke.
            const float outward = smoothstep(-6.0f, 24.0f, distance);
            const float d = distance + recipe.wobble * (a - 0.5f) * 2.0f * outward;

            const float up = std::max(0.0f, std::cos(angle));
            float reachScale = (1.0f + recipe.lift * up * std::sqrt(up)) *
                               std::max(0.2f, 1.0f + recipe.tilt * std::sin(angle));
            if (recipe.rays > 0.0f) {
                const float phase = recipe.rayCount * angle + recipe.rayPhase + (a - 0.5f) * 1.5f;
                const float ray = std::pow(0.5f + 0.5f * std::cos(phase), recipe.raySharpness);
                reachScale *= std::max(0.3f, 1.0f + recipe.rays * (2.0f * ray - 0.6f));
            }

            float total = 0.0f;
            float mix = 0.0f;
            float red = 0.0f;
            float green = 0.0f;
            float blue = 0.0f;
            float luminous = 0.0f;
            auto accumulate = [&](const AuraLayer& layer, float v) {
                if (nearBlack(layer)) {
                    v *= darkRoom;
                }
                total += v;
                // The stronger veil wins the colour more than its share: an even average of
                // several colours turns to grey, where film keeps each dye's own hue.
                const float w = v * v;
                mix += w;
                red += w * layer.red;
                green += w * layer.green;
                blue += w * layer.blue;
                if (layer.luminous) {
                    luminous += w;
                }
            };

            for (const AuraLayer& layer : recipe.layers) {
                const float weight = regionWeight(layer, x, y, angle, d);
                if (weight < 0.002f) {
                    continue;
                }
                const float shape =
                    profile(d, layer.offset, layer.innerWidth, layer.outerWidth * reachScale);
                const float n = contrast(layer.secondNoise ? b : a);
                const float texture = 1.0f + layer.texture * (2.0f * n - 1.0f) * outward;
                accumulate(layer, layer.strength * weight * shape * texture);
            }
            if (wispLayer != nullptr && recipe.wisps > 0.0f) {
                const float streak = smoothstep(0.55f, 0.8f, b);
                const float fade =
                    std::exp(-std::max(d, 0.0f) / recipe.wispReach) * smoothstep(-4.0f, 12.0f, d);
                accumulate(*wispLayer, recipe.wisps * streak * fade);
            }
            if (veilLayer != nullptr && recipe.veil > 0.0f) {
                // A thin wash over everything, person included, thickest near the outline and
                // leaning to one side or upward; the face stays clear through the mask.
                const float spread = distance > 0.0f
                                         ? std::exp(-distance / recipe.veilReach)
                                         : recipe.veilBody + (1.0f - recipe.veilBody) *
                                                                 smoothstep(-30.0f, 0.0f, distance);
                const float lean = std::max(0.0f, 1.0f + recipe.veilLean * (x - 180.0f) / 180.0f +
                                                      recipe.veilLift * (230.0f - y) / 240.0f);
                accumulate(*veilLayer, recipe.veil * spread * lean * (0.55f + 0.9f * a));
            }

            if (total < 1e-4f || mix <= 0.0f) {
                line[gx] = 0;
                continue;
            }
            red /= mix;
            green /= mix;
            blue /= mix;
            const float hot = recipe.hotCore * (luminous / mix) * std::exp(-std::abs(d) / 18.0f);
            red += (1.0f - red) * hot;
            green += (1.0f - green) * hot;
            blue += (1.0f - blue) * hot;
            // Nearly linear for faint veils, levelling off at the peak where veils pile up.
            const float alpha =
                recipe.peakAlpha * std::min(1.0f, (1.0f - std::exp(-1.6f * total)) / 0.8f);
            const float scale = 255.0f * alpha;
            line[gx] =
                qRgba(static_cast<int>(red * scale + 0.5f), static_cast<int>(green * scale + 0.5f),
                      static_cast<int>(blue * scale + 0.5f), static_cast<int>(scale + 0.5f));
        }
    }
    return glow;
}

void AuraOverlayPainter::addGrain(QImage& image, const AuraRecipe& recipe) const {
    if (recipe.grain <= 0.0f) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a == 0) {
                continue;
            }
            // Scaling the premultiplied pixel keeps its colour and varies only its density,
            // as grains of dye do.
            const float f = 1.0f + recipe.grain * grain(recipe.seed, x, y);
            const int na = std::clamp(static_cast<int>(a * f + 0.5f), 0, 255);
            auto channel = [&](int c) { return std::clamp(static_cast<int>(c * f + 0.5f), 0, na); };
            line[x] = qRgba(channel(qRed(p)), channel(qGreen(p)), channel(qBlue(p)), na);
        }
    }
}

void AuraOverlayPainter::paintSparkles(QImage& image, const AuraRecipe& recipe) const {
    if (recipe.sparkles <= 0) {
        return;
    }
    Rng rng(recipe.seed ^ 0x94D049BB133111EBull);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setPen(Qt::NoPen);
    int placed = 0;
    for (int attempt = 0; attempt < recipe.sparkles * 40 && placed < recipe.sparkles; ++attempt) {
        const int x = rng.below(m_canvas.width());
        const int y = rng.below(m_canvas.height() - 8);
        const float d = m_field.at(x, y) / m_scale;
        const QRgb under = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
        if (d < 4.0f || d > 80.0f || qAlpha(under) < 40) {
            continue;
        }
        ++placed;
        const double alpha = qAlpha(under) / 255.0;
        QColor tint = QColor::fromRgbF(static_cast<float>(qRed(under) / 255.0 / alpha),
                                       static_cast<float>(qGreen(under) / 255.0 / alpha),
                                       static_cast<float>(qBlue(under) / 255.0 / alpha));
        tint = QColor::fromRgbF(static_cast<float>(0.45 + 0.55 * tint.redF()),
                                static_cast<float>(0.45 + 0.55 * tint.greenF()),
                                static_cast<float>(0.45 + 0.55 * tint.blueF()));
        const double radius = recipe.sparkleSize * rng.uniform(0.5, 1.6) * m_scale;
        const QPointF centre(x + 0.5, y + 0.5);

        QRadialGradient glow(centre, radius * 3.5);
        QColor core = tint;
        core.setAlphaF(0.85f);
        QColor halo = tint;
        halo.setAlphaF(0.3f);
        QColor clear = tint;
        clear.setAlphaF(0.0f);
        glow.setColorAt(0.0, core);
        glow.setColorAt(0.22, halo);
        glow.setColorAt(1.0, clear);
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius * 3.5, radius * 3.5);

        if (radius > recipe.sparkleSize * 1.15 * m_scale) {
            const double arm = radius * rng.uniform(4.0, 7.0);
            for (int k = 0; k < 2; ++k) {
                const QPointF along = k == 0 ? QPointF(arm, 0.0) : QPointF(0.0, arm);
                QLinearGradient flare(centre - along, centre + along);
                QColor bright = tint;
                bright.setAlphaF(0.7f);
                flare.setColorAt(0.0, clear);
                flare.setColorAt(0.5, bright);
                flare.setColorAt(1.0, clear);
                painter.setPen(QPen(QBrush(flare), 1.1));
                painter.drawLine(centre - along, centre + along);
            }
            painter.setPen(Qt::NoPen);
        }
    }
}
