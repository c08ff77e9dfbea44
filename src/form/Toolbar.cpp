#include "form/Tools.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "widgets/ToolBand.h"

#include <QAction>

namespace K7X_DoruVevuzu {

namespace {

struct ToolRow {
    const char* key;
    const char* caption;
    const char* image; // key in the band's image store
    const char* hotkey;
};

constexpr ToolRow kTools[] = {
    {"tbEdit", "Modifica", "Edit", "HKSTDEDIT"},
    {"tbOK", "Salva", "Save", "HKSTDSAVE"},
    {"tbCancel", "Annulla Modifiche", "Edit_Undo", "HKSTDUNDO"},
};

} // namespace

void addDesignTools(widgets::ToolBand* band) {
    for (int tool = 0; tool < int(std::size(kTools)); ++tool)
        band->addTool(QLatin1String(kTools[tool].key), uiText(kTools[tool].caption),
                      QLatin1String(kTools[tool].image), workflow::kDesignTools[tool]);
}

std::optional<workflow::Tool> toolOfHotkey(const QString& identifier) {
    for (int tool = 0; tool < int(std::size(kTools)); ++tool) {
        if (identifier == QLatin1String(kTools[tool].hotkey))
            return workflow::Tool(tool);
    }
    return std::nullopt;
}

std::optional<workflow::Tool> toolOf(const ToolActions& tools, const QAction* action) {
    for (int tool = 0; tool < int(tools.size()); ++tool) {
        if (tools[tool] == action)
            return workflow::Tool(tool);
    }
    return std::nullopt;
}

void applyTools(const ToolActions& tools, const workflow::ToolStates& states) {
    for (const workflow::Tool tool :
         {workflow::Tool::Ok, workflow::Tool::Edit, workflow::Tool::Cancel}) {
        QAction* action = tools[int(tool)];
        if (!action)
            fail(RuntimeError::InvalidCall,
                 QStringLiteral("Lo strumento \"%1\" non esiste nella barra dei comandi.")
                     .arg(QLatin1String(kTools[int(tool)].key)));
        action->setEnabled(states[int(tool)]);
    }
}

} // namespace K7X_DoruVevuzu
