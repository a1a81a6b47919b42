#include "BenchSession.h"

#include "album/PhotoAlbum.h"
#include "app/MainInterface.h"
#include "art/PortraitFormat.h"
#include "imaging/Image.h"
#include "imaging/ImageContext.h"
#include "ui/RenderInContext.h"

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
    screen()->homeview->setHidden(true);
    screen()->auraImage->setHidden(false);
}

QImage BenchSession::composedPortrait() {
    showPortrait(PhotoFactory::Kind::Jpeg12);
    toolkit::beginImageContext(QSizeF(screen()->sizer->rect().size()));
    toolkit::renderInContext(screen()->sizer->parentWidget(), toolkit::currentContext());
    const toolkit::Image composed = toolkit::imageFromCurrentImageContext();
    toolkit::endImageContext();
    return composed.toQImage();
}

void BenchSession::clearAlbum() {
    QDir album(m_album.path());
    for (const QString& name : album.entryList({QStringLiteral("*.png")}, QDir::Files))
        album.remove(name);
}
