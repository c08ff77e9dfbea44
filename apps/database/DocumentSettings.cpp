#include "DocumentSettings.h"

#include <K7XBO_Global/CDocFields.h>

#include <QSettings>

namespace demo {

void applyDocumentSettings(const QSettings& settings) {
    auto& fields = K7XBO_Global::CDocFields::instance();
    fields.setDocFolder(
        settings.value(QStringLiteral("documents/folder"), fields.DocFolder()).toString());
    fields.setFieldStart(
        settings.value(QStringLiteral("documents/fieldStart"), fields.FieldStart()).toString());
    fields.setFieldEnd(
        settings.value(QStringLiteral("documents/fieldEnd"), fields.FieldEnd()).toString());
}

} // namespace demo
