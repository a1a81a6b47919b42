#include "face/HogFaceDetector.h"

#include "base/Log.h"
#include "base/Resources.h"

#include <QFile>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/serialize.h>

#include <algorithm>
#include <exception>
#include <sstream>

#include <mutex>

namespace toolkit {

namespace {
// Above the detector's own threshold of 0: round badges and patches on clothing score just
// over it (0.006 on a mission patch), faces well above (1.4 on a plain portrait).
constexpr double kMinimumConfidence = 0.2;
// The long side of the copy a face looking at the camera is looked for in first.
constexpr int kFirstLookSide = 400;
// The long side of the copy every face is looked for in after that, at most: the whole
// detector filters five times as much a pixel.
constexpr int kWholeLookSide = 640;

// Where each source pixel along one side goes in a reduction to `to` pixels: every target
// pixel averages the stretch of source it covers, so each part of a source pixel counts once.
struct Share {
    int from;
    int to;
    float weight;
};

std::vector<Share> shares(int from, int to) {
    std::vector<Share> all;
    all.reserve(std::size_t(from + to));
    const double step = double(from) / to;
    for (int t = 0; t < to; ++t) {
        const double start = t * step;
        const double end = std::min(double(from), start + step);
        for (int s = int(start); s < end; ++s) {
            const double covered = std::min(end, s + 1.0) - std::max(start, double(s));
            if (covered > 0.0)
                all.push_back({s, t, float(covered / step)});
        }
    }
    return all;
}

// The picture in grey, as the detector was trained on (a weighted sum of the channels),
// reduced to `size` by averaging areas, in one pass over it. Qt's own conversion to grey is
// colour-managed, and its scaling of a grey picture took as long again as the grey.
QImage greyAt(const QImage& picture, QSize size) {
    const QImage rgb = picture.format() == QImage::Format_RGB32 ||
                               picture.format() == QImage::Format_ARGB32 ||
                               picture.format() == QImage::Format_ARGB32_Premultiplied
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const int targetWidth = std::clamp(size.width(), 1, width);
    const int targetHeight = std::clamp(size.height(), 1, height);
    const std::vector<Share> across = shares(width, targetWidth);
    const std::vector<Share> down = shares(height, targetHeight);
    std::vector<float> grey(static_cast<std::size_t>(width));
    std::vector<float> row(static_cast<std::size_t>(targetWidth));
    std::vector<float> sums(std::size_t(targetWidth) * std::size_t(targetHeight), 0.0f);
    auto share = down.begin();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x)
            grey[std::size_t(x)] = float(qGray(in[x]));
        std::fill(row.begin(), row.end(), 0.0f);
        for (const Share& s : across)
            row[std::size_t(s.to)] += s.weight * grey[std::size_t(s.from)];
        for (; share != down.end() && share->from == y; ++share) {
            float* out = sums.data() + std::size_t(share->to) * std::size_t(targetWidth);
            for (int x = 0; x < targetWidth; ++x)
                out[x] += share->weight * row[std::size_t(x)];
        }
    }
    QImage result(targetWidth, targetHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < targetHeight; ++y) {
        uchar* out = result.scanLine(y);
        const float* in = sums.data() + std::size_t(y) * std::size_t(targetWidth);
        for (int x = 0; x < targetWidth; ++x)
            out[x] = uchar(std::min(255.0f, in[x] + 0.5f));
    }
    return result;
}

// The size of `picture` with its long side at most `side`.
QSize atMost(const QImage& picture, int side) {
    const double shrink = double(side) / std::max(picture.width(), picture.height());
    if (shrink >= 1.0)
        return picture.size();
    return QSize(std::max(1, int(picture.width() * shrink + 0.5)),
                 std::max(1, int(picture.height() * shrink + 0.5)));
}

dlib::array2d<unsigned char> toPixels(const QImage& grey) {
    dlib::array2d<unsigned char> pixels(grey.height(), grey.width());
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        std::copy(line, line + grey.width(), &pixels[y][0]);
    }
    return pixels;
}

} // namespace

