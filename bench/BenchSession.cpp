#include "BenchSession.h"

#include "album/PhotoAlbum.h"
#include "app/MainInterface.h"
#include "art/PortraitFormat.h"
#include "face/NoFaceDetector.h"
#include "imaging/Image.h"
#include "portrait/PortraitComposer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace {
std::unique_ptr<BenchSession>& session() {
    static std::unique_ptr<BenchSession> s;
    return s;
}
} // namespace

BenchSession::BenchSession() : m_album(QDir::tempPath() + "/velmora-bench-album-XXXXXX") {
    if (!m_album.isValid()) {
        std::fprintf(stderr, "velmora_bench: cannot make the album folder: %s\n",
                     qPrintable(m_album.errorString()));
        std::exit(1);
    }
    toolkit::PhotoAlbum::shared().setFolder(m_album.path());
    QElapsedTimer launch;
    launch.start();
    m_app = loadMainInterface();
    m_app->applicationDidFinishLaunching();
    m_app->window()->grab();
    m_coldLaunchMs = double(launch.nsecsElapsed()) / 1e6;
}

BenchSession& BenchSession::current() {
    if (!session())
        session().reset(new BenchSession);
    return *session();
}

void BenchSession::end() {
    toolkit::PhotoAlbum::shared().waitForQueuedWrites();
    QCoreApplication::processEvents();
    session().reset();
}

void BenchSession::showPortrait(PhotoFactory::Kind kind) {
    const QString path = PhotoFactory::path(kind);
    auto picked =
        toolkit::Image::fromFile(path, QSize(PortraitFormat::Width, PortraitFormat::Height));
    if (!picked.ok()) {
        std::fprintf(stderr, "velmora_bench: %s\n", qPrintable(picked.error()));
        std::exit(1);
    }
    screen()->useImage(picked.value());
    screen()->determinecurrentimage();
    screen()->ui->homeview->setHidden(true);
    screen()->ui->auraImage->setHidden(false);
}

QImage BenchSession::composedPortrait() {
    auto picked = toolkit::Image::fromFile(PhotoFactory::path(PhotoFactory::Kind::Jpeg12),
                                           PortraitComposer::portraitSize());
    if (!picked.ok())
        return QImage();
    const auto portrait = PortraitComposer::paint(PortraitComposer::frame(
        picked.value(), PortraitComposer::Fit::Stretch, 1, toolkit::NoFaceDetector()));
    return portrait.ok() ? portrait.value() : QImage();
}

void BenchSession::clearAlbum() {
    QDir album(m_album.path());
    for (const QString& name : album.entryList({QStringLiteral("*.png")}, QDir::Files))
        album.remove(name);
}
