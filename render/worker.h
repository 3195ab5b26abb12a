// The renderer's second thread: one persistent worker that takes pieces of a job alongside
// the thread that posted it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace cs {

// Runs the pieces 0..count-1 of a job on the calling thread and on one worker thread, each
// piece taken by whichever of the two claims it first; run returns when every piece is done.
// A worker that wakes late (or not at all while the caller is busy) costs nothing but its
// share. The worker thread is started by the first job of more than one piece and stopped
// and joined by the destructor; when no thread can be had, every piece runs on the caller.
//
// Jobs never overlap: run is called from one thread at a time, and a piece must not start a
// job on the same worker.
class SharedWorker {
  public:
    // Runs piece number piece with context; thread is 0 on the calling thread, 1 on the
    // worker, so that a job can keep scratch space for each. A piece does not throw: the
    // other thread may still be working on the same job.
    using Piece = void (*)(void* context, int piece, int thread) noexcept;

    SharedWorker() = default;
    ~SharedWorker();
    SharedWorker(const SharedWorker&) = delete;
    SharedWorker& operator=(const SharedWorker&) = delete;

    // f(piece, thread) for every piece 0 <= piece < count.
    template <typename F>
    void run(int count, F&& f) {
        using Function = std::remove_reference_t<F>;
        run_pieces(count, &call<Function>,
                   const_cast<void*>(static_cast<const void*>(std::addressof(f))));
    }
    void run_pieces(int count, Piece piece, void* context);

    // Whether the worker thread is running (it is started by the first shared job).
    bool started() const { return thread_.joinable(); }

  private:
    template <typename F>
    static void call(void* context, int piece, int thread) noexcept {
        (*static_cast<F*>(context))(piece, thread);
    }
    // Takes pieces of job number generation until none is left.
    void take(std::uint32_t generation, int count, Piece piece, void* context, int thread);
    void work();

    // The job on offer, guarded by mutex_: posted_ is its number, piece_, context_ and
    // count_ what it is. finished_ wakes the caller when the worker ends the last piece.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    Piece piece_ = nullptr;
    void* context_ = nullptr;
    int count_ = 0;
    std::uint32_t posted_ = 0;
    bool stop_ = false;
    // The job number in the high half and the next piece to take in the low half: a thread
    // takes pieces only while the number is that of the job it was given, so a worker that
    // wakes after its job ended takes nothing. done_ counts the pieces finished.
    std::atomic<std::uint64_t> next_{0};
    std::atomic<int> done_{0};
    std::thread thread_;
};

} // namespace cs
