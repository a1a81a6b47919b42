#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace toolkit {

/// Finds faces in a picture. Implementations may be called from any thread, one call at a
/// time or several at once.
class FaceDetector {
public:
    virtual ~FaceDetector() = default;
    /// The boxes of the faces in `picture`, in its pixels; none when there is no face.
    virtual QList<QRect> findFaces(const QImage& picture) const = 0;
};

} // namespace toolkit
