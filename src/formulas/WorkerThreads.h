// WorkerThreads: a fixed number of threads, all started at once, running the tasks given in the
// order given. A thread the system will not give fails the construction with std::system_error
// (the threads already started are stopped first), so no task ever waits for a worker that never
// came.
// Each thread keeps the large buffers of the documents it rewrites for the next one
// (documents/KeptBuffers.h), until it ends.
// Destroyed, it lets the queued tasks run to their end and joins its threads. Tasks must not throw
// (a packaged task keeps its failure for its future). Owns its threads; run() from one thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace K7X_DoruVevuzu {

class WorkerThreads {
public:
    explicit WorkerThreads(int count);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    void run(std::function<void()> task);

private:
    void work();
    void stop() noexcept;

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace K7X_DoruVevuzu
