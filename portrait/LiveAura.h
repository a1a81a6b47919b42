#pragma once

#include "face/FaceDetector.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <QThreadPool>
#include <QTransform>

#include <memory>
#include <optional>

class QPainter;

/// The aura laid over a camera's live view, following the face: a preview of the portrait the
/// photo will become, with its overlay. Faces are looked for in a small copy of the newest
/// frame on a thread of its own, one frame at a time; the head's place is smoothed from frame
/// to frame so the glow neither jitters nor jumps, and the aura is painted for it in the
/// background whenever it has moved too far from where it was painted. Used on the GUI
/// thread.
class LiveAura : public QObject {
    Q_OBJECT

public:
    /// The long side of the copy of a frame faces are looked for in: the detector finds
    /// faces of 80 pixels, a sixth of the frame's height, at many looks a second.
    static constexpr int kDetectionSide = 512;

    /// Follows the faces `detector` finds with overlay `auraNumber` (1 to the overlay count).
    LiveAura(std::shared_ptr<const toolkit::FaceDetector> detector, int auraNumber,
             QObject* parent = nullptr);
    /// Waits for the look under way, if any.
    ~LiveAura() override;

    int auraNumber() const { return m_auraNumber; }

    /// Takes the newest frame as shown (the portrait part of the camera's frame, unmirrored).
    /// Looked at when the previous look is done and a tenth of a second has passed; otherwise
    /// only the smoothing moves on.
    void offer(const QImage& frame);
    /// Whether a face is followed and its aura ready to draw; the silhouette shows otherwise.
    bool hasFace() const { return m_following && !m_aura.isNull(); }
    /// Draws the aura where the face is, over `area`, where the frame is drawn stretched.
    void draw(QPainter& painter, const QRectF& area) const;
    /// The looks finished since the start, for measuring.
    int looks() const { return m_looks; }

signals:
    /// The aura appeared, went or was painted anew: the view needs painting. Its moves come
    /// with the frames offered, which are painted anyway.
    void changed();

private:
    struct Look {
        std::optional<QRectF> face;
        QImage aura;
        QTransform paintedAt;
    };
    static Look look(const toolkit::FaceDetector& detector, const QImage& frame, int auraNumber,
                     std::optional<QTransform> paintAt);
    void arrived(const Look& look);
    bool needsPainting() const;

    std::shared_ptr<const toolkit::FaceDetector> m_detector;
    int m_auraNumber;
    // One look at a time, on a thread of its own: the decoders keep the shared pool.
    QThreadPool m_pool;
    QFutureWatcher<Look>* m_watcher = nullptr;
    bool m_busy = false;
    QElapsedTimer m_lastLook;
    // Face boxes in the portrait's units (360 × 480): where the detector last saw it, and
    // where the aura is shown on its way there.
    QRectF m_target;
    QRectF m_shown;
    bool m_following = false;
    int m_misses = 0;
    int m_looks = 0;
    QImage m_aura;
    QTransform m_paintedAt;
};
