// The worker threads that draw numbered column chunks, and their shutdown at exit.
#include "render/column_pool.core.hpp"

#include <set>

namespace bv {

namespace {

// Every live pool, for shutdownAll.
std::mutex registryMutex;
std::set<ColumnPool*>& registry() {
    static std::set<ColumnPool*>* pools = new std::set<ColumnPool*>();  // never destroyed: pools may outlive statics
    return *pools;
}

}  // namespace

int threadsForCores(unsigned reported) { return reported == 0 ? 1 : int(reported); }

int machineThreads() { return threadsForCores(std::thread::hardware_concurrency()); }

ColumnPool::ColumnPool(int threads) : threads_(threads < 1 ? 1 : threads) {
    std::lock_guard lock(registryMutex);
    registry().insert(this);
}

ColumnPool::~ColumnPool() {
    {
        std::lock_guard lock(registryMutex);
        registry().erase(this);
    }
    shutdown();
}

void ColumnPool::shutdownAll() {
    std::lock_guard lock(registryMutex);
    for (ColumnPool* pool : registry()) pool->shutdown();
}

void ColumnPool::start() {
    stop_ = false;
    for (int i = 1; i < threads_; i++) workers_.emplace_back([this] { work(); });
}

void ColumnPool::shutdown() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
    workers_.clear();
}

// Takes piece numbers until none is left; called with the mutex held, returns with it held.
void ColumnPool::takePieces() {
    std::unique_lock lock(mutex_, std::adopt_lock);
    while (next_ < count_) {
        size_t i = next_++;
        const std::function<void(size_t)>* job = job_;
        lock.unlock();
        (*job)(i);
        lock.lock();
    }
    lock.release();
}

void ColumnPool::work() {
    std::unique_lock lock(mutex_);
    unsigned seen = generation_;
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_) return;
        seen = generation_;
        busy_++;
        lock.release();
        takePieces();
        lock = std::unique_lock(mutex_, std::adopt_lock);
        if (--busy_ == 0) done_.notify_one();
    }
}

void ColumnPool::run(size_t count, const std::function<void(size_t)>& job) {
    if (threads_ == 1 || count <= 1) {
        for (size_t i = 0; i < count; i++) job(i);
        return;
    }
    if (workers_.empty()) start();
    std::unique_lock lock(mutex_);
    job_ = &job;
    count_ = count;
    next_ = 0;
    generation_++;
    wake_.notify_all();
    lock.release();
    takePieces();
    lock = std::unique_lock(mutex_, std::adopt_lock);
    // Every piece has been taken; wait for the workers still drawing theirs.
    done_.wait(lock, [&] { return busy_ == 0; });
    job_ = nullptr;
    count_ = next_ = 0;
}

}  // namespace bv
