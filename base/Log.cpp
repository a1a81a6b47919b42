#include "base/Log.h"

#include <QCoreApplication>
#include <QMutex>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace toolkit {

namespace {
QMutex sinkMutex;
std::function<void(const QString&)>& sink() {
    static std::function<void(const QString&)> s;
    return s;
}

QString processName() {
    // Before start-up has named the application, the name it was started by.
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QString::fromLocal8Bit(program_invocation_short_name) : name;
}
} // namespace

QString formatLogLine(const QString& message, const QDateTime& when) {
    return QStringLiteral("%1 %2[%3] %4")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), processName())
        .arg(::getpid())
        .arg(message);
}

void log(const QString& message) {
    const QString line = formatLogLine(message, QDateTime::currentDateTime());
    QMutexLocker lock(&sinkMutex);
    if (sink()) {
        sink()(line);
        return;
    }
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

const QLoggingCategory& programLog() {
    // Named once, after start-up has named the application; the category keeps the pointer.
    static const QByteArray name = processName().toUtf8();
    static const QLoggingCategory category(name.constData());
    return category;
}

void setLogSink(std::function<void(const QString&)> newSink) {
    QMutexLocker lock(&sinkMutex);
    sink() = std::move(newSink);
}

} // namespace toolkit
