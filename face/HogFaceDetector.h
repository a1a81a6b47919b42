#pragma once

#include "face/FaceDetector.h"

#include <QString>
#include <memory>

namespace toolkit {

/// Frontal faces found by a histogram-of-gradients detector. It is read on first use, on
/// the thread that first asks, from the serialised detector the build writes (a few
/// milliseconds): first its filter for faces looking at the camera, the whole detector only
/// for a picture where that finds none. Without that file it is built from the model
/// compiled into the program, which takes over a second.
class HogFaceDetector : public FaceDetector {
public:
    /// `serialised` is the path of the detector file; empty to build it.
    explicit HogFaceDetector(const QString& serialised = QString());
    ~HogFaceDetector() override;

    /// Faces of about 80 pixels and up; the picture is looked at in grey.
    QList<QRect> findFaces(const QImage& picture) const override;

    /// The detector file the build writes into the resources ("face-detector.dat").
    static QString resourceFile();

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace toolkit
