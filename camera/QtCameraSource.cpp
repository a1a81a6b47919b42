#include "camera/QtCameraSource.h"

#include "base/Log.h"

#include <QCamera>
#include <QFutureWatcher>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <QVideoSink>
#include <QtConcurrent>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

// A stream that delivers nothing for this long has stopped: at the slowest webcam rate
// (7.5 frames a second in dim light) that is seven frames missed.
constexpr int kStallMs = 1000;
// The photo is the frame on screen when the shutter is pressed, if it is this recent.
constexpr int kFreshMs = 500;

inline uchar clamp8(int v) {
    return uchar(std::clamp(v, 0, 255));
}

// ITU-R BT.601, the colour matrix of webcams at these sizes, in 8.8 fixed point.
inline QRgb yuvToRgb(int y, int u, int v, bool fullRange) {
    const int d = u - 128;
    const int e = v - 128;
    if (fullRange) {
        const int c = y * 256 + 128;
        return qRgb(clamp8((c + 359 * e) >> 8), clamp8((c - 88 * d - 183 * e) >> 8),
                    clamp8((c + 454 * d) >> 8));
    }
    const int c = (y - 16) * 298 + 128;
    return qRgb(clamp8((c + 409 * e) >> 8), clamp8((c - 100 * d - 208 * e) >> 8),
                clamp8((c + 516 * d) >> 8));
}

// Converts only the portrait part of `frame`, on the calling (worker) thread. The common
// webcam layouts are converted here, on the CPU; anything else goes through Qt, whose
// converter may want the GPU.
QImage portraitFromFrame(QVideoFrame frame) {
    const QRect part = CameraSource::portraitRect(frame.size());
    if (part.isEmpty() || !frame.map(QVideoFrame::ReadOnly))
        return {};
    const QVideoFrameFormat::PixelFormat format = frame.pixelFormat();
    const bool full = frame.surfaceFormat().colorRange() == QVideoFrameFormat::ColorRange_Full;
    QImage out(part.size(), QImage::Format_RGB32);
    const int x0 = part.x(), y0 = part.y();
    bool done = true;
    switch (format) {
    case QVideoFrameFormat::Format_YUYV:
    case QVideoFrameFormat::Format_UYVY: {
        const bool yuyv = format == QVideoFrameFormat::Format_YUYV;
        const int yo = yuyv ? 0 : 1, uo = yuyv ? 1 : 0, vo = yuyv ? 3 : 2;
        for (int y = 0; y < part.height(); ++y) {
            const uchar* row = frame.bits(0) + (y0 + y) * frame.bytesPerLine(0);
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < part.width(); ++x) {
                const int sx = x0 + x;
                const uchar* pair = row + (sx & ~1) * 2;
                dst[x] = yuvToRgb(pair[yo + (sx & 1) * 2], pair[uo], pair[vo], full);
            }
        }
        break;
    }
    case QVideoFrameFormat::Format_NV12:
    case QVideoFrameFormat::Format_NV21: {
        const bool nv12 = format == QVideoFrameFormat::Format_NV12;
        for (int y = 0; y < part.height(); ++y) {
            const uchar* luma = frame.bits(0) + (y0 + y) * frame.bytesPerLine(0);
            const uchar* chroma = frame.bits(1) + ((y0 + y) / 2) * frame.bytesPerLine(1);
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < part.width(); ++x) {
                const int sx = x0 + x;
                const uchar* uv = chroma + (sx & ~1);
                dst[x] = yuvToRgb(luma[sx], uv[nv12 ? 0 : 1], uv[nv12 ? 1 : 0], full);
            }
        }
        break;
    }
    case QVideoFrameFormat::Format_YUV420P:
    case QVideoFrameFormat::Format_YV12: {
        const int up = format == QVideoFrameFormat::Format_YUV420P ? 1 : 2;
        const int vp = 3 - up;
        for (int y = 0; y < part.height(); ++y) {
            const int sy = y0 + y;
            const uchar* luma = frame.bits(0) + sy * frame.bytesPerLine(0);
            const uchar* us = frame.bits(up) + (sy / 2) * frame.bytesPerLine(up);
            const uchar* vs = frame.bits(vp) + (sy / 2) * frame.bytesPerLine(vp);
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < part.width(); ++x) {
                const int sx = x0 + x;
                dst[x] = yuvToRgb(luma[sx], us[sx / 2], vs[sx / 2], full);
            }
        }
        break;
    }
    default: {
        const QImage::Format imageFormat = QVideoFrameFormat::imageFormatFromPixelFormat(format);
        if (imageFormat != QImage::Format_Invalid) {
            const QImage whole(frame.bits(0), frame.width(), frame.height(), frame.bytesPerLine(0),
                               imageFormat);
            out = whole.copy(part).convertToFormat(QImage::Format_RGB32);
        } else {
            done = false;
        }
    }
    }
    frame.unmap();
    if (!done)
        out = frame.toImage().copy(part);
    return out;
}

