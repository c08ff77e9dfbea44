// The toolbar's tools: their table, the tool switch and the tool lookup shared by every caller.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "control/Form.h"
#include "widgets/ToolBand.h"
#include "workflow/EditSession.h"

#include <QAction>

namespace K7X_DoruVevuzu {

namespace {

// In the order of workflow::Tool.
struct Tool {
    const char* key;
    const char* caption;
    const char* image; // key in the band's image store
    bool enabled;      // in the form design, before anything is loaded
};

constexpr Tool kTools[] = {
    {"tbEdit", "Modifica", "Edit", true},
    {"tbOK", "Salva", "Save", false},
    {"tbCancel", "Annulla Modifiche", "Edit_Undo", false},
};

} // namespace

void addDesignTools(widgets::ToolBand* band) {
    for (const Tool& t : kTools)
        band->addTool(QLatin1String(t.key), uiText(t.caption), QLatin1String(t.image), t.enabled);
}

QAction* ctlIndici::findTool(const QString& key) const {
    return mForm->DS1->tool(key);
}

void ctlIndici::switchTool(const QString& key, bool enabled) {
    QAction* tool = findTool(key);
    if (!tool)
        fail(RuntimeError::InvalidCall,
             QStringLiteral("Lo strumento \"%1\" non esiste nella barra dei comandi.").arg(key));
    tool->setEnabled(enabled);
}

// In the order the tools were always switched: save, edit, cancel.
void ctlIndici::applyTools() {
    for (const workflow::Tool tool :
         {workflow::Tool::Ok, workflow::Tool::Edit, workflow::Tool::Cancel})
        switchTool(QLatin1String(kTools[int(tool)].key), mSession->tools()[int(tool)]);
}

} // namespace K7X_DoruVevuzu
