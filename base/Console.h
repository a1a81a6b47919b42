#pragma once

#include <QString>
#include <cstdio>

namespace toolkit {

/// Writes `text` to `stream` as the file system has names: what is not text in a name
/// (bytes that are not UTF-8) goes out as the bytes it was, so a script can use every path
/// it reads. Flushed, so that lines from several writers keep their order.
void writeText(const QString& text, FILE* stream);

/// Writes `text` to `stream` as one line, its control characters and backslashes escaped
/// (FileName::escapedLine): for messages that carry names, which must not break the line
/// or forge another.
void writeEscapedLine(const QString& text, FILE* stream);

} // namespace toolkit
