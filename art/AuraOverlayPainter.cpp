#include "art/AuraOverlayPainter.h"

#include "art/AuraRecipe.h"
#include "art/DistanceField.h"
#include "art/Noise.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Densest `offset` outside the outline, fading outward over `reach` with a rounded peak, and
// inward over `bodyFade` into the person: the template's edge never shows as a line.
float profile(float d, float offset, float reach, float bodyFade) {
    if (d < offset) {
        // A cloud floating clear of the person still reaches them softly.
        const float t = (offset - d) / (bodyFade + offset);
        return std::exp(-2.0f * t * t);
    }
    constexpr float round = 8.0f;
    const float e = d - offset;
    // The far glow thins faster still, so even a wide one fades before the frame's edge.
    constexpr float envelope = 240.0f;
    return std::exp(-(std::sqrt(round * round + e * e) - round) / reach -
                    (e / envelope) * (e / envelope));
}

// The jaw and neck below the face oval, in portrait pixels from its centre.
constexpr double kJawDrop = 44.0;
constexpr double kJawHalfHeight = 36.0;
constexpr double kNeckDrop = 92.0;
constexpr double kNeckHalfWidth = 41.0;
constexpr double kNeckHalfHeight = 24.0;
// The clearances at which the glow's dark colours and the face mask stop changing.
constexpr float kDarkClear = 75.0f;
constexpr float kMaskClear = 32.0f;

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
        const double ox = std::max(qx, 0.0);
        const double oy = std::max(qy, 0.0);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
    };
    const double jaw = box(cx, cy + kJawDrop, face.width() / 2.0 + 1.0, kJawHalfHeight, 26.0);
    const double neck = box(cx, cy + kNeckDrop, kNeckHalfWidth, kNeckHalfHeight, 6.0);
    return static_cast<float>(std::min({oval, jaw, neck}));
}

// Where faceClearance() can be below `margin`, in portrait pixels: outside it the clearance
// is `margin` or more, which is all its users tell apart, so most of the canvas is spared it.
QRectF faceNeighbourhood(double margin) {
    const QRectF face = PortraitGeometry::faceRect();
    const double cx = face.center().x();
    const double cy = face.center().y();
    const double a = face.width() / 2.0;
    const double b = face.height() / 2.0;
    // The oval's clearance grows as its half-width along both axes.
    const QRectF oval(cx - a - margin, cy - b * (1.0 + margin / a), 2.0 * (a + margin),
                      2.0 * b * (1.0 + margin / a));
    auto box = [margin](double x, double y, double hx, double hy) {
        return QRectF(x - hx - margin, y - hy - margin, 2.0 * (hx + margin), 2.0 * (hy + margin));
    };
    return oval.united(box(cx, cy + kJawDrop, a + 1.0, kJawHalfHeight))
        .united(box(cx, cy + kNeckDrop, kNeckHalfWidth, kNeckHalfHeight));
}

// How much of the glow shows at a portrait point near the face, 0 to 255: none over the
// face, all of it from kMaskClear away.
int faceMaskAt(QPointF at) {
    const float clear = faceClearance(at.x(), at.y());
    return static_cast<int>(std::lround(255.0f * smoothstep(1.0f, kMaskClear, clear)));
}

// A premultiplied pixel between `p` (t = 0) and `q` (t = 256), rounding down.
QRgb between(QRgb p, QRgb q, std::uint32_t t) {
    const std::uint32_t s = 256 - t;
    const std::uint32_t redBlue = (((p & 0xff00ff) * s + (q & 0xff00ff) * t) >> 8) & 0xff00ff;
    const std::uint32_t alphaGreen =
        (((p >> 8) & 0xff00ff) * s + ((q >> 8) & 0xff00ff) * t) & 0xff00ff00;
    return redBlue | alphaGreen;
}

// A premultiplied pixel times `a` / 255, rounded as Qt's compositing does.
QRgb timesAlpha(QRgb p, std::uint32_t a) {
    std::uint32_t redBlue = (p & 0xff00ff) * a;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    std::uint32_t alphaGreen = ((p >> 8) & 0xff00ff) * a;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return redBlue | alphaGreen;
}

