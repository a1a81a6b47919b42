#pragma once

#include "album/AlbumSave.h"
#include "imaging/Image.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

namespace toolkit {

/// The saved-photos album: a folder of PNG files. A write returns at once; one background
/// worker encodes the PNG into a temporary file in the album folder, syncs it and links it
/// to a new name that no file has (<name>-YYYYMMDD-HHMMSS-NNN.png, <name> being the
/// application's: ApplicationIdentity). A file under a final
/// name is always complete; an existing file is never replaced. Files and folders are made
/// with the user's umask.
class PhotoAlbum : public QObject {
    Q_OBJECT

public:
    explicit PhotoAlbum(QObject* parent = nullptr);
    ~PhotoAlbum() override;

    /// The album every save goes to.
    static PhotoAlbum& shared();

    /// The album folder: `albumOption` (from --album) if given, else $<NAME>_ALBUM (a
    /// leading `~` is the home folder; a relative path is made absolute with a note on
    /// stderr), else the XDG Pictures folder + "/<Display name>".
    static QString defaultFolder(const QString& albumOption = QString());

    void setFolder(const QString& folder);
    QString folder() const;

    /// Queues `image` for the album and returns at once, with the save that reports where
    /// the portrait went or why it was not written (the album owns it until it reports).
    AlbumSave* write(const QImage& image);
    /// Drops the writes that have not begun (the one being written is finished); their
    /// saves report that they were not written.
    void discardQueuedWrites();
    /// Removes the temporary file being written, if any. Async-signal-safe: for a process
    /// that must end at once.
    static void removeTemporaryNow();
    /// Waits until every queued write is published or has failed; false on time-out.
    bool waitForQueuedWrites(int timeoutMs = -1);

    /// Publishes `image` into `folder` on the calling thread. Returns the new file's path,
    /// or the reason it could not be written (then no file is left behind).
    static Result<QString> writeNow(const QImage& image, const QString& folder);
    /// Publishes `bytes` as the file `path`, beside a portrait (its reading card), on the
    /// calling thread, with the same care: a temporary file, synced, then linked to the
    /// name; a file already there is never replaced. Returns `path` or the reason.
    static Result<QString> writeBeside(const QByteArray& bytes, const QString& path);

private:
    QString m_folder;
    QThreadPool m_worker;
};

/// Queues `image` for the saved-photos album and returns at once, with the save that
/// reports its outcome.
AlbumSave* imageWriteToSavedPhotosAlbum(const Image& image);

} // namespace toolkit
