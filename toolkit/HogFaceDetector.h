#pragma once

#include "FaceDetector.h"

#include <memory>

namespace toolkit {

/// Frontal faces found by a histogram-of-gradients detector, which needs no model file.
/// Building the detector takes a third of a second: it is built on first use, on the
/// thread that first asks, and shared after that.
class HogFaceDetector : public FaceDetector {
public:
    HogFaceDetector();
    ~HogFaceDetector() override;

    /// Faces of about 80 pixels and up; the picture is looked at in grey.
    QList<QRect> findFaces(const QImage& picture) const override;

    /// The detector of the process.
    static const HogFaceDetector& shared();

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace toolkit
