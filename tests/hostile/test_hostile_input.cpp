// Hostile codes and texts through the component as a host and a user drive it, on both engines:
// typed into the form, saved, read back, tested as duplicates, carried into report documents by
// renames; and document names that try to leave the documents folder.
#include "documents/DocumentFixtures.h"
#include "faults/Checks.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QXmlStreamReader>

#include <random>

using checks::json;
using namespace std::literals;

namespace {

#ifndef CTL_HOSTILE_INPUTS
#define CTL_HOSTILE_INPUTS 1000
#endif
const QString kUpdateFailed = QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n");

// What a user types key by key: one key a character, a surrogate pair being one key.
QStringList keysOf(const QString& text) {
    QStringList keys;
    for (qsizetype i = 0; i < text.size(); i += keys.last().size())
        keys << text.mid(i, text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1);
    return keys;
}
// What a box keeps of typing: a key that would pass `maximum` is refused, a shorter one fits.
QString typedUpTo(const QString& text, int maximum) {
    QString kept;
    for (const QString& key : keysOf(text))
        kept += kept.size() + key.size() <= maximum ? key : QString();
    return kept;
}
// The form's trim (spaces only), and the code of a text (a user cannot type a NUL).
QString trimmed(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("^ +| +\\z")));
}
QString codeOf(const QString& text) {
    return trimmed(typedUpTo(QString(text).remove(QChar(0)), 10));
}

// The inputs (name, text): one to four pieces drawn from a fixed seed, each with a code of its
// own (not A1 nor ALTRO) and no value starting with U+FEFF (a driver takes it for a BOM there).
const QList<std::pair<QString, QString>>& inputs() {
    static const QList<std::pair<QString, QString>> all = [] {
        // The pieces, between bars: what breaks SQL, LIKE, formulas, fields, XML and Unicode.
        const auto pieces =
            QStringView(u"'|\"|''|\\|\\'|%|_|%_%|;|--|/*|'; DROP TABLE KX09_INDICE; --|"
                        u"' OR '1'='1|)|(|Indice(\"A1\")|{{|}}|<w:t>&amp;]]>|<b>x</b>|"
                        u"àèéìòù|ß|指標|😀|🇮🇹|👨‍👩‍👧|مؤشر|מדד|\u202E|e\u0301|\u200B|"
                        u"\uFEFF|"
                        u"\u00A0|\u2028|\u201Cx\u201D|\t|\r|\n|\r\n|\v|\0|\x01\x1f|\x7f|  | |"
                        u"AB|07|Margine operativo lordo su ricavi"sv)
                .split(u'|');
        std::mt19937 random(20261205);
        QSet<QString> codes{QStringLiteral("a1"), QStringLiteral("altro")};
        QList<std::pair<QString, QString>> inputs;
        while (inputs.size() < CTL_HOSTILE_INPUTS) {
            QString text;
            for (auto n = 1 + random() % 4; n > 0; --n)
                text += pieces[qsizetype(random() % pieces.size())];
            const QString code = codeOf(text), description = trimmed(typedUpTo(text, 50));
            if (code.isEmpty() || description.isEmpty() || codes.contains(code.toCaseFolded()) ||
                (text.left(1) + code.left(1) + description.left(1)).contains(QChar(0xFEFF)))
                continue;
            codes.insert(code.toCaseFolded());
            const std::unique_ptr<char[]> shown(QTest::toPrettyUnicode(text));
            inputs.append({QStringLiteral("#%1 %2: ").arg(inputs.size()).arg(shown.get()), text});
        }
        return inputs;
    }();
    return all;
}

