#pragma once

#include <QString>
#include <QVariant>

namespace K7XBO_Global {

/// Where report documents live and how formula fields are marked in them.
///
/// One shared instance (instance()). Defaults: folder "Documenti", markers "{{" and "}}". A
/// document's formula field is the text between the two markers. Not thread-safe; never
/// throws.
class CDocFields {
public:
    /// The shared instance.
    static CDocFields& instance();

    /// The documents folder, below the application path (CGlobal::HostApp() "Path").
    QString DocFolder() const { return m_docFolder; }
    /// The text that opens a formula field.
    QString FieldStart() const { return m_fieldStart; }
    /// The text that closes a formula field.
    QString FieldEnd() const { return m_fieldEnd; }
    /// Sets the documents folder's name.
    void setDocFolder(const QString& value) { m_docFolder = value; }
    /// Sets the opening marker.
    void setFieldStart(const QString& value) { m_fieldStart = value; }
    /// Sets the closing marker.
    void setFieldEnd(const QString& value) { m_fieldEnd = value; }

    /// The formula script held by a field's text: the typographic quotes a word processor
    /// substitutes while typing (“ ” „ ″) become straight double quotes again; all else is
    /// returned unchanged.
    QVariant FieldScript(const QVariant& fieldText) const;

private:
    CDocFields() = default;
    QString m_docFolder = QStringLiteral("Documenti");
    QString m_fieldStart = QStringLiteral("{{");
    QString m_fieldEnd = QStringLiteral("}}");
};

} // namespace K7XBO_Global
