#include "album/PhotoAlbum.h"
#include "app/ColourMeaning.h"
#include "app/MainInterface.h"
#include "art/PortraitFormat.h"
#include "base/Console.h"
#include "base/FileName.h"
#include "base/Log.h"
#include "base/MemoryPressureMonitor.h"
#include "compose/ComposeCommand.h"
#include "imaging/ImageDecoder.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"
#include "ui/QtPickerPlatform.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// A decode abandoned over its time limit may still be running on its thread: the process
// ends without the static destructors it could be using.
int finish(int status) {
    if (toolkit::ImageDecoder::decodesRunning() > 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }
    return status;
}

void print(const QString& text, FILE* stream) {
    toolkit::writeText(text, stream);
}

// Composing is a command whose output people read and scripts parse: Qt's own chatter about
// the headless platform has no place in it; its critical messages, and Velmora's own
// warnings (a portrait not saved), still do.
void quietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const char* own = toolkit::programLog().categoryName();
    if (context.category && qstrcmp(context.category, own) == 0)
        toolkit::writeEscapedLine(QString::fromUtf8(own) + QStringLiteral(": ") + message, stderr);
    else if (type == QtCriticalMsg || type == QtFatalMsg)
        toolkit::writeEscapedLine(message, stderr);
}

// The help names the overlay range in words.
static_assert(PortraitFormat::OverlayCount == 100);
const char kComposeHelp[] =
    "Usage: velmora compose [--out DIR] [--aura N] [--fit stretch|face] [--scale 1|2] [--card]\n"
    "                       [--] PHOTO...\n"
    "Makes aura portraits of the given photos without opening a window.\n\n"
    "  --out DIR   Write the portraits into DIR (default: the album).\n"
    "  --aura N    Lay overlay N (1-100) instead of a random one.\n"
    "  --fit FIT   stretch: stretch the photo to the portrait (default);\n"
    "              face: cut it around the face and lay the aura on the face.\n"
    "  --scale S   1: portraits of 360x480 (default); 2: of 720x960.\n"
    "  --card      Also write each portrait's reading card beside it: its aura's\n"
    "              colours and what they mean, 4x6 inches, as -card.png and -card.pdf.\n"
    "  -h, --help  Show this help.\n"
    "  --          Every argument after it is a photo, even one that starts with -.\n";

// "stretch" or "face"; false for anything else.
bool parseFit(const QString& text, PortraitComposer::Fit& fit) {
    if (text == QLatin1String("stretch"))
        fit = PortraitComposer::Fit::Stretch;
    else if (text == QLatin1String("face"))
        fit = PortraitComposer::Fit::Face;
    else
        return false;
    return true;
}

// The arguments after "compose", parsed here rather than by Qt: a photo may be named like
// one of Qt's own options (-style=x.jpg, -reverse), and every photo must be composed or
// reported. Returns 0 to go on, else the exit status.
int parseCompose(int argc, char** argv, ComposeCommand& command) {
    bool auraSet = false;
    QString auraText;
    bool photosOnly = false;
    for (int i = 2; i < argc; ++i) {
        const QString argument = toolkit::FileName::decode(argv[i]);
        if (photosOnly || !argument.startsWith(QLatin1Char('-')) ||
            argument == QLatin1String("-")) {
            command.photos << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            photosOnly = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            print(QString::fromUtf8(kComposeHelp), stdout);
            return -1;
        }
        if (argument == QLatin1String("--card")) {
            command.card = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.left(equals);
        if (name != QLatin1String("--out") && name != QLatin1String("--aura") &&
            name != QLatin1String("--fit") && name != QLatin1String("--scale")) {
            print(QStringLiteral("velmora: unknown option \"%1\" (a photo whose name starts with "
                                 "- goes after --)\n%2")
                      .arg(argument, QString::fromUtf8(kComposeHelp)),
                  stderr);
            return 2;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < argc) {
            value = toolkit::FileName::decode(argv[++i]);
        } else {
            print(QStringLiteral("velmora: %1 needs a value\n").arg(name), stderr);
            return 2;
        }
        if (name == QLatin1String("--out")) {
            command.outFolder = value;
        } else if (name == QLatin1String("--scale")) {
            if (value != QLatin1String("1") && value != QLatin1String("2")) {
                print(QStringLiteral("velmora: --scale takes 1 or 2, not \"%1\"\n").arg(value),
                      stderr);
                return 2;
            }
            command.scale = value.toInt();
        } else if (name == QLatin1String("--fit")) {
            if (!parseFit(value, command.fit)) {
                print(
                    QStringLiteral("velmora: --fit takes stretch or face, not \"%1\"\n").arg(value),
                    stderr);
                return 2;
            }
        } else {
            auraSet = true;
            auraText = value;
        }
    }
    if (auraSet) {
        bool ok = false;
        command.aura = auraText.toInt(&ok);
        if (!ok || command.aura < 1 || command.aura > PortraitFormat::OverlayCount) {
            print(QStringLiteral("velmora: --aura takes a number from 1 to %1, not \"%2\"\n")
                      .arg(QString::number(PortraitFormat::OverlayCount), auraText),
                  stderr);
            return 2;
        }
    }
    if (command.photos.isEmpty()) {
        print(QStringLiteral("velmora: compose needs at least one photo\n"), stderr);
        print(QString::fromUtf8(kComposeHelp), stderr);
        return 2;
    }
    return 0;
}

int compose(int argc, char** argv) {
    ComposeCommand command;
    if (const int status = parseCompose(argc, argv, command))
        return status < 0 ? 0 : status;
    qInstallMessageHandler(quietQtMessages);
    // Qt sees only the program's name: every other argument is a photo or ours.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    // Pictures are decoded and painted into images: no platform, no fonts and no widget are
    // needed, and the screen is never built to compose. Only a reading card has text, which
    // needs the fonts of a (screenless) GUI application.
    std::unique_ptr<QCoreApplication> app;
    if (command.card) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    }
    command.meaningOf = [](AuraPalette::Colour colour) {
        return QCoreApplication::translate("ColourMeaning",
                                           colourMeaningTable()[std::size_t(colour)].text);
    };
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    return command.run();
}

} // namespace

