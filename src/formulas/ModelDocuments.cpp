#include "formulas/ModelDocuments.h"

#include "formulas/DocumentFiles.h"
#include "formulas/DocumentUpdate.h"
#include "formulas/PendingRenames.h"

namespace K7X_DoruVevuzu::formulas {

namespace {

// Calls `step` with `arguments` when the caller gave one.
template <typename Step, typename... Arguments>
void tell(const Step& step, const Arguments&... arguments) {
    if (step)
        step(arguments...);
}

} // namespace

void updateModelDocuments(K7XBO_Global::CGlobal& service, const QString& model,
                          const QString& oldCode, const QString& newCode,
                          const UpdateSteps& steps) {
    finishRenames(service); // a rename left half done comes first
    const QStringList names = listedDocuments(service, model);
    tell(steps.started, static_cast<int>(names.size()));
    DocumentUpdate update(
        oldCode, newCode,
        [&steps](const QString& name, const documents::LockHolder& by) {
            tell(steps.waiting, name, by);
        },
        [&steps](const QString& name) { tell(steps.opening, name); });
    try {
        DocumentFiles files(service);
        for (const QString& name : names) {
            if (const auto file = files.fileOf(name))
                update.add(name, *file);
        }
        update.finish();
    } catch (...) {
        update.keepWritten(); // documents rewritten before a failure to write keep it
        throw;
    }
    tell(steps.saving);
    update.commit(documents::SaveBatch::Changed::LeaveIt);
}

} // namespace K7X_DoruVevuzu::formulas
