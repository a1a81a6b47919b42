#include "art/AuraColourMeasure.h"

#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Lab {
    double l, a, b;
};

double linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labCurve(double t) {
    return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0;
}

Lab toLab(double red, double green, double blue) {
    const double r = linear(red);
    const double g = linear(green);
    const double b = linear(blue);
    const double x = labCurve((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = labCurve(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = labCurve((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return {116.0 * y - 16.0, 500.0 * (x - y), 200.0 * (y - z)};
}

const std::array<Lab, AuraPalette::Count>& paletteLab() {
    static const std::array<Lab, AuraPalette::Count> lab = [] {
        std::array<Lab, AuraPalette::Count> all{};
        for (int c = 0; c < AuraPalette::Count; ++c) {
            const QColor colour = AuraPalette::colour(static_cast<AuraPalette::Colour>(c));
            all[std::size_t(c)] = toLab(colour.redF(), colour.greenF(), colour.blueF());
        }
        return all;
    }();
    return lab;
}

AuraPalette::Colour nearestLab(const Lab& p) {
    const auto& palette = paletteLab();
    int best = 0;
    double bestDistance = 1e300;
    for (int c = 0; c < AuraPalette::Count; ++c) {
        const Lab& q = palette[std::size_t(c)];
        const double d =
            (p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) + (p.b - q.b) * (p.b - q.b);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return static_cast<AuraPalette::Colour>(best);
}

struct Tally {
    std::array<double, AuraPalette::Count> weight{};
    std::array<double, AuraPalette::Count> x{};
    std::array<double, AuraPalette::Count> y{};
    double total = 0.0;
};

// Every second pixel each way at 1 ×: the glow is soft, so this loses nothing.
Tally tally(const QImage& overlay) {
    Tally t;
    const QImage image = overlay.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double unit = double(PortraitFormat::Width) / std::max(1, image.width());
    const int step = std::max(1, int(std::lround(2.0 / unit)));
    const int threshold = int(std::lround(255.0 * AuraColourMeasure::kVisibleAlpha));
    for (int y = 0; y < image.height(); y += step) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += step) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a <= threshold)
                continue;
            const double alpha = a / 255.0;
            const Lab lab =
                toLab(qRed(p) / 255.0 / alpha, qGreen(p) / 255.0 / alpha, qBlue(p) / 255.0 / alpha);
            const auto c = std::size_t(nearestLab(lab));
            // Denser glow shows more: each pixel counts by its alpha.
            t.weight[c] += alpha;
            t.x[c] += alpha * (x + 0.5) * unit;
            t.y[c] += alpha * (y + 0.5) * unit;
            t.total += alpha;
        }
    }
    return t;
}

// Left, above or right of the head, by the angle from the aura's centre to where the colour's
// bulk lies: a colour all round the person sits above, as the eye reads it.
AuraColourTable::Place placeOf(double x, double y) {
    const QPointF centre = PortraitGeometry::auraCentre();
    const double angle = std::atan2(x - centre.x(), centre.y() - y);
    constexpr double side = 0.6;
    if (angle < -side)
        return AuraColourTable::Place::Left;
    if (angle > side)
        return AuraColourTable::Place::Right;
    return AuraColourTable::Place::Above;
}

} // namespace

AuraPalette::Colour AuraColourMeasure::nearest(QRgb colour) {
    return nearestLab(toLab(qRed(colour) / 255.0, qGreen(colour) / 255.0, qBlue(colour) / 255.0));
}

QList<double> AuraColourMeasure::shares(const QImage& overlay) {
    const Tally t = tally(overlay);
    QList<double> result(AuraPalette::Count, 0.0);
    if (t.total <= 0.0)
        return result;
    for (int c = 0; c < AuraPalette::Count; ++c)
        result[c] = t.weight[std::size_t(c)] / t.total;
    return result;
}

QList<AuraColourTable::Entry> AuraColourMeasure::namedColours(const QImage& overlay) {
    const Tally t = tally(overlay);
    QList<AuraColourTable::Entry> entries;
    if (t.total <= 0.0)
        return entries;
    for (int c = 0; c < AuraPalette::Count; ++c) {
        const double w = t.weight[std::size_t(c)];
        if (w / t.total < kNamedShare)
            continue;
        AuraColourTable::Entry entry;
        entry.colour = static_cast<AuraPalette::Colour>(c);
        entry.share = w / t.total;
        entry.place = placeOf(t.x[std::size_t(c)] / w, t.y[std::size_t(c)] / w);
        entries.append(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& p, const auto& q) { return p.share > q.share; });
    return entries;
}
