// A small persistent pool of worker threads that share out numbered pieces of work (the column
// chunks of a frame) with the calling thread.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace bv {

class ColumnPool {
public:
    // `threads` counts the calling thread: a pool of 1 starts no worker.
    explicit ColumnPool(int threads);
    ~ColumnPool();
    ColumnPool(const ColumnPool&) = delete;
    ColumnPool& operator=(const ColumnPool&) = delete;

    int threads() const { return threads_; }

    // Calls job(i) once for every i in 0..count-1, spread over the workers and the calling
    // thread, and returns when all calls have returned. `job` must not throw. Not reentrant.
    void run(size_t count, const std::function<void(size_t)>& job);

    // Stops and joins the workers; a later run starts them again.
    void shutdown();

    // Stops and joins the workers of every pool (at interpreter exit).
    static void shutdownAll();

private:
    void start();
    void work();
    void takePieces();

    int threads_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(size_t)>* job_ = nullptr;
    size_t count_ = 0, next_ = 0;
    unsigned generation_ = 0;  // one per run, so that a worker joins each run once
    int busy_ = 0;             // workers inside the current run
    bool stop_ = false;
};

// The threads to draw with when the system reports `reported` cores (0 when it cannot tell): at least 1.
int threadsForCores(unsigned reported);
// The machine's number of cores (at least 1).
int machineThreads();

}  // namespace bv