// The view's rendition of `picture`: at most as tall as a window enlarged one and a half
// times shows it, scaled here, off the GUI thread, which then only draws it.
constexpr int kPreviewRows = 720;

QImage previewOf(const QImage& picture) {
    return picture.height() > kPreviewRows
               ? picture.scaledToHeight(kPreviewRows, Qt::SmoothTransformation)
               : picture;
}

// The photo-to-be and its preview, both made on the calling (worker) thread.
std::pair<QImage, QImage> convertedFrame(const QVideoFrame& frame) {
    QImage picture = portraitFromFrame(frame);
    QImage preview = previewOf(picture);
    return {std::move(picture), std::move(preview)};
}
} // namespace

QtCameraSource::QtCameraSource(const QCameraDevice& device, QObject* parent)
    : CameraSource(parent), m_device(device) {
    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(250);
    connect(m_watchdog, &QTimer::timeout, this, &QtCameraSource::checkStream);
}

QtCameraSource::~QtCameraSource() {
    stop();
}

QCameraFormat QtCameraSource::preferredFormat(const QCameraDevice& device) {
    QCameraFormat best;
    auto score = [](const QCameraFormat& f) {
        const QSize s = f.resolution();
        const bool slow = f.maxFrameRate() < 14.9f;
        const bool shaped = s.width() * 3 == s.height() * 4 || s.width() * 9 == s.height() * 16;
        // A large portrait is 960 rows: a frame with as many makes it sharp.
        const bool sharp = s.height() >= 960;
        const qint64 area = qint64(s.width()) * s.height();
        // Lower is better: 15 frames a second or more, a 4:3 or 16:9 frame, then the
        // smallest frame sharp enough (each frame is converted: more rows than needed only
        // cost), else the largest there is; a raw frame (no decoding) over a compressed one.
        return std::tuple(slow, !shaped, !sharp, sharp ? area : -area,
                          f.pixelFormat() == QVideoFrameFormat::Format_Jpeg);
    };
    for (const QCameraFormat& f : device.videoFormats()) {
        if (best.isNull() || score(f) < score(best))
            best = f;
    }
    return best;
}

void QtCameraSource::start() {
    if (m_running)
        return;
    m_running = true;
    m_reopened = 0;
    if (!QMediaDevices::videoInputs().contains(m_device)) {
        deviceRemoved(); // unplugged between the listing and now
        return;
    }
    openSession();
    m_watchdog->start();
}

void QtCameraSource::stop() {
    m_running = false;
    m_wantPicture = false;
    m_watchdog->stop();
    ++m_generation; // frames converting now are dropped on arrival
    m_converting = false;
    m_newest = QVideoFrame();
    closeSession(true);
}

namespace {
// Sessions whose teardown waits for the screen behind to paint. A camera is never opened
// while an old session of it is still being taken down: the old one is finished first.
struct LeavingSession {
    QPointer<QObject> owner;
    std::function<void()> close;
};
std::vector<LeavingSession>& leavingSessions() {
    static std::vector<LeavingSession> leaving;
    return leaving;
}

void finishLeavingSession(QObject* owner) {
    auto& all = leavingSessions();
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (it->owner == owner) {
            const std::function<void()> close = std::move(it->close);
            all.erase(it);
            close();
            return;
        }
    }
}

void finishLeavingSessions() {
    const std::vector<LeavingSession> all = std::exchange(leavingSessions(), {});
    for (const LeavingSession& leaving : all) {
        if (leaving.owner)
            leaving.close();
    }
}
} // namespace

void QtCameraSource::openSession() {
    finishLeavingSessions();
    m_session = std::make_unique<QMediaCaptureSession>();
    m_camera = new QCamera(m_device, this);
    const QCameraFormat format = preferredFormat(m_device);
    if (!format.isNull())
        m_camera->setCameraFormat(format);
    m_sink = new QVideoSink(this);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &QtCameraSource::frameArrived);
    connect(
        m_camera, &QCamera::errorOccurred, this,
        [this](QCamera::Error, const QString& reason) {
            qCWarning(programLog, "camera: %s", qUtf8Printable(reason));
            stop();
            emit failed(reason);
        },
        Qt::QueuedConnection);
    m_session->setVideoSink(m_sink);
    m_session->setCamera(m_camera);
    m_camera->start();
    m_lastFrameAt.start();
    m_shownAt.start();
}

