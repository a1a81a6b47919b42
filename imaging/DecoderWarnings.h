#pragma once

#include <QString>
#include <QStringList>

namespace toolkit {

/// What the decoders say while they work: libjpeg's and libpng's complaints (through Qt's
/// image plugins) and libtiff's warnings and errors. While a decode listens on its thread,
/// a complaint about the pixels is a reason to refuse the picture; everything else a
/// decoder says goes to the program's log under the picture's name, never raw to stderr.
class DecoderWarnings {
public:
    /// Starts listening to the decoders; once, at start-up, before any thread decodes.
    static void install();
    /// Sends libtiff's messages to this class, once libtiff is loaded (by Qt's TIFF plugin
    /// when the first TIFF file is looked at). Cheap when done already.
    static void hearTiff();

    /// Listens on the calling thread for as long as it lives, for the picture `name`.
    class Listening {
    public:
        explicit Listening(const QString& name);
        ~Listening();
        Listening(const Listening&) = delete;
        Listening& operator=(const Listening&) = delete;

        /// The complaints about the pixels heard so far, first first.
        const QStringList& heard() const { return m_heard; }
        /// Notes a complaint about the pixels.
        void hear(const QString& complaint) { m_heard.append(complaint); }
        /// The picture listened for.
        const QString& name() const { return m_name; }

    private:
        QString m_name;
        QStringList m_heard;
        Listening* m_previous;
    };

    /// Whether a decoder's message says that the picture is not one it decodes (a JPEG
    /// process or precision it lacks) rather than that it is damaged.
    static bool isUnsupported(const QString& message);
};

} // namespace toolkit
