#pragma once

#include "face/FaceDetector.h"

#include <QList>
#include <QRectF>

/// Finds the faces it is told about, given as shares of the picture's width and height, in
/// whatever reduced copy it is shown.
class FakeFaceDetector : public toolkit::FaceDetector {
public:
    explicit FakeFaceDetector(QList<QRectF> shares = {}) : m_shares(std::move(shares)) {}

    QList<QRect> findFaces(const QImage& picture) const override {
        QList<QRect> faces;
        for (const QRectF& share : m_shares)
            faces << QRectF(share.x() * picture.width(), share.y() * picture.height(),
                            share.width() * picture.width(), share.height() * picture.height())
                         .toRect();
        return faces;
    }

private:
    QList<QRectF> m_shares;
};