// Only colours this dark look like soot on skin; an amber brown may come close to the face.
bool nearBlack(QColor colour) {
    return 0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF() < 0.2;
}

// Pushes the noise away from its grey middle so the texture reads as smoke, not fog.
float contrast(float n) {
    return smoothstep(0.18f, 0.82f, n);
}

// A placement's inverse, mapped point by point in the canvas loops: QTransform::map and
// QRectF::contains, called out of line, were a fifth of laying out a canvas. The same
// arithmetic in the same order, so the same points.
class CanvasToPortrait {
public:
    explicit CanvasToPortrait(const QTransform& t)
        : m_t(t), m_affine(t.type() <= QTransform::TxShear), m_11(t.m11()), m_12(t.m12()),
          m_21(t.m21()), m_22(t.m22()), m_dx(t.dx()), m_dy(t.dy()) {}

    QPointF map(double x, double y) const {
        if (!m_affine)
            return m_t.map(QPointF(x, y));
        return QPointF(m_11 * x + m_21 * y + m_dx, m_12 * x + m_22 * y + m_dy);
    }

private:
    QTransform m_t;
    bool m_affine;
    double m_11, m_12, m_21, m_22, m_dx, m_dy;
};

// QRectF::contains, its edges worked out once.
class Within {
public:
    explicit Within(const QRectF& r)
        : m_left(std::min(r.left(), r.right())), m_right(std::max(r.left(), r.right())),
          m_top(std::min(r.top(), r.bottom())), m_bottom(std::max(r.top(), r.bottom())),
          m_empty(r.width() == 0 || r.height() == 0) {}

    bool contains(QPointF p) const {
        return !m_empty && p.x() >= m_left && p.x() <= m_right && p.y() >= m_top &&
               p.y() <= m_bottom;
    }

private:
    double m_left, m_right, m_top, m_bottom;
    bool m_empty;
};

} // namespace

AuraOverlayPainter::AuraOverlayPainter()
    : AuraOverlayPainter(QSize(PortraitFormat::Width, PortraitFormat::Height), QTransform()) {}

AuraOverlayPainter::AuraOverlayPainter(QSize canvas, const QTransform& placement)
    : m_canvas(canvas), m_placement(placement), m_toPortrait(placement.inverted()),
      m_scale(static_cast<float>(std::sqrt(std::abs(placement.determinant())))),
      m_glowWidth((canvas.width() + 1) / 2), m_glowHeight((canvas.height() + 1) / 2) {}

AuraOverlayPainter::Layout AuraOverlayPainter::layout() const {
    const QPointF centre = PortraitGeometry::auraCentre();
    const Within darkNear(faceNeighbourhood(kDarkClear));
    const CanvasToPortrait toPortrait(m_toPortrait);
    const std::size_t count = static_cast<std::size_t>(m_glowWidth * m_glowHeight);
    // The glow is worked out at half size, and so is the distance to the outline it follows:
    // a quarter of the work of the whole canvas's, which the soft glow cannot tell apart.
    const DistanceField field(
        (m_placement * QTransform::fromScale(0.5, 0.5)).map(PortraitGeometry::silhouette()),
        m_glowWidth, m_glowHeight);
    Layout cells;
    cells.distance.resize(count);
    cells.angle.resize(count);
    cells.face.resize(count);
    for (int y = 0; y < m_glowHeight; ++y) {
        for (int x = 0; x < m_glowWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * m_glowWidth + x);
            cells.distance[i] = 2.0f * field.at(x, y) / m_scale;
            const QPointF at = toPortrait.map(2 * x + 1, 2 * y + 1);
            cells.angle[i] =
                static_cast<float>(std::atan2(at.x() - centre.x(), centre.y() - at.y()));
            cells.face[i] = darkNear.contains(at) ? faceClearance(at.x(), at.y()) : kDarkClear;
        }
    }
    return cells;
}

QImage AuraOverlayPainter::paint(const AuraRecipe& recipe) const {
    return finish(paintGlow(recipe));
}

