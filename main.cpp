#include "Application.h"
#include "ComposeCommand.h"
#include "MainInterface.h"
#include "PhotoAlbum.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>

namespace {

void print(const QString& text, FILE* stream) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Composing is a command whose output people read and scripts parse: Qt's own chatter about
// the headless platform has no place in it; its critical messages still do.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        print(message + QLatin1Char('\n'), stderr);
}

int compose(int argc, char** argv) {
    // Headless: no display is needed or opened.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    QApplication app(argc, argv);
    toolkit::configureProcess();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes aura portraits of the given photos without opening a window."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("compose"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("photo"), QStringLiteral("Photos to compose."),
                                 QStringLiteral("PHOTO..."));
    const QCommandLineOption out(
        QStringLiteral("out"), QStringLiteral("Write the portraits into DIR (default: the album)."),
        QStringLiteral("DIR"));
    const QCommandLineOption aura(QStringLiteral("aura"),
                                  QStringLiteral("Lay overlay N (1-100) instead of a random one."),
                                  QStringLiteral("N"));
    parser.addOption(out);
    parser.addOption(aura);
    parser.process(app);

    ComposeCommand command;
    command.photos = parser.positionalArguments().mid(1);
    command.outFolder = parser.value(out);
    if (parser.isSet(aura)) {
        bool ok = false;
        command.aura = parser.value(aura).toInt(&ok);
        if (!ok || command.aura < 1 || command.aura > 100) {
            print(QStringLiteral("velmora: --aura takes a number from 1 to 100, not \"%1\"\n")
                      .arg(parser.value(aura)),
                  stderr);
            return 2;
        }
    }
    if (command.photos.isEmpty()) {
        print(QStringLiteral("velmora: compose needs at least one photo\n"), stderr);
        print(parser.helpText(), stderr);
        return 2;
    }
    return command.run();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "compose") == 0)
        return compose(argc, argv);

    QString albumOption;
    {
        // Parsed before the window exists so that --help and --version need no display.
        QCoreApplication parsing(argc, argv);
        toolkit::configureProcess();
        QCommandLineParser parser;
        parser.setApplicationDescription(
            QStringLiteral("Velmora makes aura portraits: a photo from the webcam or your "
                           "pictures under a glowing aura.\n\n"
                           "  velmora compose [--out DIR] [--aura N] PHOTO...\n"
                           "      makes portraits without a window (see velmora compose --help)"));
        parser.addHelpOption();
        parser.addVersionOption();
        const QCommandLineOption album(
            QStringLiteral("album"),
            QStringLiteral("Save portraits into DIR (default: $VELMORA_ALBUM, else "
                           "Pictures/Velmora)."),
            QStringLiteral("DIR"));
        parser.addOption(album);
        parser.process(parsing);
        if (!parser.positionalArguments().isEmpty()) {
            print(QStringLiteral("velmora: unknown argument \"%1\"\n%2")
                      .arg(parser.positionalArguments().first(), parser.helpText()),
                  stderr);
            return 2;
        }
        albumOption = parser.value(album);
    }
    toolkit::PhotoAlbum::shared().setFolder(toolkit::PhotoAlbum::defaultFolder(albumOption));
    return toolkit::applicationMain(argc, argv, [] { return loadMainInterface(); });
}
