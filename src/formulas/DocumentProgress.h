// DocumentProgress: the progress window of the report document update.
//
// A QProgressDialog over the component that appears only when the update is
// expected to last more than half a second, and says which document is being opened; a new
// document's name shows at most every 40 ms (each one is laid out and painted), a wait for another
// update and the saving step at once. It has no cancel button: stopping between two documents must
// not be possible while files are being replaced. It paints without letting the host's events in:
// only the window system and painting run while it shows a step; the host's timers are held back (a
// held timer fires again later) and user input waits. What still runs (a queued call of the host's)
// runs inside `nested`, the component's guard of nested event loops. The window lives on the heap:
// it goes with the component if the host deletes that. GUI thread only.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <functional>

namespace K7X_DoruVevuzu {

class DocumentProgress {
public:
    using Nested = std::function<void(const std::function<void()>&)>;
    DocumentProgress(QWidget* parent, int steps, Nested nested);
    ~DocumentProgress();

    void opening(const QString& document);
    void saving();
    // Says that the update waits for `document`, which `user` on `host` is updating.
    void waiting(const QString& document, const QString& user, const QString& host);

private:
    void step(const QString& label, int advance, bool always);

    QPointer<QProgressDialog> m_dialog;
    Nested m_nested;
    int m_done = 0;
    QElapsedTimer m_shown; // since the label last changed
};

} // namespace K7X_DoruVevuzu
