#include "art/FaceFraming.h"

#include "art/PortraitFormat.h"

#include <algorithm>

namespace {

// The largest 3:4 rectangle the photo holds, as a height.
double fittedHeight(QSizeF photo) {
    return std::min(photo.height(), photo.width() * PortraitFormat::Height / PortraitFormat::Width);
}

} // namespace

QRectF FaceFraming::faceTarget() {
    return QRectF(130.0, 150.0, 100.0, 100.0);
}

FaceFraming::FaceFraming(QSizeF photo, std::optional<QRectF> face) : m_photo(photo) {
    if (face && face->isValid() && !face->isEmpty())
        m_face = face;
    const double width = PortraitFormat::Width;
    const double height = PortraitFormat::Height;
    const double fitted = fittedHeight(photo);
    if (!m_face || fitted <= 0.0) {
        m_crop = QRectF((photo.width() - fitted * width / height) / 2.0,
                        (photo.height() - fitted) / 2.0, fitted * width / height, fitted);
        return;
    }
    const QRectF target = faceTarget();
    // Photo pixels per portrait unit that put the face box on its target.
    const double ideal =
        std::max(m_face->width() / target.width(), m_face->height() / target.height());
    // A small photo is not enlarged past its own pixels, and a face lost in a crowd does not
    // make a thumbnail crop. A close-up, whose face is too large for the portrait even with
    // the whole photo, is shown smaller inside it instead, so the glow keeps its room around
    // the head; the face may grow a little past its target before that happens.
    const double least = std::min(fitted, std::max(height, fitted * MinimumCropShare));
    double cropHeight = std::max(ideal * height, least);
    if (cropHeight > fitted)
        cropHeight = std::max(fitted, cropHeight / CloseUpGrowth);
    const double scale = cropHeight / height;
    const QPointF centre = m_face->center();
    // Where the crop is larger than the photo, the photo stays whole inside it.
    auto place = [](double ideal, double photoSide, double cropSide) {
        const double slack = photoSide - cropSide;
        return std::clamp(ideal, std::min(0.0, slack), std::max(0.0, slack));
    };
    const double left =
        place(centre.x() - target.center().x() * scale, photo.width(), width * scale);
    const double top =
        place(centre.y() - target.center().y() * scale, photo.height(), height * scale);
    m_crop = QRectF(left, top, width * scale, cropHeight);

    // The aura keeps its proportions: it is scaled as much as the face box needs to fit its
    // target, and moved with the face where the crop could not centre it.
    const QRectF placed = faceInPortrait();
    const double auraScale =
        std::min(placed.width() / target.width(), placed.height() / target.height());
    m_placement = placementFor(placed);
    if (std::abs(auraScale - 1.0) < 1e-6 &&
        std::abs(placed.center().x() - target.center().x()) < 1e-6 &&
        std::abs(placed.center().y() - target.center().y()) < 1e-6)
        m_placement = QTransform();
}

QTransform FaceFraming::placementFor(const QRectF& face) {
    const QRectF target = faceTarget();
    const double scale = std::min(face.width() / target.width(), face.height() / target.height());
    QTransform placement = QTransform::fromTranslate(face.center().x(), face.center().y());
    placement.scale(scale, scale);
    placement.translate(-target.center().x(), -target.center().y());
    return placement;
}

QRectF FaceFraming::faceInPortrait() const {
    if (!m_face)
        return QRectF();
    const double scale = PortraitFormat::Height / m_crop.height();
    return QRectF((m_face->x() - m_crop.x()) * scale, (m_face->y() - m_crop.y()) * scale,
                  m_face->width() * scale, m_face->height() * scale);
}

bool FaceFraming::needsBackdrop() const {
    constexpr double slack = 0.5;
    return m_crop.left() < -slack || m_crop.top() < -slack ||
           m_crop.right() > m_photo.width() + slack || m_crop.bottom() > m_photo.height() + slack;
}
