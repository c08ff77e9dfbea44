// The checkers of the fault and hostile tests: what a form shows and a row stores, as JSON that
// prints every character, and the stories of documents before and after a rename.
#pragma once

#include "documents/DocumentFixtures.h"
#include "support/Host.h"

#include <K7XBO_Global/CDocFields.h>

#include <QXmlStreamReader>

namespace checks {

// A map as JSON, every character printable.
inline QByteArray json(const QVariantMap& map) {
    return QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact);
}
// A code as the formula language writes it.
inline QString quoted(QString code) {
    return u'"' + code.replace(u'"', QStringLiteral("\"\"")) + u'"';
}
// What the form shows in `fields`.
inline QByteArray shownBy(const QWidget* form, const QStringList& fields) {
    QVariantMap texts;
    for (const QString& name : fields)
        texts[name] = form->findChild<QWidget*>(name)->property("text").toString();
    return json(texts);
}
// What the row of `model`'s index `code` stores in the columns of the form's `fields`.
inline QByteArray storedIn(const QSqlDatabase& db, const QString& model, const QString& code,
                           const QStringList& fields) {
    QSqlQuery row(db);
    row.prepare(
        "SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=? AND KX09_CODICEINDICE=?");
    row.addBindValue(model);
    row.addBindValue(code);
    const QMap<QString, QString> columns{{"txtCodice", "CODICEINDICE"},
                                         {"txtValErr", "VALERR_FORMULA"}};
    QVariantMap texts;
    for (const QString& name : row.exec() && row.next() ? fields : QStringList())
        texts[name] = row.value("KX09_" + columns.value(name, name.mid(3).toUpper())).toString();
    return json(texts);
}

// How many documents at `paths` hold their `stories` with each reference to `from` in a field
// written for `to`; -1 when one holds neither those nor `stories`, or has an ill-formed XML part.
inline int renamedIn(const QStringList& paths, const QList<QStringList>& stories,
                     const QString& from, const QString& to) {
    const QString start = K7XBO_Global::CDocFields::instance().FieldStart(),
                  end = K7XBO_Global::CDocFields::instance().FieldEnd();
    const QRegularExpression reference("Indice\\(\\s*" + QRegularExpression::escape(quoted(from)) +
                                           "\\s*\\)",
                                       QRegularExpression::CaseInsensitiveOption);
    int count = 0;
    for (qsizetype i = 0, at, stop; i < paths.size(); ++i) {
        QStringList after = stories[i];
        for (QString& story : after) {
            for (at = 0;
                 (at = story.indexOf(start, at)) >= 0 && (stop = story.indexOf(end, at)) >= 0;) {
                const QString field =
                    story.mid(at, stop - at).replace(reference, "Indice(" + quoted(to) + u')');
                story.replace(at, stop - at, field);
                at += field.size() + end.size();
            }
        }
        for (const PackageEntry& part : packageEntries(paths[i])) {
            QXmlStreamReader xml(part.content);
            while (part.name.endsWith(QLatin1String(".xml")) && !xml.atEnd())
                xml.readNext();
            if (xml.hasError())
                return -1;
        }
        const QStringList now = storiesOf(paths[i]);
        if (now != after && now != stories[i])
            return -1;
        count += now == after;
    }
    return count;
}

} // namespace checks
