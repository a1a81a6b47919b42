#pragma once

#include "base/Result.h"

#include <QObject>
#include <QString>

namespace toolkit {

/// One portrait queued for the album. It reports once, on the thread that queued it, the
/// path the portrait was published at or why it was not saved, and then deletes itself:
/// whoever saved hears of its own save and of no other.
class AlbumSave : public QObject {
    Q_OBJECT

public:
    explicit AlbumSave(QObject* parent = nullptr);

    /// Reports `outcome` through `finished`, then deletes this save (later, so a receiver
    /// may still look at it).
    void finish(const Result<QString>& outcome);

signals:
    /// The new file's path, or the reason, naming the folder and the cause.
    void finished(const toolkit::Result<QString>& outcome);
};

} // namespace toolkit
