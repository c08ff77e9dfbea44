// ToolBand: the command toolbar with one band of keyed tools (QAction objectName is the key).
//
// Holds the tools in the order they were added, each with its caption, a picture from the
// component's image store (by image key, see Icons.h), an enabled and a shown state. A click
// on a tool emits ToolClick with that tool. The band is not movable and has no layout role
// outside the form: the form gives it its place and height. Nothing here fails. GUI thread.
#pragma once

#include <QToolBar>

namespace K7X_DoruVevuzu::widgets {

class ToolBand : public QToolBar {
    Q_OBJECT
public:
    explicit ToolBand(QWidget* parent = nullptr);
    ~ToolBand() override;

    QString band() const { return windowTitle(); }
    void setBand(const QString& name) { setWindowTitle(name); }
    QAction* addTool(const QString& key, const QString& caption, const QString& imageKey,
                     bool enabled);

signals:
    void ToolClick(QAction* tool);
};

} // namespace K7X_DoruVevuzu::widgets
