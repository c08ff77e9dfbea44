#include "formulas/WorkerThreads.h"

#include "documents/KeptBuffers.h"

namespace K7X_DoruVevuzu {

WorkerThreads::WorkerThreads(int count) {
    try {
        for (int k = 0; k < count; ++k)
            m_threads.emplace_back([this] { work(); });
    } catch (...) {
        stop();
        throw;
    }
}

WorkerThreads::~WorkerThreads() {
    stop();
}

void WorkerThreads::run(std::function<void()> task) {
    {
        const std::lock_guard guard(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_queued.notify_one();
}

void WorkerThreads::work() {
    const documents::KeptBuffers kept; // each document's buffers serve the next
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock guard(m_mutex);
            m_queued.wait(guard, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return; // stopping, and nothing left
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

void WorkerThreads::stop() noexcept {
    {
        const std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

} // namespace K7X_DoruVevuzu
