// ToolBand: the command toolbar with keyed tools (QAction objectName is the tool key).
#pragma once

#include <QToolBar>

namespace K7X_DoruVevuzu::widgets {

class ToolBand : public QToolBar {
    Q_OBJECT
public:
    explicit ToolBand(QWidget* parent = nullptr);
    ~ToolBand() override;

    QAction* addTool(const QString& key, const QString& caption, const QIcon& icon, bool enabled);
    QAction* tool(const QString& key) const; // nullptr for a key the band does not hold

signals:
    void ToolClick(QAction* tool);
};

} // namespace K7X_DoruVevuzu::widgets