void QtCameraSource::closeSession(bool later) {
    if (!m_session)
        return;
    // Stopping only flips a flag on this backend: the stream ends, and the device is let go,
    // when the camera leaves the session and is destroyed. That waits up to 300 ms for a
    // frame the sink is handing over; when the page closes, it waits until the screen
    // behind has been painted.
    disconnect(m_sink, nullptr, this, nullptr);
    disconnect(m_camera, nullptr, this, nullptr);
    m_camera->stop();
    auto* leaving = new QObject;
    m_camera->setParent(leaving);
    m_sink->setParent(leaving);
    m_session->setParent(leaving);
    QMediaCaptureSession* session = m_session.release();
    m_camera = nullptr;
    m_sink = nullptr;
    auto close = [leaving, session] {
        session->setCamera(nullptr);
        session->setVideoSink(nullptr);
        delete leaving;
    };
    if (later) {
        leavingSessions().push_back({leaving, close});
        QTimer::singleShot(100, leaving, [leaving] { finishLeavingSession(leaving); });
    } else {
        close();
    }
}

void QtCameraSource::frameArrived(const QVideoFrame& frame) {
    // Nothing slow here: the backend waits for this handler and gives up after 300 ms.
    m_lastFrameAt.start();
    m_newest = frame;
    if (!m_converting)
        convertNewest();
}

void QtCameraSource::convertNewest() {
    if (!m_newest.isValid())
        return;
    m_converting = true;
    auto* watcher = new QFutureWatcher<std::pair<QImage, QImage>>(this);
    const quint64 generation = m_generation;
    connect(watcher, &QFutureWatcher<std::pair<QImage, QImage>>::finished, this,
            [this, watcher, generation] {
                watcher->deleteLater();
                const auto [picture, preview] = watcher->result();
                converted(picture, preview, generation);
            });
    watcher->setFuture(QtConcurrent::run(convertedFrame, m_newest));
    m_newest = QVideoFrame();
}

void QtCameraSource::converted(const QImage& image, const QImage& preview, quint64 generation) {
    if (generation != m_generation)
        return;
    m_converting = false;
    if (!image.isNull()) {
        m_latest = image;
        m_latestAt.start();
        m_shownAt.start();
        emit previewFrame(preview);
        if (m_wantPicture) {
            m_wantPicture = false;
            emit captured(image);
            return;
        }
    }
    if (m_running)
        convertNewest();
}

QString QtCameraSource::name() const {
    return m_device.description();
}

void QtCameraSource::capture() {
    if (!m_running)
        return;
    if (!m_latest.isNull() && m_latestAt.isValid() && m_latestAt.elapsed() < kFreshMs) {
        // Delivered from the event loop, like a capture that takes time, so the page is never
        // closed from inside its own shutter handler.
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this,
            [this, picture = m_latest, generation] {
                if (generation == m_generation)
                    emit captured(picture);
            },
            Qt::QueuedConnection);
        return;
    }
    m_wantPicture = true; // the next frame is the photo; the page gives up if none comes
}

void QtCameraSource::deviceRemoved() {
    if (!m_running)
        return;
    stop();
    emit unplugged();
}

void QtCameraSource::checkStream() {
    if (!m_running || (m_lastFrameAt.elapsed() < kStallMs && m_shownAt.elapsed() < kStallMs))
        return;
    // The backend ends a stream for good when the GUI thread is late for a frame once (a
    // busy start-up, a slow paint); opening the camera again brings the live view back.
    ++m_reopened;
    qCWarning(programLog, "camera: no frame for %lld ms, opening it again (%d)",
              static_cast<long long>(qMax(m_lastFrameAt.elapsed(), m_shownAt.elapsed())),
              m_reopened);
    // A conversion of the old stream still under way is dropped when it arrives.
    ++m_generation;
    m_converting = false;
    m_newest = QVideoFrame();
    closeSession();
    // The backend frees a device it no longer lists, and opening it then crashes: a
    // camera unplugged while its stream stalled must not be opened again.
    if (!QMediaDevices::videoInputs().contains(m_device)) {
        deviceRemoved();
        return;
    }
    openSession();
}

} // namespace toolkit
