#pragma once

#include <QImage>
#include <QSize>
#include <QString>

/// The photos the benchmarks decode: drawn once per process into a temporary folder, with
/// the detail of a phone photo (soft colour fields, shapes with edges, sensor grain), so that
/// the decoder has as much to do as with a real one.
class PhotoFactory {
public:
    enum class Kind { Jpeg12, Jpeg48, Png12 };

    /// The file of `kind`, drawn and written on first use.
    static QString path(Kind kind);
    /// The stored pixel size of `kind` (12 MP is 4000x3000, 48 MP is 8000x6000).
    static QSize size(Kind kind);
    /// Draws a photo-like picture; the same `seed` draws the same picture.
    static QImage draw(QSize size, quint32 seed);
    /// Removes the folder the photos were written to.
    static void removeAll();
};
