#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace toolkit {

/// Who the application is. The shell fills it in and hands it to configureProcess(), which
/// records it (and gives QCoreApplication the name and version) before any thread starts;
/// the toolkit reads it back with current(), so that nothing in the toolkit names the
/// application it serves.
struct ApplicationIdentity {
    /// The program's name, in lower case: its log lines, the prefix of the files it writes,
    /// its environment variables (upper-cased) and its folder under share/.
    QString name;
    /// The name the user reads: the window title, the album folder, messages.
    QString displayName;
    QString version;

    /// The identity configureProcess() recorded; empty before.
    static ApplicationIdentity current();
    /// Makes this the identity current() gives. For configureProcess(), once, at start-up.
    void record() const;

    /// The environment variable that sets `setting` for this application: NAME_SETTING.
    QString environmentVariable(const QString& setting) const;
    /// The one file of the user's choices kept between runs (name/name.ini in the user's
    /// configuration folder), for every part of the application alike.
    std::unique_ptr<QSettings> settings() const;
};

} // namespace toolkit
