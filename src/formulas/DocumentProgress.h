// DocumentProgress: the progress window of the report document update.
//
// A window-modal QProgressDialog over the component that appears only when the update is
// expected to last more than half a second, and says which document is being opened or
// rewritten. It has no cancel button: stopping between two documents must not be possible
// while files are being replaced. Destroying it closes the window. GUI thread only.
#pragma once

#include <QProgressDialog>

namespace K7X_DoruVevuzu {

class DocumentProgress {
public:
    DocumentProgress(QWidget* parent, int steps);

    void opening(const QString& document);
    void rewriting(const QString& document);
    void saving();

private:
    void step(const QString& label);

    QProgressDialog m_dialog;
    int m_done = 0;
};

} // namespace K7X_DoruVevuzu
