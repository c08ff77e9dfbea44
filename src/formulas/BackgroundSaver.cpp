#include "formulas/BackgroundSaver.h"

#include "documents/Document.h"

#include <memory>

namespace K7X_DoruVevuzu {

BackgroundSaver::BackgroundSaver(documents::SaveBatch& batch) : m_batch(batch) {
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
}

BackgroundSaver::~BackgroundSaver() {
    m_worker.waitForDone();
}

void BackgroundSaver::save(std::unique_ptr<documents::Document> document) {
    finish();
    auto task = std::make_shared<std::packaged_task<void()>>(
        [this, owned = std::shared_ptr<documents::Document>(std::move(document))] {
            owned->save(m_batch);
            owned->close(false);
        });
    m_pending = task->get_future();
    m_worker.start([task] { (*task)(); });
}

void BackgroundSaver::finish() {
    if (m_pending.valid())
        m_pending.get();
}

} // namespace K7X_DoruVevuzu