int main(int argc, char** argv) {
    toolkit::MemoryPressureMonitor::ignoreWarningsUntilWatched();
    if (argc > 1 && qstrcmp(argv[1], "compose") == 0)
        return finish(compose(argc, argv));

    QString albumOption;
    QStringList photos;
    std::optional<PortraitComposer::Fit> startingFit;
    {
        // Parsed before the window exists so that --help and --version need no display.
        QCoreApplication parsing(argc, argv);
        toolkit::configureProcess(VelmoraAppDelegate::identity());
        QCommandLineParser parser;
        parser.setApplicationDescription(
            QStringLiteral("Velmora makes aura portraits: a photo from the webcam or your "
                           "pictures under a glowing aura.\n\n"
                           "  velmora compose [--out DIR] [--aura N] [--fit stretch|face] "
                           "[--] PHOTO...\n"
                           "      makes portraits without a window (see velmora compose --help)"));
        parser.addHelpOption();
        parser.addVersionOption();
        const QCommandLineOption album(
            QStringLiteral("album"),
            QStringLiteral("Save portraits into DIR (default: $VELMORA_ALBUM, else "
                           "Pictures/Velmora)."),
            QStringLiteral("DIR"));
        parser.addOption(album);
        const QCommandLineOption fit(
            QStringLiteral("fit"),
            QStringLiteral("stretch: stretch photos to the portrait; face: cut them around the "
                           "face, the aura laid on it (default: as last chosen with Fit to "
                           "face, else stretch)."),
            QStringLiteral("FIT"));
        parser.addOption(fit);
        parser.addPositionalArgument(
            QStringLiteral("photo"),
            QStringLiteral("A photo to open, as if it had been chosen from the album."),
            QStringLiteral("[PHOTO]"));
        // Decoded without loss: a folder name that is not UTF-8 must still name that folder.
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << toolkit::FileName::decode(argv[i]);
        parser.process(arguments);
        photos = parser.positionalArguments();
        albumOption = parser.value(album);
        // Without --fit, the screen starts in the fit last chosen on it.
        PortraitComposer::Fit asked = PortraitComposer::Fit::Stretch;
        if (parser.isSet(fit) && !parseFit(parser.value(fit), asked)) {
            print(QStringLiteral("velmora: --fit takes stretch or face, not \"%1\"\n")
                      .arg(parser.value(fit)),
                  stderr);
            return 2;
        }
        if (parser.isSet(fit))
            startingFit = asked;
    }
    toolkit::PhotoAlbum::shared().setFolder(toolkit::PhotoAlbum::defaultFolder(albumOption));
    // Qt sees only the program's name: its own options (-style, -platform, -reverse) are
    // not Velmora's, and were refused above as unknown.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    // The identity the desktop knows the application by: its desktop file and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    return finish(toolkit::applicationMain(qtArgc, qtArgv, [photos, startingFit] {
        setApplicationIcon();
        std::unique_ptr<VelmoraAppDelegate> app =
            loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>());
        if (startingFit)
            app->viewController()->setFit(*startingFit);
        if (!photos.isEmpty()) {
            // Opened once the window shows, through the same path as a pick from the album.
            VelmoraAppDelegate* launched = app.get();
            QTimer::singleShot(0, launched->viewController(),
                               [launched, photos] { openPhotoFiles(*launched, photos); });
        }
        return app;
    }));
}
