// Hostile codes and texts through the component as a host and a user drive it: saved and
// loaded back on both engines, looked up as duplicates, carried into report documents by a
// rename and back, and document names that try to leave the documents folder.
#include "HostileInputs.h"
#include "documents/Document.h"
#include "documents/DocumentFixtures.h"
#include "support/Raised.h"
#include "workflow/WorkflowHost.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>

#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QXmlStreamReader>

using hostile::Input;
using K7X_DoruVevuzu::documents::Document;

namespace {

const QString kModel = QStringLiteral("M'%_;--\\\"😀 ");
#ifndef CTL_HOSTILE_INPUTS
#define CTL_HOSTILE_INPUTS 1000
#endif
constexpr int kInputs = CTL_HOSTILE_INPUTS;
constexpr std::uint32_t kSeed = 20261205;

// What a user types key by key: one key a character, a surrogate pair being one key.
QStringList keysOf(const QString& text) {
    QStringList keys;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype key = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        keys << text.mid(i, key);
        i += key;
    }
    return keys;
}
// The form's rules, written out on their own: what a box keeps of typing that reaches its
// maximum length (a key that would pass it is refused, a shorter one after it still fits),
// and the trim (spaces only).
QString typedUpTo(const QString& text, int maximum) {
    QString kept;
    for (const QString& key : keysOf(text)) {
        if (kept.size() + key.size() <= maximum)
            kept += key;
    }
    return kept;
}
QString trimmedSpaces(QString text) {
    static const QRegularExpression outerSpaces(QStringLiteral("^ +| +\\z"));
    return text.remove(outerSpaces);
}
QString quoted(QString code) { // a code as the formula language writes it
    return u'"' + code.replace(u'"', QStringLiteral("\"\"")) + u'"';
}
// Codes never hold a NUL here: a user cannot type one, and the duplicate test shows what
// becomes of a host that writes one.
QString codeTyped(const Input& input) {
    return QString(input.text).remove(QChar(0));
}
QString codeOf(const Input& input) {
    return trimmedSpaces(typedUpTo(codeTyped(input), 10));
}

// The inputs. Each one's code is distinct, and none is the seed index A1 or ALTRO. No
// stored value starts with U+FEFF: the database drivers take it there for a byte order mark
// (SQLite drops it from a bound text, Qt's PostgreSQL driver from a text it reads).
const QList<Input>& inputs() {
    static const QList<Input> all = [] {
        QSet<QString> codes{QStringLiteral("a1"), QStringLiteral("altro")};
        return hostile::generate(kInputs, kSeed, [&codes](const QString& text) {
            const QString code = codeOf({QString(), text});
            const QString description = trimmedSpaces(typedUpTo(text, 50));
            const QChar bom(0xFEFF);
            if (code.isEmpty() || description.isEmpty() || codes.contains(code.toCaseFolded()) ||
                text.startsWith(bom) || code.startsWith(bom) || description.startsWith(bom))
                return false;
            codes.insert(code.toCaseFolded());
            return true;
        });
    }();
    return all;
}

// A text for failure messages: what does not print, and white space but the space, escaped.
QString shown(const QString& text) {
    QString out;
    for (const QChar c : text)
        out += c.isPrint() && c != u'\\' && (c == u' ' || !c.isSpace())
                   ? QString(c)
                   : QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QChar(u'0'));
    return u'"' + out + u'"';
}
#define CHECK_TEXT(input, what, actual, expected)                                                  \
    QVERIFY2((actual) == (expected),                                                               \
             qPrintable(QStringLiteral("%1, %2: %3, atteso %4")                                    \
                            .arg((input).name, what, shown(actual), shown(expected))))

// A user cannot type control characters, nor (in a box of many lines) the line separators
// that the box turns into line breaks; the host writes such texts instead.
bool typable(const QString& text, bool multiLine) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && !(multiLine && c == u'\n'))
            return false;
        if (multiLine && (c == QChar::LineSeparator || c == QChar::ParagraphSeparator))
            return false;
    }
    return true;
}