QImage AuraOverlayPainter::paintWideGlow(const AuraRecipe& recipe) {
    const AuraOverlayPainter wide(QSize(WideGlowWidth, WideGlowHeight) * 2,
                                  QTransform::fromTranslate(WideGlowLeft, WideGlowTop));
    return wide.paintGlow(recipe);
}

bool AuraOverlayPainter::wideGlowServes() const {
    // Finer than the wide glow's half-size cells is what painting would add; the glow is
    // soft enough that a little larger still looks the same (a close-up's face may be framed
    // up to 1.4 times its target).
    constexpr float largest = 1.45f;
    if (m_scale > largest || m_canvas.isEmpty() || m_toPortrait.type() > QTransform::TxScale)
        return false;
    const QRectF reach = m_toPortrait.mapRect(QRectF(QPointF(0, 0), QSizeF(m_canvas)));
    // Leave a cell for the sampling's neighbour.
    const QRectF held(-WideGlowLeft + 2.0, -WideGlowTop + 2.0, 2.0 * WideGlowWidth - 4.0,
                      2.0 * WideGlowHeight - 4.0);
    return held.contains(reach);
}

QImage AuraOverlayPainter::paint(const QImage& wideGlow) const {
    const QImage source = wideGlow.format() == QImage::Format_ARGB32_Premultiplied
                              ? wideGlow
                              : wideGlow.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.width() != WideGlowWidth || source.height() != WideGlowHeight)
        return QImage();
    const QRectF near = faceNeighbourhood(kMaskClear);
    const Within maskNear(near);
    QImage image(m_canvas, QImage::Format_ARGB32_Premultiplied);
    // A placement only scales and shifts, so a column's cell and weight are the same on
    // every row, and a row's on every column. The wide glow's cell centres lie at its odd
    // full-size pixels.
    struct Sample {
        double at;
        int cell;
        std::uint32_t weight;
    };
    auto samples = [](int count, double scale, double shift, int margin, int cells) {
        std::vector<Sample> line(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const double at = scale * (i + 0.5) + shift;
            const double c = std::clamp((at + margin - 1.0) / 2.0, 0.0, double(cells - 1));
            const int cell = std::min(int(c), cells - 2);
            line[std::size_t(i)] = {at, cell, static_cast<std::uint32_t>((c - cell) * 256.0)};
        }
        return line;
    };
    const std::vector<Sample> columns = samples(m_canvas.width(), m_toPortrait.m11(),
                                                m_toPortrait.dx(), WideGlowLeft, WideGlowWidth);
    const std::vector<Sample> rows = samples(m_canvas.height(), m_toPortrait.m22(),
                                             m_toPortrait.dy(), WideGlowTop, WideGlowHeight);
    const uchar* cells = source.constBits();
    const qsizetype stride = source.bytesPerLine();
    // In one pass, what painting does in three: the glow enlarged from its cells, then the
    // face cleared. Pixels are interpolated as Qt does, two channels at a time in 8.8 fixed
    // point, which keeps every colour within its alpha.
    for (int y = 0; y < m_canvas.height(); ++y) {
        const Sample& row = rows[std::size_t(y)];
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* top = reinterpret_cast<const QRgb*>(cells + row.cell * stride);
        const auto* bottom = reinterpret_cast<const QRgb*>(cells + (row.cell + 1) * stride);
        const bool nearFace = row.at >= near.top() && row.at <= near.bottom();
        for (int x = 0; x < m_canvas.width(); ++x) {
            const Sample& column = columns[std::size_t(x)];
            const QPointF at(column.at, row.at);
            const int mask = nearFace && maskNear.contains(at) ? faceMaskAt(at) : 255;
            if (mask == 0) {
                line[x] = 0;
                continue;
            }
            const int c = column.cell;
            const QRgb glow = between(between(top[c], top[c + 1], column.weight),
                                      between(bottom[c], bottom[c + 1], column.weight), row.weight);
            line[x] = mask == 255 ? glow : timesAlpha(glow, std::uint32_t(mask));
        }
    }
    return image;
}