// Whether a keyboard gives the text: no control character, and in a box of many lines no line
// separator (the box turns it into a line break) and the line feed.
bool typable(const QString& text, bool multiLine) {
    return !text.contains(QRegularExpression(multiLine
                                                 ? "[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f\u2028\u2029]"
                                                 : "[\\x00-\\x1f\\x7f-\\x9f]"));
}
// Enters `text` as a user does: key by key in a one-line box, in one input-method commit in a
// box of many lines; as the host does when no keyboard gives it.
void enter(TestHost& host, const QString& name, const QString& text) {
    QWidget* keyboard = host.keyboard(name);
    const bool multiLine = qobject_cast<QPlainTextEdit*>(keyboard);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    host.set(name, typable(text, multiLine) ? QString() : text);
    if (typable(text, multiLine) && multiLine)
        QApplication::sendEvent(keyboard, &commit);
    else if (typable(text, multiLine))
        for (const QString& key : keysOf(text))
            QTest::sendKeyEvent(QTest::Click, keyboard, Qt::Key_unknown, key, Qt::NoModifier);
}

// Each field: what the user enters for input `text`, what is then stored and shown (a host
// writes only what fits a one-line box); the formulas name `previous`, the code saved before.
std::pair<QVariantMap, QVariantMap> fieldsOf(const QString& text, const QString& previous) {
    const auto fits = [](const QString& t, int n) {
        return typable(t, false) ? t : typedUpTo(t, n);
    };
    const QString voce = "Voce(" + checks::quoted(text) + u')';
    const QString indice = "Indice(" + checks::quoted(previous) + u')';
    QList<QStringList> rows{{"txtCodice", fits(QString(text).remove(QChar(0)), 10), codeOf(text)},
                            {"txtDescrizione", fits(text, 50), trimmed(typedUpTo(text, 50))},
                            {"txtFormulaCondizione", "  " + voce + ">0 ", voce + " > 0"},
                            {"txtFormulaAllora", indice + "*2", indice + " * 2"},
                            {"txtFormulaAltrimenti", voce, voce},
                            {"txtValoreScarso", "1", "1"},
                            {"txtValoreNormale", "2", "2"},
                            {"txtValoreBuono", "3", "3"}};
    for (const char* name : {"txtTesto", "txtDescrizioneScarso", "txtDescrizioneNormale",
                             "txtDescrizioneBuono", "txtFormulaSimbolica"})
        rows.append({name, text, text});
    std::pair<QVariantMap, QVariantMap> fields;
    for (const QStringList& row : rows) {
        fields.first[row[0]] = row[1];
        fields.second[row[0]] = row[2];
    }
    return fields;
}

