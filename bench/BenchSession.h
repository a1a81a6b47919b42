#pragma once

#include "PhotoFactory.h"
#include "app/VelmoraAppDelegate.h"

#include <QImage>
#include <QTemporaryDir>
#include <memory>

/// The launched application the benchmarks drive, with its album in a temporary folder.
/// Made on first use; ended by main() while the QApplication still exists.
class BenchSession {
public:
    static BenchSession& current();
    static void end();

    VelmoraViewController* screen() const { return m_app->viewController(); }
    VelmoraAppDelegate* app() const { return m_app.get(); }
    QString albumFolder() const { return m_album.path(); }
    /// How long the session's own launch took, to its first frame: the process's first.
    double coldLaunchMilliseconds() const { return m_coldLaunchMs; }

    /// Shows `kind` under an aura, as a pick does.
    void showPortrait(PhotoFactory::Kind kind);
    /// The portrait a save makes of the 12 MP photo: 360 × 480 under overlay 1.
    QImage composedPortrait();
    /// Removes the portraits saved so far, so that every save finds the folder alike.
    void clearAlbum();

private:
    BenchSession();

    QTemporaryDir m_album;
    std::unique_ptr<VelmoraAppDelegate> m_app;
    double m_coldLaunchMs = 0;
};