QImage AuraOverlayPainter::finish(const QImage& glow) const {
    QImage image = glow.scaled(m_glowWidth * 2, m_glowHeight * 2, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation)
                       .copy(0, 0, m_canvas.width(), m_canvas.height());
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const Within maskNear(faceNeighbourhood(kMaskClear));
    const CanvasToPortrait toPortrait(m_toPortrait);
    QImage faceMask(m_canvas, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < faceMask.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(faceMask.scanLine(y));
        for (int x = 0; x < faceMask.width(); ++x) {
            const QPointF at = toPortrait.map(x + 0.5, y + 0.5);
            const int a = maskNear.contains(at) ? faceMaskAt(at) : 255;
            line[x] = qRgba(a, a, a, a);
        }
    }
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, faceMask);
    painter.end();
    return image;
}

QImage AuraOverlayPainter::paintGlow(const AuraRecipe& recipe) const {
    const Layout cells = layout();
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

    struct Tint {
        float red, green, blue;
        bool nearBlack;
    };
    std::vector<Tint> tints;
    for (const AuraCloud& cloud : recipe.clouds) {
        const QColor c = AuraPalette::colour(cloud.colour);
        tints.push_back({float(c.redF()), float(c.greenF()), float(c.blueF()), nearBlack(c)});
    }

    QImage glow(m_glowWidth, m_glowHeight, QImage::Format_ARGB32_Premultiplied);
    for (int gy = 0; gy < m_glowHeight; ++gy) {
        auto* line = reinterpret_cast<QRgb*>(glow.scanLine(gy));
        for (int gx = 0; gx < m_glowWidth; ++gx) {
            const std::size_t i = static_cast<std::size_t>(gy * m_glowWidth + gx);
            const float distance = cells.distance[i];
            const float angle = cells.angle[i];
            // Dark smoke keeps away from the face, where it would read as soot on the skin.
            const float darkRoom = smoothstep(42.0f, kDarkClear, cells.face[i]);
            const float a = sample(noiseA, gx, gy);
            const float b = sample(noiseB, gx, gy);
            // Smoke grows with distance: by the person the glow is even, farther out it
            // breaks up and its edge wanders.
            const float outward = smoothstep(-6.0f, 30.0f, distance);
            const float d = distance + recipe.wobble * (a - 0.5f) * 2.0f * outward;
            const float up = std::max(0.0f, std::cos(angle));
            const float reachScale = 1.0f + recipe.lift * up * up;
            const float smoke = 1.0f + recipe.texture * (2.0f * contrast(b) - 1.0f) * outward;

            float total = 0.0f, mix = 0.0f, red = 0.0f, green = 0.0f, blue = 0.0f;
            for (std::size_t k = 0; k < recipe.clouds.size(); ++k) {
                const AuraCloud& cloud = recipe.clouds[k];
                const float t = wrapAngle(angle - cloud.angle) / cloud.spread;
                const float around = std::exp(-0.5f * t * t);
                if (around < 0.002f)
                    continue;
                float v = cloud.strength * around * smoke *
                          profile(d, cloud.offset, std::min(cloud.reach * reachScale, 92.0f),
                                  recipe.bodyFade);
                if (tints[k].nearBlack)
                    v *= darkRoom;
                total += v;
                // The denser cloud takes the colour: film keeps each dye's own hue where
                // clouds meet, where an even average would turn them grey.
                const float w = v * v * v * v;
                mix += w;
                red += w * tints[k].red;
                green += w * tints[k].green;
                blue += w * tints[k].blue;
            }
            if (total < 1e-4f || mix <= 0.0f) {
                line[gx] = 0;
                continue;
            }
            // Nearly linear for a thin glow, levelling off where it lies thick, never flat.
            const float alpha = recipe.peakAlpha * (1.0f - std::exp(-2.6f * total));
            const float scale = 255.0f * alpha / mix;
            line[gx] = qRgba(
                static_cast<int>(red * scale + 0.5f), static_cast<int>(green * scale + 0.5f),
                static_cast<int>(blue * scale + 0.5f), static_cast<int>(255.0f * alpha + 0.5f));
        }
    }
    return glow;
}
