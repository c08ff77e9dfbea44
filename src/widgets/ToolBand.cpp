#include "widgets/ToolBand.h"

#include "widgets/Icons.h"

#include <QAction>

namespace K7X_DoruVevuzu::widgets {

ToolBand::ToolBand(QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

ToolBand::~ToolBand() = default;

QAction* ToolBand::addTool(const QString& key, const QString& caption, const QString& imageKey,
                           bool enabled) {
    QAction* action = addAction(picture(imageKey), caption);
    action->setObjectName(key);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, [this, action] { emit ToolClick(action); });
    return action;
}

} // namespace K7X_DoruVevuzu::widgets
