#include "portrait/PortraitBackdrop.h"

#include "art/Blur.h"

#include <algorithm>
#include <cmath>

namespace {

// The backdrop is worked out at this fraction of the portrait: it is blurred past any detail.
constexpr int kReduction = 6;
// Share of its light the backdrop keeps, so the photo stays what the eye goes to.
constexpr int kDarken = 140; // of 256
// Portrait pixels (at 1 ×) over which the photo fades into the backdrop.
constexpr double kFeather = 18.0;

} // namespace

QImage PortraitBackdrop::make(const QImage& photo, QRectF photoRect, QSize size) {
    const QSize smallSize((size.width() + kReduction - 1) / kReduction,
                          (size.height() + kReduction - 1) / kReduction);
    QImage source = photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage small(smallSize, QImage::Format_ARGB32_Premultiplied);
    if (source.isNull() || photoRect.isEmpty()) {
        small.fill(Qt::black);
        return small.scaled(size);
    }
    // Each backdrop pixel takes the photo's pixel nearest to it: inside the photo its own,
    // outside it the edge's, carried straight out.
    for (int y = 0; y < small.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(small.scanLine(y));
        const double py = ((y + 0.5) * kReduction - photoRect.top()) / photoRect.height();
        const int sy = std::clamp(int(py * source.height()), 0, source.height() - 1);
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
        for (int x = 0; x < small.width(); ++x) {
            const double px = ((x + 0.5) * kReduction - photoRect.left()) / photoRect.width();
            const int sx = std::clamp(int(px * source.width()), 0, source.width() - 1);
            const QRgb p = from[sx];
            line[x] =
                qRgb(qRed(p) * kDarken >> 8, qGreen(p) * kDarken >> 8, qBlue(p) * kDarken >> 8);
        }
    }
    Blur::apply(small, std::max(2, small.width() / 12));
    return small.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void PortraitBackdrop::feather(QImage& portrait, const QImage& backdrop, QRectF photoRect) {
    if (backdrop.size() != portrait.size() ||
        portrait.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    // A small photo (a close-up of a small picture) keeps most of itself unfaded.
    const double width = std::min(kFeather * portrait.height() / 480.0,
                                  0.08 * std::min(photoRect.width(), photoRect.height()));
    const QRectF inside = photoRect.intersected(QRectF(QPointF(0, 0), QSizeF(portrait.size())));
    // Only the photo's edges that lie inside the portrait fade: an edge on the frame stays.
    const bool fadeLeft = photoRect.left() > 0.5;
    const bool fadeTop = photoRect.top() > 0.5;
    const bool fadeRight = photoRect.right() < portrait.width() - 0.5;
    const bool fadeBottom = photoRect.bottom() < portrait.height() - 0.5;
    const int top = std::max(0, int(std::floor(inside.top())));
    const int bottom = std::min(portrait.height(), int(std::ceil(inside.bottom())));
    const int left = std::max(0, int(std::floor(inside.left())));
    const int right = std::min(portrait.width(), int(std::ceil(inside.right())));
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(portrait.scanLine(y));
        const auto* under = reinterpret_cast<const QRgb*>(backdrop.constScanLine(y));
        const double cy = y + 0.5;
        double edgeY = 1e9;
        if (fadeTop)
            edgeY = std::min(edgeY, cy - photoRect.top());
        if (fadeBottom)
            edgeY = std::min(edgeY, photoRect.bottom() - cy);
        for (int x = left; x < right; ++x) {
            const double cx = x + 0.5;
            double edge = edgeY;
            if (fadeLeft)
                edge = std::min(edge, cx - photoRect.left());
            if (fadeRight)
                edge = std::min(edge, photoRect.right() - cx);
            if (edge >= width)
                continue;
            const double t = std::clamp(edge / width, 0.0, 1.0);
            const int w = int(256 * t * t * (3.0 - 2.0 * t));
            const QRgb p = line[x];
            const QRgb b = under[x];
            auto mix = [w](int photo, int back) { return (photo * w + back * (256 - w)) >> 8; };
            line[x] = qRgba(mix(qRed(p), qRed(b)), mix(qGreen(p), qGreen(b)),
                            mix(qBlue(p), qBlue(b)), mix(qAlpha(p), qAlpha(b)));
        }
    }
}
