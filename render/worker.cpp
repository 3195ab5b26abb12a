#include "render/worker.h"

#include <chrono>
#include <system_error>

namespace cs {

namespace {

// How long the caller, out of pieces, waits for the worker's last one by yielding before it
// sleeps until woken: about what the worker needs for a small piece.
constexpr std::chrono::microseconds spin_time{100};

} // namespace

SharedWorker::~SharedWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SharedWorker::run_pieces(int count, Piece piece, void* context) {
    if (count <= 0) {
        return;
    }
    if (count > 1 && !thread_.joinable()) {
        try {
            thread_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            // No second thread: every piece on this one (a later job tries again).
        }
    }
    if (count == 1 || !thread_.joinable()) {
        for (int k = 0; k < count; ++k) {
            piece(context, k, 0);
        }
        return;
    }
    std::uint32_t generation = 0;
    {
        const std::lock_guard lock(mutex_);
        generation = ++posted_;
        piece_ = piece;
        context_ = context;
        count_ = count;
        // No piece of the last job is left to finish, so nothing else writes done_ now.
        done_.store(0, std::memory_order_relaxed);
        next_.store(std::uint64_t{generation} << 32, std::memory_order_release);
    }
    wake_.notify_one();
    take(generation, count, piece, context, 0);
    // At most the pieces the worker is running are left. Their results are published by
    // its increments of done_ (release), read here with acquire.
    const auto deadline = std::chrono::steady_clock::now() + spin_time;
    while (done_.load(std::memory_order_acquire) < count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::unique_lock lock(mutex_);
            finished_.wait(lock, [&] { return done_.load(std::memory_order_acquire) >= count; });
            return;
        }
        std::this_thread::yield();
    }
}

void SharedWorker::take(std::uint32_t generation, int count, Piece piece, void* context,
                        int thread) {
    std::uint64_t next = next_.load(std::memory_order_acquire);
    for (;;) {
        const auto k = static_cast<int>(next & 0xFFFFFFFFu);
        if (next >> 32 != generation || k >= count) {
            return;
        }
        if (!next_.compare_exchange_weak(next, next + 1, std::memory_order_acq_rel,
                                         std::memory_order_acquire)) {
            continue;
        }
        piece(context, k, thread);
        // After the last piece the job may end at once: nothing of it is touched below.
        const int done = done_.fetch_add(1, std::memory_order_acq_rel) + 1;
        if (done == count) {
            if (thread != 0) {
                // Taking the lock orders this after the caller's check of done_ before it
                // sleeps, or that check after the increment: the wake-up is never lost.
                { const std::lock_guard lock(mutex_); }
                finished_.notify_one();
            }
            return;
        }
        next = next_.load(std::memory_order_acquire);
    }
}

void SharedWorker::work() {
    std::uint32_t seen = 0;
    for (;;) {
        Piece piece = nullptr;
        void* context = nullptr;
        int count = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || posted_ != seen; });
            if (stop_) {
                return;
            }
            seen = posted_;
            piece = piece_;
            context = context_;
            count = count_;
        }
        take(seen, count, piece, context, 1);
    }
}

} // namespace cs
