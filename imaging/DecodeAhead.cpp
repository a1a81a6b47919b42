#include "imaging/DecodeAhead.h"

#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace toolkit {

namespace {
std::atomic<int> running{0};
DecodeAhead* current = nullptr;
} // namespace

struct DecodeAhead::State {
    struct Photo {
        QString path;
        QSize target;
        Image::Sizing sizing = Image::Sizing::Exactly;
        std::shared_ptr<std::promise<Result<Image>>> promise;
        std::shared_future<Result<Image>> future;
        bool started = false;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Photo> photos; // announced and not yet taken, in order
    int inFlight = 1;
    // Started and not yet taken: decoding, or decoded and waiting. Bounds the memory.
    int busy = 0;
    int workers = 0;
    bool closed = false;

    // A few long-lived workers rather than a thread a photo: each new thread can take
    // another malloc arena, and the arenas keep what they freed, so memory grew with the
    // batch up to the arena limit.
    void work() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return closed || next() != photos.end(); });
            if (closed)
                return;
            Photo& photo = *next();
            photo.started = true;
            ++busy;
            ++running;
            // A copy: the entry may be taken or forgotten meanwhile. Let go of before
            // counting down, so nothing of this decode is still touched once the count is 0.
            auto copy = std::make_unique<Photo>(photo);
            lock.unlock();
            copy->promise->set_value(Image::fromFile(copy->path, copy->target, copy->sizing));
            copy.reset();
            --running;
            lock.lock();
        }
    }

    // The first photo not started, if fewer than inFlight are busy. Mutex held.
    std::deque<Photo>::iterator next() {
        if (busy >= inFlight)
            return photos.end();
        return std::find_if(photos.begin(), photos.end(),
                            [](const Photo& photo) { return !photo.started; });
    }
};

DecodeAhead::DecodeAhead(int inFlight) : m_state(std::make_shared<State>()) {
    m_state->inFlight = qMax(1, inFlight);
    for (int i = 0; i < m_state->inFlight; ++i) {
        try {
            std::thread([state = m_state] { state->work(); }).detach();
            ++m_state->workers;
        } catch (const std::system_error&) {
            break; // fewer workers; with none, photos are decoded when they are opened
        }
    }
}

DecodeAhead::~DecodeAhead() {
    if (current == this)
        current = nullptr;
    std::lock_guard lock(m_state->mutex);
    m_state->photos.clear();
    m_state->closed = true;
    m_state->wake.notify_all();
}

void DecodeAhead::announce(const QString& path, QSize target, Image::Sizing sizing) {
    std::lock_guard lock(m_state->mutex);
    if (m_state->workers == 0)
        return;
    State::Photo photo;
    photo.path = path;
    photo.target = target;
    photo.sizing = sizing;
    photo.promise = std::make_shared<std::promise<Result<Image>>>();
    photo.future = photo.promise->get_future().share();
    m_state->photos.push_back(std::move(photo));
    m_state->wake.notify_one();
}

DecodeAhead::Scope::Scope(DecodeAhead* ahead) : m_previous(current) {
    current = ahead;
}

DecodeAhead::Scope::~Scope() {
    current = m_previous;
}

std::optional<std::shared_future<Result<Image>>>
DecodeAhead::take(const QString& path, QSize target, Image::Sizing sizing) {
    if (!current)
        return std::nullopt;
    State& state = *current->m_state;
    std::lock_guard lock(state.mutex);
    auto found = state.photos.begin();
    while (found != state.photos.end() &&
           (found->path != path || found->target != target || found->sizing != sizing))
        ++found;
    if (found == state.photos.end())
        return std::nullopt;
    // The photos before it were passed over (refused before they were opened): forgotten.
    std::optional<std::shared_future<Result<Image>>> taken;
    for (auto photo = state.photos.begin(); photo != std::next(found); ++photo)
        if (photo->started)
            --state.busy;
    if (found->started)
        taken = found->future;
    state.photos.erase(state.photos.begin(), std::next(found));
    state.wake.notify_all();
    return taken;
}

int DecodeAhead::decodesRunning() {
    return running.load();
}

} // namespace toolkit