// Whether the documents hold exactly the references to `code` that a rename of A1 in their
// `stories` gives, and a strict reader accepts the XML of every part (a word processor refuses
// the rest).
bool holdReferencesTo(const QStringList& paths, const QList<QStringList>& stories,
                      const QString& code) {
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (checks::storiesOf(paths[i]) != checks::renamed(stories[i], "A1", code))
            return false;
        for (const PackageEntry& entry : packageEntries(paths[i])) {
            QXmlStreamReader xml(entry.content);
            while (entry.name.endsWith(QLatin1String(".xml")) && !xml.atEnd())
                xml.readNext();
            if (xml.hasError())
                return false;
        }
    }
    return true;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    // On a hostile model, each input entered as a user does and saved through CanClose shows in
    // the caption as plain text, and as the form's rules say in the stored row and in a fresh
    // component; a NUL is kept where the engine stores it, refused clearly where it cannot. The
    // codes stored are taken, spaces around them or not; one that differs by a LIKE wildcard, a
    // quote or a letter's case is free; a NUL in a code is refused clearly. Renames run through
    // the codes (the engines take them in turn) and back to A1 in fixtures with fields in every
    // kind of story, listed under hostile names: the documents hold exactly the references the
    // rules give; a code with the ")" that ends a reference, the marker that ends a field or
    // quotes that fields turn straight is written but found no more (and put back by hand); one
    // with a character that cannot stand in a paragraph changes nothing. Then listed names that
    // are no plain file name of the folder (a path, even to no file, a backslash, "..", a link to
    // a file outside, a NUL) are refused clearly, one too long for a file is skipped, and no file
    // outside the folder nor inside changes; a long name that a folder holds is a document.
    void hostileInputs_data() { TestDatabase::addEngineRows(); }
    void hostileInputs() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestHost host(engine, QString());
        const QString model = QStringLiteral("M'%_;--\\\"😀 ");
        host.database.exec("INSERT INTO KX06_MODELLI VALUES (?, 'Modello')", {model});
        host.database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                           "KX09_DESCRIZIONE) VALUES (?, 'A1', 'Seme')",
                           {model});
        DocumentFixtures files;
        host.service.setAppPath(files.folder());
        const QString folder = K7XBO_Global::CDocFields::instance().DocFolder() + u'/';
        QDir(files.folder()).mkpath(folder + u'a');
        const auto list = [&](const QString& name, const QString& fixture) {
            host.database.exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {model, name});
            return fixture.isEmpty() ? QString() : files.copy(fixture, folder + name);
        };
        const QStringList paths{list("Relazione 'annuale' 100%_;--.docx", "awkward.docx"),
                                list("Nota \"2026\" 😀 àè {{x}}.odt", "awkward.odt")};
        const QList<QStringList> original{checks::storiesOf(paths[0]), checks::storiesOf(paths[1])};
        const auto contents = [&paths] {
            return QList<QByteArray>{bytesOf(paths[0]), bytesOf(paths[1])};
        };
        const auto rename = [&](QString from, QString to) {
            return raisedBy([&] { host.editor->UpdateDocFormulas(from, to); }).description();
        };
        ctlIndici reader, checker;
        for (ctlIndici* component : {host.editor, &reader, &checker}) {
            component->setCGlobal(&host.service);
            component->setCodiceModello(model);
            component->setCodiceIndice(QStringLiteral("A1"));
            component->LoadIndice();
        }
        checker.ClickAddIndex();
        for (const char* field : {"txtDescrizione", "txtFormulaAllora"})
            checker.findChild<QWidget*>(field)->setProperty("text", "1");
        const auto validate = [&](const QString& code) {
            checker.findChild<QWidget*>("txtCodice")->setProperty("text", code);
            return Probe::validate(checker);
        };
        const auto* caption = host.child<QLabel>("lblCaption");
        QSet<QString> stored{QStringLiteral("A1")};
        QString previous = QStringLiteral("A1"), renamed = previous;
        for (qsizetype i = 0; i < inputs().size(); ++i) {
            const auto& [name, text] = inputs()[i];
            const auto [entered, expected] = fieldsOf(text, previous);
            const QString code = expected["txtCodice"].toString();
            host.editor->ClickAddIndex();
            for (auto it = entered.cbegin(); it != entered.cend(); ++it)
                enter(host, it.key(), it->toString());
            QLabel plain("Nuovo indice: " + code + " - " + expected["txtDescrizione"].toString());
            plain.setTextFormat(Qt::PlainText);
            plain.setFont(caption->font());
            QCOMPARE(name + caption->text(), name + plain.text());
            QVERIFY2(caption->sizeHint() == plain.sizeHint(), qPrintable(name));
            QString newIndex;
            BoxAnswerer boxes(host.editor);
            QVERIFY2(host.editor->CanClose(newIndex), qPrintable(name));
            if (engine == QLatin1String("postgresql") && text.contains(QChar(0))) { // refused
                QVERIFY2(boxes.seen.size() == 1 && boxes.texts()[0].contains("carattere nullo"),
                         qPrintable(name));
                QCOMPARE(name + checks::storedIn(host.database.db(), model, code, {"txtCodice"}),
                         name + "{}");
            } else {
                QCOMPARE(name + boxes.texts().join(u'|') + newIndex, name + code);
                reader.setCodiceIndice(code);
                reader.LoadIndice();
                QCOMPARE(name + checks::shownBy(&reader, expected.keys()), name + json(expected));
                QCOMPARE(name + checks::storedIn(host.database.db(), model, code, expected.keys()),
                         name + json(expected));
                stored << code;
                previous = code;
            }

            const QStringList keys = keysOf(code);
            const auto at = text.size() % keys.size();
            QStringList variants{u' ' + code + u' '}; // spaces around it, or one key changed
            for (const QString& key : QStringList{
                     "%", "_", "'", "\"",
                     keys[at].toUpper() != keys[at] ? keys[at].toUpper() : keys[at].toLower()}) {
                QStringList changed = keys;
                changed[at] = key;
                variants << trimmed(changed.join(QString()));
            }
            for (const QString& variant : variants) {
                if (variant != code)
                    QCOMPARE(name + validate(variant),
                             name + (stored.contains(trimmed(variant)) ? "Codice esistente." : ""));
            }
            if (const QString withNul = trimmed(typedUpTo(text, 10)); withNul.contains(QChar(0)))
                QVERIFY2(
                    raisedBy([&] { validate(withNul); }).description().contains("carattere nullo"),
                    qPrintable(name));

            if (i % TestDatabase::engines().size() != TestDatabase::engines().indexOf(engine))
                continue;
            const QList<QByteArray> before = contents();
            const QString failure = rename(renamed, code);
            if (code.contains(
                    QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0a\\x0c-\\x1f]")))) {
                QVERIFY2(failure.startsWith(kUpdateFailed) && contents() == before,
                         qPrintable(name + failure));
                continue;
            }
            QVERIFY2(failure.isEmpty() && holdReferencesTo(paths, original, code),
                     qPrintable(name + failure));
            if (!code.contains(QRegularExpression(QStringLiteral("[)\u201C\u201D\u201E\u2033]"))) &&
                !code.contains(K7XBO_Global::CDocFields::instance().FieldEnd())) {
                renamed = code;
                continue;
            }
            const QList<QByteArray> written = contents();
            QVERIFY2(rename(code, renamed).isEmpty() && contents() == written, qPrintable(name));
            for (qsizetype k = 0; k < paths.size(); ++k) { // as before the rename
                QFile file(paths[k]);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before[k]) > 0);
            }
        }
        QCOMPARE(rename(renamed, QStringLiteral("A1")), QString());
        QVERIFY(holdReferencesTo(paths, original, QStringLiteral("A1")));

        QFile::link(files.copy("lo-report.docx", "fuori.docx"),
                    files.folder() + u'/' + folder + "collegamento.docx");
        files.copy("lo-report.docx", folder + "dentro.docx");
        const QList<std::pair<QString, QString>> names = {
            {"a/../../fuori.docx", "rifiutato"},
            {"sotto/dentro.docx", "rifiutato"},
            {"..\\fuori.docx", "rifiutato"},
            {"..", "rifiutato"},
            {"collegamento.docx", "rifiutato"},
            {QStringLiteral("dentro.docx") + QChar(0) + ".txt", "rifiutato"}, // not on PostgreSQL
            {QString(250, u'é') + ".docx", "saltato"}, // too long for a file name
            {QString(250, u'x') + ".docx", "riscritto"}};
        for (const auto& [name, outcome] : names) {
            if (engine == QLatin1String("postgresql") && name.contains(QChar(0)))
                continue;
            host.database.exec("DELETE FROM KX20_RELAZIONI");
            const QString listed = list(name, outcome == u"riscritto" ? "lo-report.docx" : "");
            QMap<QString, QByteArray> before = snapshot(files.folder());
            const QString failure = rename("A1", "B2");
            QVERIFY2(outcome == u"rifiutato" ? failure.startsWith(kUpdateFailed) &&
                                                   failure.endsWith("cartella dei documenti.")
                                             : failure.isEmpty(),
                     qPrintable(name + failure));
            QMap<QString, QByteArray> after = snapshot(files.folder());
            QVERIFY(listed.isEmpty() || (before.remove(listed) == 1 && after.remove(listed) == 1 &&
                                         referencesIn(listed, "B2") > 0));
            QCOMPARE(after, before);
        }
    }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