// Empties a field and puts `text` into it as a user does: key by key in a one-line box (a surrogate
// pair is one key), in one input-method commit in a box of many lines. Text that no keyboard
// gives is written by the host through the property `text`.
void enter(ctlIndici& editor, const char* name, const QString& text) {
    QWidget* field = editor.findChild<QWidget*>(QLatin1String(name));
    QWidget* keyboard = field->focusProxy();
    const bool multiLine = qobject_cast<QPlainTextEdit*>(keyboard);
    if (!field->property("text").toString().isEmpty()) {
        QTest::keyClick(keyboard, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keyboard, Qt::Key_Delete);
    }
    if (!typable(text, multiLine)) {
        field->setProperty("text", text);
    } else if (multiLine) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(keyboard, &commit);
    } else {
        for (const QString& key : keysOf(text))
            QTest::sendKeyEvent(QTest::Click, keyboard, Qt::Key_unknown, key, Qt::NoModifier);
    }
}

QString textOf(ctlIndici& editor, const char* name) {
    return editor.findChild<QWidget*>(QLatin1String(name))->property("text").toString();
}

// The description of the RuntimeError that `action` throws, "" when it throws none.
template <typename Action> QString failureOf(Action action) {
    return raisedBy(action).description();
}
const QString kUpdateFailed = QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n");

// One database with a hostile model code, the host's service and its documents folder.
struct Model {
    explicit Model(const QString& engine) : database(engine), service(database.db()) {
        database.exec("INSERT INTO KX06_MODELLI VALUES (?, 'Modello')", {kModel});
        database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                      "KX09_DESCRIZIONE) VALUES (?, 'A1', 'Seme')",
                      {kModel});
        service.setAppPath(folder.folder());
        QDir(folder.folder()).mkpath(documents());
    }
    void list(const QString& name) {
        database.exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {kModel, name});
    }
    QSqlRecord row(const QString& code) {
        QSqlQuery query(database.db());
        query.prepare("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06 = ? AND "
                      "KX09_CODICEINDICE = ?");
        query.addBindValue(kModel);
        query.addBindValue(code);
        return query.exec() && query.next() ? query.record() : QSqlRecord();
    }
    QString documents() const {
        return folder.folder() + u'/' + K7XBO_Global::CDocFields::instance().DocFolder();
    }
    std::unique_ptr<ctlIndici> editor() {
        auto editor = std::make_unique<ctlIndici>();
        editor->setCGlobal(&service);
        editor->setCodiceModello(kModel);
        editor->setCodiceIndice(QStringLiteral("A1"));
        editor->LoadIndice();
        return editor;
    }

    DocumentFixtures folder;
    TestDatabase database;
    K7XBO_Global::CGlobal service;
};

// One field of a saved index: what the user enters and what is stored and shown again.
struct FieldValue {
    const char* field;
    const char* column;
    QString entered;
    QString stored;
};

QList<FieldValue> fieldsOf(const Input& input, const QString& previousCode) {
    const QString& text = input.text;
    const QString voce = QStringLiteral("Voce(") + quoted(text) + u')';
    const QString indice = QStringLiteral("Indice(") + quoted(previousCode) + u')';
    // A host writes only what fits; typing goes on past the limit, and the box refuses it.
    const auto entered = [](const QString& text, int maximum) {
        return typable(text, false) ? text : typedUpTo(text, maximum);
    };
    return {
        {"txtCodice", "KX09_CODICEINDICE", entered(codeTyped(input), 10), codeOf(input)},
        {"txtDescrizione", "KX09_DESCRIZIONE", entered(text, 50),
         trimmedSpaces(typedUpTo(text, 50))},
        {"txtTesto", "KX09_TESTO", text, text},
        {"txtValoreScarso", "KX09_VALORESCARSO", "1", "1"},
        {"txtDescrizioneScarso", "KX09_DESCRIZIONESCARSO", text, text},
        {"txtValoreNormale", "KX09_VALORENORMALE", "2", "2"},
        {"txtDescrizioneNormale", "KX09_DESCRIZIONENORMALE", text, text},
        {"txtValoreBuono", "KX09_VALOREBUONO", "3", "3"},
        {"txtDescrizioneBuono", "KX09_DESCRIZIONEBUONO", text, text},
        {"txtFormulaCondizione", "KX09_FORMULACONDIZIONE", "  " + voce + ">0 ", voce + " > 0"},
        {"txtFormulaAllora", "KX09_FORMULAALLORA", indice + "*2", indice + " * 2"},
        {"txtFormulaAltrimenti", "KX09_FORMULAALTRIMENTI", voce, voce},
        {"txtFormulaSimbolica", "KX09_FORMULASIMBOLICA", text, text},
    };
}

enum Outcome { Refused, Skipped, Rewritten }; // of a listed document name