struct HogFaceDetector::Engine {
    QString serialised;
    std::once_flag facingRead;
    std::once_flag wholeRead;
    // The detector keeps scratch buffers between calls: one call at a time.
    std::mutex running;
    // The file's bytes, kept until the whole detector is read from where the first part ends.
    std::string bytes;
    std::streamoff wholeAt = -1;
    bool wholeReady = false;
    // The first of the detector's filters alone: the one for faces looking at the camera,
    // as a sitter's does. Tried first, it finds them at a fifth of the filtering, and reading
    // it alone spares separating the other four filters when it finds a face.
    dlib::frontal_face_detector facingCamera;
    dlib::frontal_face_detector whole;

    // Builds both from the model compiled into the library: slower, the same faces.
    void build() {
        whole = dlib::get_frontal_face_detector();
        wholeReady = true;
        if (whole.num_detectors() > 1)
            facingCamera = dlib::frontal_face_detector(whole.get_scanner(),
                                                       whole.get_overlap_tester(), whole.get_w(0));
    }

    void readFacing() {
        if (!serialised.isEmpty()) {
            QFile file(serialised);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray read = file.readAll();
                bytes.assign(read.constData(), size_t(read.size()));
                std::istringstream in(bytes);
                try {
                    dlib::deserialize(facingCamera, in);
                    wholeAt = in.tellg();
                    return;
                } catch (const std::exception& error) {
                    qCWarning(programLog, "%s: the face detector cannot be read (%s)",
                              qUtf8Printable(serialised), error.what());
                }
            } else {
                qCWarning(programLog, "%s: %s", qUtf8Printable(serialised),
                          qUtf8Printable(file.errorString()));
            }
        }
        build();
    }

    void readWhole() {
        if (wholeReady)
            return;
        std::istringstream in(bytes);
        in.seekg(wholeAt);
        try {
            dlib::deserialize(whole, in);
            wholeReady = true;
        } catch (const std::exception& error) {
            qCWarning(programLog, "%s: the face detector cannot be read (%s)",
                      qUtf8Printable(serialised), error.what());
            build();
        }
        bytes = std::string();
    }
};

HogFaceDetector::HogFaceDetector(const QString& serialised) : m_engine(std::make_unique<Engine>()) {
    m_engine->serialised = serialised;
}

HogFaceDetector::~HogFaceDetector() = default;

QString HogFaceDetector::resourceFile() {
    return toolkit::resourcePath() + QStringLiteral("/face-detector.dat");
}

QList<QRect> HogFaceDetector::findFaces(const QImage& picture) const {
    if (picture.isNull())
        return {};
    std::call_once(m_engine->facingRead, [this] { m_engine->readFacing(); });
    // A sitter's face is large: looked for first in a smaller copy, at a third of the cost
    // (the features and filters scale with the pixels). Only a picture where the face looking
    // at the camera is not found there pays for a larger copy and the turned faces.
    std::vector<dlib::rect_detection> found;
    double scale = 1.0;
    try {
        std::lock_guard<std::mutex> lock(m_engine->running);
        if (m_engine->facingCamera.num_detectors() > 0) {
            const QImage look = greyAt(picture, atMost(picture, kFirstLookSide));
            m_engine->facingCamera(toPixels(look), found, kMinimumConfidence);
            scale = double(picture.width()) / look.width();
        }
        if (found.empty()) {
            std::call_once(m_engine->wholeRead, [this] { m_engine->readWhole(); });
            const QImage look = greyAt(picture, atMost(picture, kWholeLookSide));
            m_engine->whole(toPixels(look), found, kMinimumConfidence);
            scale = double(picture.width()) / look.width();
        }
    } catch (const std::exception& error) {
        // Nothing thrown may reach the thread that waits for the answer.
        qCWarning(programLog, "face detection failed: %s", error.what());
        return {};
    }
    QList<QRect> faces;
    for (const dlib::rect_detection& hit : found) {
        const dlib::rectangle& box = hit.rect;
        faces << QRectF(box.left() * scale, box.top() * scale, box.width() * scale,
                        box.height() * scale)
                     .toRect();
    }
    return faces;
}

} // namespace toolkit
