#include "DecodeAhead.h"

#include <QtGlobal>
#include <atomic>
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
        std::shared_ptr<std::promise<Result<Image>>> promise;
        std::shared_future<Result<Image>> future;
        bool started = false;
    };

    std::mutex mutex;
    std::deque<Photo> photos; // announced and not yet taken, in order
    int inFlight = 1;
    // Started and not yet taken: decoding, or decoded and waiting. Bounds the memory.
    int busy = 0;

    // Starts the next photos while fewer than inFlight are busy. Called with the mutex held.
    void startMore() {
        for (Photo& photo : photos) {
            if (busy >= inFlight)
                return;
            if (photo.started)
                continue;
            photo.started = true;
            ++busy;
            ++running;
            try {
                std::thread([photo] {
                    photo.promise->set_value(Image::fromFile(photo.path, photo.target));
                    --running;
                }).detach();
            } catch (const std::system_error&) {
                // No thread to be had: the photo is decoded when it is opened, as without
                // a batch.
                photo.started = false;
                --busy;
                --running;
                return;
            }
        }
    }
};

DecodeAhead::DecodeAhead(int inFlight) : m_state(std::make_shared<State>()) {
    m_state->inFlight = qMax(1, inFlight);
}

DecodeAhead::~DecodeAhead() {
    if (current == this)
        current = nullptr;
    std::lock_guard lock(m_state->mutex);
    m_state->photos.clear();
}

void DecodeAhead::announce(const QString& path, QSize target) {
    std::lock_guard lock(m_state->mutex);
    State::Photo photo;
    photo.path = path;
    photo.target = target;
    photo.promise = std::make_shared<std::promise<Result<Image>>>();
    photo.future = photo.promise->get_future().share();
    m_state->photos.push_back(std::move(photo));
    m_state->startMore();
}

void DecodeAhead::setCurrent(DecodeAhead* ahead) {
    current = ahead;
}

std::optional<std::shared_future<Result<Image>>> DecodeAhead::take(const QString& path,
                                                                   QSize target) {
    if (!current)
        return std::nullopt;
    State& state = *current->m_state;
    std::lock_guard lock(state.mutex);
    auto found = state.photos.begin();
    while (found != state.photos.end() && (found->path != path || found->target != target))
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
    state.startMore();
    return taken;
}

int DecodeAhead::decodesRunning() {
    return running.load();
}

} // namespace toolkit
