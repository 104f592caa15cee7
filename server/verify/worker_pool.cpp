#include "verify/worker_pool.hpp"

#include <algorithm>

WorkerPool::WorkerPool(int workers, std::size_t queue_limit) : queue_limit_(queue_limit) {
    for (int i = 0; i < std::max(1, workers); ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

std::optional<std::future<Verdict>> WorkerPool::Submit(std::function<Verdict()> job) {
    std::packaged_task<Verdict()> task(std::move(job));
    std::future<Verdict> verdict = task.get_future();
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= queue_limit_) return std::nullopt;
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
    return verdict;
}

void WorkerPool::Work() {
    for (;;) {
        std::packaged_task<Verdict()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}
