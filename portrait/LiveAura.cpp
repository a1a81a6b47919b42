#include "portrait/LiveAura.h"

#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/FaceFraming.h"
#include "art/PortraitFormat.h"

#include <QPainter>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kWidth = PortraitFormat::Width;
constexpr double kHeight = PortraitFormat::Height;
// The aura is painted at half the portrait's size (the glow is soft) with a margin around
// it, in portrait units, so it can follow the face for a while without its edge showing.
constexpr double kPaintScale = 0.5;
constexpr double kMargin = 72.0;
// How far the shown face moves towards the detected one each frame: it settles in about a
// fifth of a second at 30 frames a second, without the detector's few pixels of jitter.
constexpr double kFollow = 0.3;
// Detected moves smaller than this share of the face's width are jitter, not movement.
constexpr double kStill = 0.04;
// Looks in a row without a face before the silhouette comes back: a turned head or a hand
// before the face for a moment keeps the aura.
constexpr int kMissesToLose = 3;
// Ten looks a second follow a moving head well; looking at every frame would keep a core busy.
constexpr int kLookIntervalMs = 100;

QRectF lerp(const QRectF& from, const QRectF& to, double t) {
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return QRectF(mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
                  mix(from.height(), to.height()));
}

// The painted aura fades out over this many of its pixels at its edges: followed past its
// margin for a moment, it ends softly instead of in a straight line.
constexpr int kEdgeFade = 16;

void fadeEdges(QImage& aura) {
    aura.convertTo(QImage::Format_ARGB32_Premultiplied);
    const int w = aura.width();
    const int h = aura.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(aura.scanLine(y));
        const int fromTop = std::min(y, h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const int edge = std::min({fromTop, x, w - 1 - x});
            if (edge >= kEdgeFade) {
                x = w - 1 - kEdgeFade; // the inside keeps its pixels
                continue;
            }
            const uint f = uint(256 * (edge + 1) / (kEdgeFade + 1));
            const QRgb p = line[x];
            line[x] =
                qRgba(qRed(p) * f >> 8, qGreen(p) * f >> 8, qBlue(p) * f >> 8, qAlpha(p) * f >> 8);
        }
    }
}

// Maps the painted canvas's pixels to the portrait's units at its placement.
QTransform canvasToPortrait() {
    return QTransform::fromScale(1.0 / kPaintScale, 1.0 / kPaintScale) *
           QTransform::fromTranslate(-kMargin, -kMargin);
}

} // namespace

LiveAura::LiveAura(std::shared_ptr<const toolkit::FaceDetector> detector, int auraNumber,
                   QObject* parent)
    : QObject(parent), m_detector(std::move(detector)), m_auraNumber(auraNumber) {
    m_pool.setMaxThreadCount(1);
    m_watcher = new QFutureWatcher<Look>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_busy = false;
        arrived(m_watcher->result());
    });
}

LiveAura::~LiveAura() {
    m_watcher->disconnect(this);
    m_pool.waitForDone();
}

void LiveAura::offer(const QImage& frame) {
    // The caller paints the new frame: the aura moves with it, without a paint of its own.
    if (m_following)
        m_shown = lerp(m_shown, m_target, kFollow);
    if (m_busy || frame.isNull() || !m_detector ||
        (m_lastLook.isValid() && m_lastLook.elapsed() < kLookIntervalMs))
        return;
    m_busy = true;
    m_lastLook.start();
    std::optional<QTransform> paintAt;
    if (m_following && needsPainting())
        paintAt = FaceFraming::placementFor(m_target);
    const std::shared_ptr<const toolkit::FaceDetector> detector = m_detector;
    const int number = m_auraNumber;
    m_watcher->setFuture(QtConcurrent::run(&m_pool, [detector, frame, number, paintAt] {
        return look(*detector, frame, number, paintAt);
    }));
}

LiveAura::Look LiveAura::look(const toolkit::FaceDetector& detector, const QImage& frame,
                              int auraNumber, std::optional<QTransform> paintAt) {
    Look result;
    if (paintAt) {
        // Painted for where the face was last seen; the next look finds where it went.
        const QTransform toCanvas = *paintAt * canvasToPortrait().inverted();
        const QSize canvas(int(std::ceil((kWidth + 2 * kMargin) * kPaintScale)),
                           int(std::ceil((kHeight + 2 * kMargin) * kPaintScale)));
        result.aura = AuraOverlayPainter(canvas, toCanvas).paint(AuraRecipe::forIndex(auraNumber));
        fadeEdges(result.aura);
        result.paintedAt = *paintAt;
    }
    const QImage small = frame.width() > kDetectionSide || frame.height() > kDetectionSide
                             ? frame.scaled(kDetectionSide, kDetectionSide, Qt::KeepAspectRatio,
                                            Qt::SmoothTransformation)
                             : frame;
    QRect largest;
    for (const QRect& box : detector.findFaces(small)) {
        if (qint64(box.width()) * box.height() > qint64(largest.width()) * largest.height())
            largest = box;
    }
    if (!largest.isEmpty()) {
        // The frame is shown stretched to the portrait, so each axis scales on its own.
        const double sx = kWidth / small.width();
        const double sy = kHeight / small.height();
        result.face =
            QRectF(largest.x() * sx, largest.y() * sy, largest.width() * sx, largest.height() * sy);
    }
    return result;
}

void LiveAura::arrived(const Look& look) {
    ++m_looks;
    const bool wasShown = hasFace();
    const bool repainted = !look.aura.isNull();
    if (repainted) {
        m_aura = look.aura;
        m_paintedAt = look.paintedAt;
    }
    if (look.face) {
        m_misses = 0;
        const QRectF face = *look.face;
        if (!m_following) {
            m_following = true;
            m_target = m_shown = face;
        } else {
            const double moved = std::hypot(face.center().x() - m_target.center().x(),
                                            face.center().y() - m_target.center().y());
            const double grown = std::abs(face.width() - m_target.width());
            if (moved > kStill * m_target.width() || grown > kStill * m_target.width())
                m_target = face;
        }
    } else if (m_following && ++m_misses >= kMissesToLose) {
        m_following = false;
        m_aura = QImage();
    }
    if (wasShown != hasFace() || (repainted && hasFace()))
        emit changed();
}

bool LiveAura::needsPainting() const {
    if (m_aura.isNull())
        return true;
    // Drawn moved or scaled from where it was painted, the aura holds up while its margin
    // covers the move and the scale is close; past that it is painted again.
    const QTransform painted = m_paintedAt;
    const QTransform wanted = FaceFraming::placementFor(m_target);
    const double scale = wanted.m11() / painted.m11();
    const QPointF shift = QPointF(wanted.dx(), wanted.dy()) - QPointF(painted.dx(), painted.dy());
    return scale < 0.92 || scale > 1.08 || std::abs(shift.x()) > kMargin / 2 ||
           std::abs(shift.y()) > kMargin / 2;
}

void LiveAura::draw(QPainter& painter, const QRectF& area) const {
    if (!hasFace() || area.isEmpty())
        return;
    const QTransform toView =
        QTransform::fromScale(area.width() / kWidth, area.height() / kHeight) *
        QTransform::fromTranslate(area.left(), area.top());
    painter.save();
    // The margin painted around the portrait stays inside the view.
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(canvasToPortrait() * m_paintedAt.inverted() *
                             FaceFraming::placementFor(m_shown) * toView,
                         true);
    painter.drawImage(QPointF(0, 0), m_aura);
    painter.restore();
}
