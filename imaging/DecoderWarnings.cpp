#include "imaging/DecoderWarnings.h"

#include "base/FileName.h"
#include "base/Log.h"

#include <QDir>
#include <QMutex>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace toolkit {

namespace {

thread_local DecoderWarnings::Listening* listening = nullptr;
QtMessageHandler previousHandler = nullptr;

// libjpeg reports corrupt data (a scan cut short, a missing scan, bad Huffman codes) only
// as a warning and fills the rest with grey; libpng reports a palette index past the
// palette as a warning and paints it black. Those are refusals. Other warnings (an odd ICC
// profile in a PNG, an unknown TIFF tag) are not about the pixels.
bool isAboutPixels(const QMessageLogContext& context, const QString& message) {
    if (!context.category)
        return false;
    if (std::strcmp(context.category, "qt.gui.imageio.jpeg") == 0)
        // Bytes between the picture data and a marker lose nothing.
        return !message.contains(QLatin1String("extraneous bytes before marker"));
    if (std::strcmp(context.category, "qt.gui.imageio") == 0)
        return message.contains(QLatin1String("palette index"), Qt::CaseInsensitive);
    return false;
}

void listenToDecoders(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (listening && type != QtDebugMsg && isAboutPixels(context, message)) {
        listening->hear(message.trimmed());
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

// libtiff's handlers: (module, printf format, arguments). Qt's TIFF plugin opens every file
// under the made-up name "foo", which libtiff puts in front of most messages.
using TiffHandler = void (*)(const char*, const char*, va_list);
using TiffSetHandler = TiffHandler (*)(TiffHandler);

QString tiffMessage(const char* module, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    QString message = QString::fromLocal8Bit(text).trimmed();
    if (message.startsWith(QLatin1String("foo: ")))
        message.remove(0, 5);
    if (module && *module && std::strcmp(module, "foo") != 0)
        message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + message;
    return message;
}

// Escaped whole: a picture's name or a message with a newline must not forge a line.
void logTiff(const QString& kind, const QString& message) {
    QString line = QStringLiteral("TIFF %1: %2").arg(kind, message);
    if (listening && !listening->name().isEmpty())
        line = QDir::toNativeSeparators(listening->name()) + QStringLiteral(": ") + line;
    qCWarning(programLog, "%s", FileName::escapedLine(line).constData());
}

void tiffWarning(const char* module, const char* format, va_list arguments) {
    logTiff(QStringLiteral("warning"), tiffMessage(module, format, arguments));
}

// An error ends what libtiff was doing: the picture, or part of it, is not read.
void tiffError(const char* module, const char* format, va_list arguments) {
    const QString message = tiffMessage(module, format, arguments);
    if (listening)
        listening->hear(message);
    else
        logTiff(QStringLiteral("error"), message);
}

std::atomic<bool> tiffHeard{false};
QMutex tiffMutex;

} // namespace

void DecoderWarnings::install() {
    static bool done = false;
    if (done)
        return;
    done = true;
    previousHandler = qInstallMessageHandler(listenToDecoders);
}

void DecoderWarnings::hearTiff() {
    if (tiffHeard.load())
        return;
    QMutexLocker lock(&tiffMutex);
    if (tiffHeard.load())
        return;
    // Only once Qt's plugin has loaded it: loading it here would cost every start-up.
    void* library = ::dlopen("libtiff.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return;
    auto setWarning = reinterpret_cast<TiffSetHandler>(::dlsym(library, "TIFFSetWarningHandler"));
    auto setError = reinterpret_cast<TiffSetHandler>(::dlsym(library, "TIFFSetErrorHandler"));
    if (setWarning && setError) {
        setWarning(tiffWarning);
        setError(tiffError);
        tiffHeard = true;
    }
    // Kept loaded: its handlers now point here.
}

DecoderWarnings::Listening::Listening(const QString& name) : m_name(name), m_previous(listening) {
    listening = this;
}

DecoderWarnings::Listening::~Listening() {
    listening = m_previous;
}

bool DecoderWarnings::isUnsupported(const QString& message) {
    return message.startsWith(QLatin1String("Unsupported"), Qt::CaseInsensitive);
}

} // namespace toolkit
