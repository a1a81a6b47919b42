#pragma once

#include <QDateTime>
#include <QLoggingCategory>
#include <QString>
#include <functional>

namespace toolkit {

/// Writes one line to the platform log (stderr): time, process name and id, message.
void log(const QString& message);

/// Formats a line the way log() writes it.
QString formatLogLine(const QString& message, const QDateTime& when);

/// The logging category of the program's own warnings (a save that failed, a camera that
/// stopped), named as the application is, so that Qt's default format prints
/// "<application>: <message>" on stderr. QT_LOGGING_RULES can silence it.
const QLoggingCategory& programLog();

/// Sends log lines to `sink` instead of stderr; an empty function restores stderr.
/// Tests use this to read what the application logged.
void setLogSink(std::function<void(const QString& line)> sink);

} // namespace toolkit
