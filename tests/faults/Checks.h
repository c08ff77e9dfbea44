// The one checker of the fault and hostile tests (what a form shows and a row stores, as JSON that
// prints every character; the stories of a document before and after a rename), and one session.
#pragma once

#include "documents/Document.h"
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
    QVariantMap texts;
    for (const QString& name : row.exec() && row.next() ? fields : QStringList()) {
        const QString column = name == u"txtCodice"   ? QStringLiteral("CODICEINDICE")
                               : name == u"txtValErr" ? QStringLiteral("VALERR_FORMULA")
                                                      : name.mid(3).toUpper();
        texts[name] = row.value("KX09_" + column).toString();
    }
    return json(texts);
}

// A host's side of a fault: its component run by JSON commands, each answered with the text of
// its failure in "error" ("" when none):
//   {"update":[folder, old, new]}  UpdateDocFormulas on the documents of the folder
//   {"edit":{field:text}}          LoadIndice, Modifica, writes the fields
//   {"save":[field]}               Salva, after Modifica when a failed save turned it off:
//                                  {"boxes":[texts], "fields":JSON of the fields shown}
struct Session {
    QVariantMap run(const QVariantMap& command) {
        const QStringList update = command.value("update").toStringList();
        const QVariantMap fields = command.value("edit").toMap();
        QVariantMap reply{{"error", ""}};
        try {
            BoxAnswerer answers(editor);
            if (update.size() == 3) {
                service->setAppPath(update[0]);
                QString from = update[1], to = update[2];
                editor->UpdateDocFormulas(from, to);
            } else if (!fields.isEmpty()) {
                editor->LoadIndice();
                editor->findChild<QAction*>("tbEdit")->trigger();
                for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                    editor->findChild<QWidget*>(it.key())->setProperty("text", *it);
            } else {
                auto* save = editor->findChild<QAction*>("tbOK");
                if (!save->isEnabled())
                    editor->findChild<QAction*>("tbEdit")->trigger();
                save->trigger();
                const QByteArray shown = shownBy(editor, command.value("save").toStringList());
                reply.insert({{"boxes", answers.texts()}, {"fields", QString::fromUtf8(shown)}});
            }
        } catch (const RuntimeError& failure) {
            reply["error"] = failure.description();
        }
        return reply;
    }
    ctlIndici* editor;
    K7XBO_Global::CGlobal* service;
};

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
// How many of the documents at `paths` hold their `stories` renamed from `from` to `to`; -1 when
// one holds neither those nor the stories as they were, or has a part that is no well-formed XML.
inline int renamedIn(const QStringList& paths, const QList<QStringList>& stories,
                     const QString& from, const QString& to) {
    int count = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QStringList now = storiesOf(paths[i]), after = renamed(stories[i], from, to);
        for (const PackageEntry& part : packageEntries(paths[i])) {
            QXmlStreamReader xml(part.content);
            while (part.name.endsWith(QLatin1String(".xml")) && !xml.atEnd())
                xml.readNext();
            if (xml.hasError())
                return -1;
        }
        if (now != after && now != stories[i])
            return -1;
        count += now == after;
    }
    return count;
}

} // namespace checks