// What a rename does to the references of a document, as the formula fields and the
// reference syntax define it.
enum class InDocuments {
    Followed,    // the references follow the rename, and a later rename finds them again
    Unfindable,  // written, but a later rename cannot find them: the code holds the ")" that
                 // ends a reference, the marker that ends a field, or quotes that the field
                 // script turns into straight ones
    NotWritable, // a character that cannot stand in a paragraph: the update is refused
};
InDocuments inDocuments(const QString& code) {
    for (const QChar c : code) {
        if (c < u' ' && c != u'\t' && c != u'\v')
            return InDocuments::NotWritable;
    }
    const QString fieldEnd = K7XBO_Global::CDocFields::instance().FieldEnd();
    static const QRegularExpression unfindable(QStringLiteral("[)\u201C\u201D\u201E\u2033]"));
    return code.contains(unfindable) || code.contains(fieldEnd) ? InDocuments::Unfindable
                                                                : InDocuments::Followed;
}

// The story texts of a document.
QStringList storiesOf(const QString& path) {
    const auto document = Document::open(path);
    QStringList stories;
    for (int story = 0; story < document->storyCount(); ++story)
        stories << document->text(story, 0, document->storyLength(story));
    return stories;
}

// The stories with every reference to A1 inside a formula field written for `code`.
QStringList referencing(QStringList stories, const QString& code) {
    const auto& fields = K7XBO_Global::CDocFields::instance();
    static const QRegularExpression reference(QStringLiteral(R"(Indice\(\s*"A1"\s*\))"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QString written = QStringLiteral("Indice(") + quoted(code) + u')';
    for (QString& story : stories) {
        for (qsizetype start = story.indexOf(fields.FieldStart()); start >= 0;) {
            start += fields.FieldStart().size();
            const qsizetype end = story.indexOf(fields.FieldEnd(), start);
            if (end < 0)
                break;
            const QString field = story.mid(start, end - start).replace(reference, written);
            story.replace(start, end - start, field);
            start =
                story.indexOf(fields.FieldStart(), start + field.size() + fields.FieldEnd().size());
        }
    }
    return stories;
}

// The XML of every part that a strict reader accepts (a word processor refuses the rest).
bool wellFormed(const QString& path) {
    for (const PackageEntry& entry : packageEntries(path)) {
        if (!entry.name.endsWith(QLatin1String(".xml")))
            continue;
        QXmlStreamReader xml(entry.content);
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError())
            return false;
    }
    return true;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    // Each input becomes a new index, entered as a user does and saved through CanClose; the
    // stored row and a fresh component show each field as the form's rules say. The caption
    // shows code and description as plain text. A NUL is kept where the engine stores it and
    // refused with a clear message where it cannot.
    void savedIndicesReadBack_data() { TestDatabase::addEngineRows(); }
    void savedIndicesReadBack() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        const auto writer = model.editor();
        const auto reader = model.editor();
        const auto* caption = writer->findChild<QLabel*>(QStringLiteral("lblCaption"));
        QString previous = QStringLiteral("A1");
        for (const Input& input : inputs()) {
            const QList<FieldValue> fields = fieldsOf(input, previous);
            writer->ClickAddIndex();
            for (const FieldValue& value : fields)
                enter(*writer, value.field, value.entered);
            const QString shownCaption =
                QStringLiteral("Nuovo indice: ") + fields[0].stored + " - " + fields[1].stored;
            CHECK_TEXT(input, "didascalia", caption->text(), shownCaption);
            QLabel plain;
            plain.setTextFormat(Qt::PlainText);
            plain.setFont(caption->font());
            plain.setText(shownCaption);
            QVERIFY2(caption->sizeHint() == plain.sizeHint(), qPrintable(input.name));

            QString newIndex;
            BoxAnswerer boxes(writer.get(), {});
            QVERIFY2(writer->CanClose(newIndex), qPrintable(input.name));
            if (engine == QLatin1String("postgresql") && input.text.contains(QChar(0))) {
                QCOMPARE(boxes.seen.size(), 1);
                QVERIFY2(boxes.seen[0].shown.contains(QStringLiteral("carattere nullo")),
                         qPrintable(boxes.seen[0].shown));
                QVERIFY(model.row(codeOf(input)).isEmpty());
                continue;
            }
            QVERIFY2(boxes.seen.isEmpty(),
                     qPrintable(input.name + u' ' + boxes.seen.value(0).shown));
            CHECK_TEXT(input, "NewIndex", newIndex, codeOf(input));

            const QSqlRecord row = model.row(codeOf(input));
            reader->setCodiceIndice(codeOf(input));
            reader->LoadIndice();
            for (const FieldValue& value : fields) {
                CHECK_TEXT(input, value.column, row.value(value.column).toString(), value.stored);
                CHECK_TEXT(input, value.field, textOf(*reader, value.field), value.stored);
            }
            previous = codeOf(input);
        }
    }

    // A code that a row of the model holds is refused, spaces around it or not; one that
    // differs by a LIKE wildcard, a quote or the case of a letter is a code of its own. A
    // NUL in a code is refused with a clear message before any query.
    void duplicateCodes_data() { TestDatabase::addEngineRows(); }
    void duplicateCodes() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        QSet<QString> stored{QStringLiteral("A1")};
        for (const Input& input : inputs()) {
            model.database.exec("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, "
                                "KX09_CODICEINDICE) VALUES (?, ?)",
                                {kModel, codeOf(input)});
            stored << codeOf(input);
        }
        const auto editor = model.editor();
        editor->ClickAddIndex();
        enter(*editor, "txtDescrizione", QStringLiteral("Descrizione"));
        enter(*editor, "txtFormulaAllora", QStringLiteral("1"));
        const auto validate = [&](const QString& code) {
            editor->findChild<QWidget*>(QStringLiteral("txtCodice"))->setProperty("text", code);
            return Probe::validate(*editor);
        };
        const QString taken = QStringLiteral("Codice esistente.");
        for (const Input& input : inputs()) {
            const QString code = codeOf(input);
            CHECK_TEXT(input, "codice", validate(u' ' + code + u' '), taken);
            const QStringList keys = keysOf(code);
            const auto at = input.name.size() % keys.size();
            const QString& key = keys[at];
            const QString otherCase = key.toUpper() != key ? key.toUpper() : key.toLower();
            for (const QString& replacement : QStringList{"%", "_", "'", "\"", otherCase}) {
                QStringList changed = keys;
                changed[at] = replacement;
                const QString variant = trimmedSpaces(changed.join(QString()));
                if (variant == code)
                    continue;
                CHECK_TEXT(input, variant, validate(variant),
                           stored.contains(variant) ? taken : QString());
            }
            if (const QString withNul = trimmedSpaces(typedUpTo(input.text, 10));
                withNul.contains(QChar(0))) {
                const QString failure = failureOf([&] { validate(withNul); });
                QVERIFY2(failure.contains(QStringLiteral("carattere nullo")), qPrintable(failure));
            }
        }
    }
    // Renames run through the inputs' codes, and back to A1 at the end, on fixtures with fields
    // in every kind of story. The engine only lists the documents (for a hostile model code,
    // under hostile names), so the engines take the inputs in turn. After each rename the documents
    // hold exactly the references the rules give and stay well-formed XML; a code that a later
    // rename cannot find is written, found no more, and the documents are put back; a code that
    // cannot stand in a paragraph is refused and leaves the documents as they were.
    void renamesReachTheDocuments_data() { TestDatabase::addEngineRows(); }
    void renamesReachTheDocuments() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        QStringList paths;
        QList<QStringList> original;
        for (const auto& [fixture, name] :
             {std::pair{"awkward.docx", "Relazione 'annuale' 100%_;--.docx"},
              std::pair{"awkward.odt", "Nota \"2026\" 😀 àè {{x}}.odt"}}) {
            model.list(QString::fromUtf8(name));
            paths << model.folder.copy(QLatin1String(fixture),
                                       K7XBO_Global::CDocFields::instance().DocFolder() + u'/' +
                                           QString::fromUtf8(name));
            original << storiesOf(paths.last());
        }
        const auto editor = model.editor();
        const auto rename = [&](QString from, QString to) {
            return failureOf([&] { editor->UpdateDocFormulas(from, to); });
        };
        const auto holdReferencesTo = [&](const QString& code) {
            for (qsizetype i = 0; i < paths.size(); ++i) {
                if (storiesOf(paths[i]) != referencing(original[i], code) || !wellFormed(paths[i]))
                    return false;
            }
            return true;
        };
        const auto contents = [&paths] {
            QList<QByteArray> all;
            for (const QString& path : paths)
                all << bytesOf(path);
            return all;
        };
        QString current = QStringLiteral("A1");
        const auto turns = TestDatabase::engines().size();
        for (auto i = TestDatabase::engines().indexOf(engine); i < inputs().size(); i += turns) {
            const Input& input = inputs()[i];
            const QString code = codeOf(input);
            const QList<QByteArray> before = contents();
            switch (inDocuments(code)) {
            case InDocuments::NotWritable: {
                const QString failure = rename(current, code);
                QVERIFY2(failure.startsWith(kUpdateFailed), qPrintable(input.name + failure));
                QVERIFY2(contents() == before, qPrintable(input.name));
                break;
            }
            case InDocuments::Unfindable: {
                CHECK_TEXT(input, "aggiornamento", rename(current, code), QString());
                QVERIFY2(holdReferencesTo(code), qPrintable(input.name));
                const QList<QByteArray> written = contents();
                CHECK_TEXT(input, "ritorno", rename(code, current), QString());
                QVERIFY2(contents() == written, qPrintable(input.name));
                for (qsizetype k = 0; k < paths.size(); ++k) { // as before the rename
                    QFile file(paths[k]);
                    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before[k]) > 0);
                }
                break;
            }
            case InDocuments::Followed:
                CHECK_TEXT(input, "aggiornamento", rename(current, code), QString());
                QVERIFY2(holdReferencesTo(code), qPrintable(input.name));
                current = code;
                break;
            }
        }
        QCOMPARE(rename(current, QStringLiteral("A1")), QString());
        QVERIFY(holdReferencesTo(QStringLiteral("A1")));
    }

    // Listed names that are no plain file name of the documents folder (a path, even to a file
    // that is not there, a backslash, "..", a link to a file outside), hide a NUL, or are too long
    // for a file name: the update refuses the first ones with a clear error and skips the last (no
    // such file can exist), and no file outside the folder (nor inside) changes. A long name that
    // the folder can hold is a document like any other.
    void documentNamesStayInTheFolder_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("outcome");
        for (const QString& engine : TestDatabase::engines()) {
            const auto row = [&](const char* what, const QString& name, Outcome outcome) {
                QTest::addRow("%s %s", qPrintable(engine), what) << engine << name << int(outcome);
            };
            row("risale", QStringLiteral("a/../../fuori.docx"), Refused);
            row("sottocartella", QStringLiteral("sotto/dentro.docx"), Refused);
            row("barra inversa", QStringLiteral("..\\fuori.docx"), Refused);
            row("punto punto", QStringLiteral(".."), Refused);
            row("collegamento", QStringLiteral("collegamento.docx"), Refused);
            if (engine == QLatin1String("sqlite")) // PostgreSQL cannot hold such a name at all
                row("NUL", QStringLiteral("dentro.docx") + QChar(0) + QStringLiteral(".txt"),
                    Refused);
            row("troppo lungo", QString(250, u'\u00E9') + QStringLiteral(".docx"), Skipped);
            row("lungo", QString(250, u'x') + QStringLiteral(".docx"), Rewritten);
        }
    }
    void documentNamesStayInTheFolder() {
        QFETCH(QString, engine);
        QFETCH(QString, name);
        QFETCH(int, outcome);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Model model(engine);
        model.list(name);
        const QString folder = K7XBO_Global::CDocFields::instance().DocFolder() + u'/';
        QDir(model.documents()).mkpath(QStringLiteral("a"));
        const QString report = QStringLiteral("lo-report.docx");
        QFile::link(model.folder.copy(report, QStringLiteral("fuori.docx")),
                    model.documents() + QStringLiteral("/collegamento.docx"));
        model.folder.copy(report, folder + QStringLiteral("dentro.docx"));
        if (outcome == Rewritten)
            model.folder.copy(report, folder + name);
        const QString listed = model.documents() + u'/' + name;
        QMap<QString, QByteArray> files = snapshot(model.folder.folder());

        const auto editor = model.editor();
        QString from = QStringLiteral("A1");
        QString to = QStringLiteral("B2");
        const QString failure = failureOf([&] { editor->UpdateDocFormulas(from, to); });
        QVERIFY2(outcome == Refused
                     ? failure.startsWith(kUpdateFailed) &&
                           failure.endsWith(QStringLiteral("cartella dei documenti."))
                     : failure.isEmpty(),
                 qPrintable(failure));
        QMap<QString, QByteArray> after = snapshot(model.folder.folder());
        if (outcome == Rewritten) {
            QVERIFY(files.remove(listed) == 1 && after.remove(listed) == 1);
            QVERIFY(referencesIn(listed, QStringLiteral("B2")) > 0);
        }
        QCOMPARE(after, files);
    }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
