// BackgroundSaver: saves the rewritten report documents on one worker thread, so that the next
// document is read and rewritten while the previous one is serialized, compressed and written.
//
// save() waits for the previous document's save, then takes this one over: on the worker its
// new package goes into the batch and the document is closed and freed, so at
// most two documents are open at once. finish() waits for the last save and rethrows its
// failure; the destructor waits without throwing. One save runs at a time, so the batch and each
// document are only ever used by one thread at a time; the caller keeps the batch alive until the
// saver is gone.
#pragma once

#include <QThreadPool>

#include <future>
#include <memory>

namespace K7X_DoruVevuzu {

namespace documents {
class Document;
class SaveBatch;
} // namespace documents

class BackgroundSaver {
public:
    explicit BackgroundSaver(documents::SaveBatch& batch);
    ~BackgroundSaver();
    BackgroundSaver(const BackgroundSaver&) = delete;
    BackgroundSaver& operator=(const BackgroundSaver&) = delete;

    void save(std::unique_ptr<documents::Document> document);
    void finish();

private:
    documents::SaveBatch& m_batch;
    QThreadPool m_worker; // one thread, kept for the whole update
    std::future<void> m_pending;
};

} // namespace K7X_DoruVevuzu
