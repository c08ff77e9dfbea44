// The one checker of the fault and hostile tests: what a form shows and a row stores, as JSON
// that prints every character, and the stories of a document before and after a rename.
#pragma once

#include "documents/Document.h"
#include "support/Host.h"

#include <K7XBO_Global/CDocFields.h>

namespace checks {

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
    QVariantMap texts;
    for (const QString& name : row.exec() && row.next() ? fields : QStringList()) {
        const QString column = name == u"txtCodice"   ? QStringLiteral("CODICEINDICE")
                               : name == u"txtValErr" ? QStringLiteral("VALERR_FORMULA")
                                                      : name.mid(3).toUpper();
        texts[name] = row.value("KX09_" + column).toString();
    }
    return json(texts);
}

// The text of every story of a document.
inline QStringList storiesOf(const QString& path) {
    const auto document = K7X_DoruVevuzu::documents::Document::open(path);
    QStringList stories;
    for (int story = 0; story < document->storyCount(); ++story)
        stories << document->text(story, 0, document->storyLength(story));
    return stories;
}
// The stories with every reference to `from` inside a formula field written for `to`.
inline QStringList renamed(QStringList stories, const QString& from, const QString& to) {
    const auto& markers = K7XBO_Global::CDocFields::instance();
    const QRegularExpression reference("Indice\\(\\s*" + QRegularExpression::escape(quoted(from)) +
                                           "\\s*\\)",
                                       QRegularExpression::CaseInsensitiveOption);
    for (QString& story : stories) {
        for (qsizetype at = 0; (at = story.indexOf(markers.FieldStart(), at)) >= 0;) {
            at += markers.FieldStart().size();
            const qsizetype end = story.indexOf(markers.FieldEnd(), at);
            if (end < 0)
                break;
            const QString field =
                story.mid(at, end - at).replace(reference, "Indice(" + quoted(to) + u')');
            story.replace(at, end - at, field);
            at += field.size() + markers.FieldEnd().size();
        }
    }
    return stories;
}

} // namespace checks
