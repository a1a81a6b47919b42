#include "album/AlbumSave.h"

namespace toolkit {

AlbumSave::AlbumSave(QObject* parent) : QObject(parent) {}

void AlbumSave::finish(const Result<QString>& outcome) {
    emit finished(outcome);
    deleteLater();
}

} // namespace toolkit
