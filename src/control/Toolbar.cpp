// The toolbar's tools: the tool switch and the tool lookup shared by every caller.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Form.h"
#include "widgets/ToolBand.h"

#include <QAction>

namespace K7X_DoruVevuzu {

QAction* ctlIndici::findTool(const QString& key) const { return mForm->DS1->tool(key); }

void ctlIndici::switchTool(const QString& key, bool enabled) {
    if (QAction* tool = findTool(key))
        tool->setEnabled(enabled);
}

} // namespace K7X_DoruVevuzu
