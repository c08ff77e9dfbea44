// CDocFields: where report documents live and how formula fields are marked in them.
//
// One shared instance (instance()). Defaults: folder "Documenti", markers "{{" and "}}".
// FieldScript gives the formula script held by a field's text: the typographic quotes a word
// processor substitutes while typing (“ ” „ ″) become straight double quotes again; all else
// is returned unchanged. Not thread-safe; never throws.
#pragma once

#include <QString>
#include <QVariant>

namespace K7XBO_Global {

class CDocFields {
public:
    static CDocFields& instance();

    QString DocFolder() const { return m_docFolder; }
    QString FieldStart() const { return m_fieldStart; }
    QString FieldEnd() const { return m_fieldEnd; }
    void setDocFolder(const QString& value) { m_docFolder = value; }
    void setFieldStart(const QString& value) { m_fieldStart = value; }
    void setFieldEnd(const QString& value) { m_fieldEnd = value; }

    QVariant FieldScript(const QVariant& fieldText) const;

private:
    CDocFields() = default;
    QString m_docFolder = QStringLiteral("Documenti");
    QString m_fieldStart = QStringLiteral("{{");
    QString m_fieldEnd = QStringLiteral("}}");
};

} // namespace K7XBO_Global
