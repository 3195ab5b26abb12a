#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "render/worker.h"

namespace cs {
namespace {

using namespace std::chrono_literals;

// Waits (at most a few seconds, so that a fault fails rather than hangs) until ready().
template <typename F>
bool wait_until(F ready) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

// Every piece of every job runs once, on the thread its index names, and what the pieces
// wrote is there when run returns.
TEST(SharedWorker, RunsEveryPieceOnceInJobAfterJob) {
    SharedWorker worker;
    const std::thread::id caller = std::this_thread::get_id();
    for (const int count : {0, 1, 2, 200, 1, 0, 3, 1000, 7}) {
        std::vector<int> runs(static_cast<std::size_t>(count) + 1, 0); // one past for overruns
        std::atomic<bool> wrong_thread{false};
        worker.run(count, [&](int piece, int thread) {
            if ((thread == 0) != (std::this_thread::get_id() == caller)) {
                wrong_thread = true;
            }
            ++runs[static_cast<std::size_t>(piece)];
        });
        EXPECT_FALSE(wrong_thread) << count;
        EXPECT_EQ(runs.back(), 0) << count;
        runs.pop_back();
        EXPECT_EQ(runs, std::vector<int>(static_cast<std::size_t>(count), 1)) << count;
    }
    EXPECT_TRUE(worker.started());
}

// While the caller is held up, the worker takes the other pieces; while the worker is held
// up (longer than the caller waits for it by yielding), the caller waits for its piece.
TEST(SharedWorker, EachThreadTakesPiecesWhileTheOtherIsBusy) {
    SharedWorker worker;
    for (int job = 0; job < 3; ++job) {
        std::atomic<int> by_worker{0};
        std::vector<int> runs(8, 0);
        worker.run(8, [&](int piece, int thread) {
            if (thread == 0) {
                EXPECT_TRUE(wait_until([&] { return by_worker.load() == 7; })) << job;
            } else {
                ++by_worker;
            }
            ++runs[static_cast<std::size_t>(piece)];
        });
        EXPECT_EQ(runs, std::vector<int>(8, 1)) << job;

        std::atomic<bool> worker_began{false};
        std::atomic<bool> worker_ended{false};
        worker.run(2, [&](int, int thread) {
            if (thread == 0) {
                EXPECT_TRUE(wait_until([&] { return worker_began.load(); })) << job;
            } else {
                worker_began = true;
                std::this_thread::sleep_for(20ms);
                worker_ended = true;
            }
        });
        EXPECT_TRUE(worker_ended) << job;
    }
}

// The thread starts with the first job of several pieces, and stops with the worker
// whether it has ever run or not.
TEST(SharedWorker, StartsLazilyAndStopsWhenIdle) {
    {
        SharedWorker unused;
        unused.run(1, [](int, int) {});
        EXPECT_FALSE(unused.started());
    }
    SharedWorker worker;
    worker.run(2, [](int, int) {});
    EXPECT_TRUE(worker.started());
    std::this_thread::sleep_for(5ms); // the worker asleep again
}

} // namespace
} // namespace cs
