#include "widgets/ToolBand.h"

#include <QAction>

namespace K7X_DoruVevuzu::widgets {

ToolBand::ToolBand(QWidget* parent) : QToolBar(parent) {}
ToolBand::~ToolBand() = default;

QAction* ToolBand::addTool(const QString& key, const QString& caption, const QIcon& icon,
                           bool enabled) {
    QAction* action = addAction(icon, caption);
    action->setObjectName(key);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, [this, action] { emit ToolClick(action); });
    return action;
}

QAction* ToolBand::tool(const QString& key) const {
    for (QAction* action : actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

} // namespace K7X_DoruVevuzu::widgets
