#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "verify/verifier.hpp"

// The threads that play submitted recordings. Playing is all processor work,
// so there are as many as the cores by default, and the threads that answer
// requests only wait for them.
class WorkerPool {
public:
    // Refuses work beyond `queue_limit` recordings waiting for a worker.
    WorkerPool(int workers, std::size_t queue_limit);
    // Plays what is queued to its end first.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The verdict to come; nothing when the queue is full.
    std::optional<std::future<Verdict>> Submit(std::function<Verdict()> job);

    int workers() const { return static_cast<int>(threads_.size()); }

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<Verdict()>> queue_;
    std::size_t queue_limit_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
