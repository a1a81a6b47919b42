#pragma once

#include "base/Result.h"
#include "imaging/Image.h"

#include <QSize>
#include <QString>
#include <future>
#include <memory>
#include <optional>

namespace toolkit {

/// Decodes the photos a batch will open next on a few threads of its own, a bounded number
/// at a time, so that a background decode finds its photo decoded or under way. The photos are
/// opened in the order they were announced; one passed over is forgotten. A photo is
/// decoded exactly as a background decode would decode it.
class DecodeAhead {
public:
    /// Keeps at most `inFlight` photos decoding or decoded and not yet taken.
    explicit DecodeAhead(int inFlight);
    /// Forgets every photo; decodes still running finish on their threads and are dropped.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    /// Announces that `path` will be opened at `target` as `sizing` says, after the photos
    /// announced before.
    void announce(const QString& path, QSize target, Image::Sizing sizing = Image::Sizing::Exactly);

    /// Makes a batch the one that background decodes look in for as long as the scope
    /// lives, then gives back the one before (null for none).
    class Scope {
    public:
        explicit Scope(DecodeAhead* ahead);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DecodeAhead* m_previous;
    };

    /// The decode of `path` at `target` and `sizing` from the current batch, started or
    /// finished, if it is the next one announced with that name; the photos announced before
    /// it are forgotten. Main thread only.
    static std::optional<std::shared_future<Result<Image>>>
    take(const QString& path, QSize target, Image::Sizing sizing = Image::Sizing::Exactly);
    /// Decodes of a batch still running, forgotten ones included.
    static int decodesRunning();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace toolkit
