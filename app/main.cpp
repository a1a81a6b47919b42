#include "app/ColourMeaningText.h"
#include "app/Program.h"
#include "app/WindowModule.h"
#include "art/PortraitFormat.h"
#include "base/Console.h"
#include "base/FileName.h"
#include "base/Log.h"
#include "base/MemoryPressureMonitor.h"
#include "base/Resources.h"
#include "compose/ComposeCommand.h"
#include "face/HogFaceDetector.h"
#include "imaging/ProcessSetup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

// The executable: the compose command, and the command line of the window, which it runs
// from the window module (app/WindowModule.h).

namespace {

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
        return QCoreApplication::translate("ColourMeaning", colourMeaningText(colour));
    };
    toolkit::configureProcess(programIdentity());
    command.faces =
        std::make_shared<toolkit::HogFaceDetector>(toolkit::HogFaceDetector::resourceFile());
    return command.run();
}

// The window module's entry, loaded; null, said on stderr, when it cannot be.
VelmoraWindowEntry loadWindow() {
    const toolkit::ModuleEntry found =
        toolkit::loadModuleEntry(QStringLiteral("window"), VELMORA_WINDOW_MODULE_ENTRY);
    if (!found.entry) {
        print(QStringLiteral("velmora: cannot open the window: its module %1 %2%3\n")
                  .arg(QDir::toNativeSeparators(found.path),
                       found.problem == toolkit::ModuleEntry::Problem::Missing
                           ? QStringLiteral("is missing")
                           : QStringLiteral("did not load"),
                       found.detail.isEmpty() ? QString()
                                              : QStringLiteral(" (%1)").arg(found.detail)),
              stderr);
    }
    return reinterpret_cast<VelmoraWindowEntry>(found.entry);
}

} // namespace

int main(int argc, char** argv) {
    toolkit::MemoryPressureMonitor::ignoreWarningsUntilWatched();
    if (argc > 1 && qstrcmp(argv[1], "compose") == 0)
        return finishProcess(compose(argc, argv));

    WindowStart start;
    start.programName = argv[0];
    VelmoraWindowEntry window = nullptr;
    {
        // Parsed before the window exists so that --help and --version need no display.
        QCoreApplication parsing(argc, argv);
        toolkit::configureProcess(programIdentity());
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
        start.photos = parser.positionalArguments();
        start.albumOption = parser.value(album);
        // Without --fit, the screen starts in the fit last chosen on it.
        PortraitComposer::Fit asked = PortraitComposer::Fit::Stretch;
        if (parser.isSet(fit) && !parseFit(parser.value(fit), asked)) {
            print(QStringLiteral("velmora: --fit takes stretch or face, not \"%1\"\n")
                      .arg(parser.value(fit)),
                  stderr);
            return 2;
        }
        if (parser.isSet(fit))
            start.fit = asked;
        // Found while the application object can say where the program is.
        start.faces =
            std::make_shared<toolkit::HogFaceDetector>(toolkit::HogFaceDetector::resourceFile());
        window = loadWindow();
        if (!window)
            return 1;
    }
    return window(start);
}
