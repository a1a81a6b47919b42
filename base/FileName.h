#pragma once

#include <QByteArray>
#include <QString>

namespace toolkit {

/// File names as the system has them (bytes) and as the program carries them (QString), without
/// loss: a name that is not UTF-8 keeps each stray byte as a lone surrogate (U+DC80 +
/// byte), so it comes back byte for byte. Qt's own conversion turns such bytes into U+FFFD,
/// and the file can no longer be opened.
class FileName {
public:
    /// The name for `bytes`, from argv, the environment or the file system.
    static QString decode(const QByteArray& bytes);
    /// The bytes of `name`, for a system call.
    static QByteArray encode(const QString& name);
    /// The bytes of `text` (a line naming files) for a log or stderr line: as encode(), with
    /// control characters and backslashes written as C escapes (\n, \t, \\, \x1b), so
    /// that a name can neither break the line nor forge another.
    static QByteArray escapedLine(const QString& text);
};

} // namespace toolkit
