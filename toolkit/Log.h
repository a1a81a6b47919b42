#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace toolkit {

/// Writes one line to the platform log (stderr): time, process name and id, message.
void log(const QString& message);

/// Formats a line the way log() writes it.
QString formatLogLine(const QString& message, const QDateTime& when);

/// Sends log lines to `sink` instead of stderr; an empty function restores stderr.
/// Tests use this to read what the application logged.
void setLogSink(std::function<void(const QString& line)> sink);

} // namespace toolkit
