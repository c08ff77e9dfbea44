// ModelDocuments: carries an index code change into every report document of a model, with or
// without a window: the update ctlIndici::UpdateDocFormulas runs under its progress window, and
// the command line runs on its own.
//
// A rename left half done on the same documents folder is finished first (formulas/
// PendingRenames.h). Then every document the model lists (formulas/DocumentFiles.h) goes through
// one DocumentUpdate (formulas/DocumentUpdate.h): all held, read, planned and checked before any
// is replaced. A failure while the new files are written keeps the documents staged before it; a
// document another program saved meanwhile is left as it saved it. Failures are RuntimeError, as
// the layers below raise them. One thread, the thread of the host's connection.
#pragma once

#include "documents/DocumentLocks.h"

#include <QString>

#include <functional>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu::formulas {

// What the update tells its caller as it goes; a member left empty is not called.
struct UpdateSteps {
    std::function<void(int documents)> started; // the documents listed, before any is held
    std::function<void(const QString& name, const documents::LockHolder& holder)> waiting;
    std::function<void(const QString& name)> opening;
    std::function<void()> saving; // every document is ready; the new files go in place
};

// Rewrites every reference to `oldCode` as `newCode` in the report documents of `model`.
void updateModelDocuments(K7XBO_Global::CGlobal& service, const QString& model,
                          const QString& oldCode, const QString& newCode, const UpdateSteps& steps);

} // namespace K7X_DoruVevuzu::formulas
