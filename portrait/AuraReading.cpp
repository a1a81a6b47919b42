#include "portrait/AuraReading.h"

#include "base/Log.h"
#include "base/Resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

// The colour names come from the table at run time; listed here so that the translation
// tools find them and keep their translations.
[[maybe_unused]] constexpr const char* kColourNames[] = {
    QT_TRANSLATE_NOOP("AuraReading", "Violet"),    QT_TRANSLATE_NOOP("AuraReading", "Lavender"),
    QT_TRANSLATE_NOOP("AuraReading", "Indigo"),    QT_TRANSLATE_NOOP("AuraReading", "Purple"),
    QT_TRANSLATE_NOOP("AuraReading", "Turquoise"), QT_TRANSLATE_NOOP("AuraReading", "Blue"),
    QT_TRANSLATE_NOOP("AuraReading", "Brown"),     QT_TRANSLATE_NOOP("AuraReading", "Green"),
    QT_TRANSLATE_NOOP("AuraReading", "Gold"),      QT_TRANSLATE_NOOP("AuraReading", "Yellow"),
    QT_TRANSLATE_NOOP("AuraReading", "Pink"),      QT_TRANSLATE_NOOP("AuraReading", "Orange"),
    QT_TRANSLATE_NOOP("AuraReading", "Red"),       QT_TRANSLATE_NOOP("AuraReading", "Black"),
    QT_TRANSLATE_NOOP("AuraReading", "Silver"),    QT_TRANSLATE_NOOP("AuraReading", "White"),
};

struct LoadedTable {
    QString folder;
    AuraColourTable table;
};

// The table of the resource folder in use, read once (tests switch folders).
AuraColourTable tableFor(const QString& folder) {
    static QMutex lock;
    static std::optional<LoadedTable> loaded;
    QMutexLocker locked(&lock);
    if (loaded && loaded->folder == folder)
        return loaded->table;
    AuraColourTable table;
    QFile file(folder + QLatin1Char('/') + AuraColourTable::fileName());
    if (!file.open(QIODevice::ReadOnly)) {
        toolkit::log(QStringLiteral("the aura colour table %1 cannot be read (%2): portraits "
                                    "get no reading")
                         .arg(file.fileName(), file.errorString()));
    } else {
        QString error;
        if (auto read = AuraColourTable::fromText(file.readAll(), &error))
            table = std::move(*read);
        else
            toolkit::log(QStringLiteral("the aura colour table %1 is damaged (%2): portraits "
                                        "get no reading")
                             .arg(file.fileName(), error));
    }
    loaded = LoadedTable{folder, table};
    return table;
}

} // namespace

QList<AuraColourTable::Entry> AuraReading::of(int auraNumber) {
    if (auraNumber <= 0)
        return {};
    QList<AuraColourTable::Entry> entries = tableFor(toolkit::resourcePath()).colours(auraNumber);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& p, const auto& q) { return int(p.place) < int(q.place); });
    return entries;
}

QString AuraReading::colourName(AuraPalette::Colour colour) {
    return QCoreApplication::translate("AuraReading",
                                       AuraColourTable::colourName(colour).toUtf8().constData());
}

QString AuraReading::timeOf(AuraColourTable::Place place) {
    switch (place) {
    case AuraColourTable::Place::Left:
        return QCoreApplication::translate("AuraReading", "past");
    case AuraColourTable::Place::Above:
        return QCoreApplication::translate("AuraReading", "present");
    case AuraColourTable::Place::Right:
        break;
    }
    return QCoreApplication::translate("AuraReading", "future");
}

QString AuraReading::label(const AuraColourTable::Entry& entry) {
    return QCoreApplication::translate("AuraReading", "%1 · %2")
        .arg(colourName(entry.colour), timeOf(entry.place));
}

QString AuraReading::firstSentence(const QString& text) {
    static const QRegularExpression end(QStringLiteral("[.!?](\\s|$)"));
    const QRegularExpressionMatch match = end.match(text);
    return match.hasMatch() ? text.left(match.capturedStart() + 1) : text;
}
