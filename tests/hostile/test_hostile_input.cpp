// Hostile codes and texts through the component as a host and a user drive it, on both engines:
// typed into the form, saved, read back, tested as duplicates, carried into report documents by
// renames; and document names that try to leave the documents folder.
#include "documents/HostileDocuments.h"
#include "faults/Checks.h"

#include <QtWidgets>

#include <random>

#include <sys/stat.h>

using namespace std::literals;

namespace {

const QString kUpdateFailed = QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n");

// A hostile document, made by the generator under its name: refused for the limit it passes, or
// read whole (no limit), showing `shown` references with its last story named `lastStory`.
struct Hostile {
    const char* name;
    std::function<void(const QString&)> make;
    const char* limit;
    int shown = 0;
    const char* lastStory = "";
};
const Hostile kHostile[] = {
    {"parte.docx", [](auto& path) { hostile::emptyParagraphs(path, 65 << 20); }, "64 MiB"},
    {"bomba.docx", [](auto& path) { hostile::emptyParagraphs(path, 8 << 20); }, "1000000 nodi"},
    {"spazi.odt", [](auto& path) { hostile::spaceRuns(path, 4000); }, "troppo lungo"},
    {"parti.docx", [](auto& path) { hostile::manyHeaders(path, 25, (4 << 20) - 99); }, "96 MiB"},
    // 4.5 MB at 290:1: repetitive, well made, read
    {"caselle.docx", [](auto& path) { hostile::textBoxes(path, 30000); }, "", 30000,
     "text box 30000"},
    {"blocchi annidati.docx", [](auto& path) { hostile::nestedAlternatives(path, 48000); },
     "512 livelli"},
    {"caselle annidate.docx", [](auto& path) { hostile::nestedTextBoxes(path, 120000); },
     "512 livelli"},
    {"campi aperti.docx", [](auto& path) { hostile::openFields(path, 160000); }, "", 0, "body"},
    {"alterata.docx", // one bit of the main part's deflated bytes changed on disk
     [](auto& path) {
         writeDocument(path, "<w:p><w:r><w:t>Indice A1 vale " +
                                 QByteArray("0123456789").repeated(50) + "</w:t></w:r></w:p>");
         QByteArray bytes = bytesOf(path);
         const QByteArray deflated = packageEntries(path).last().compressed;
         bytes[bytes.indexOf(deflated) + deflated.size() / 2] ^= 0x10;
         writeFile(path, bytes);
     },
     "è danneggiata"}};

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
    return text.remove(QRegularExpression("^ +| +\\z"));
}
QString codeOf(const QString& text) {
    return trimmed(typedUpTo(QString(text).remove(u'\0'), 10));
}

// The inputs (name, text): one to four pieces drawn from a fixed seed, each with a code of its
// own (not A1 nor ALTRO) and no value starting with U+FEFF (a driver takes it for a BOM there).
QList<std::pair<QString, QString>> inputs() {
    // The pieces, between bars: what breaks SQL, LIKE, formulas, fields, XML and Unicode.
    const auto pieces =
        QStringView(
            u"'|\"|''|\\|\\'|%|_|%_%|;|--|/*|'; DROP TABLE KX09_INDICE; --|"
            u"' OR '1'='1|)|(|Indice(\"A1\")|{{|}}|<w:t>&amp;]]>|<b>x</b>|"
            u"àèéìòù|ß|指標|😀|🇮🇹|👨‍👩‍👧|مؤشر|מדד|\u202E|"
            u"e\u0301|\u200B|\uFEFF|\u00A0|\u2028|\u201Cx\u201D|\t|\r|\n|\r\n|\v|\0|"
            u"\x01\x1f|\x7f|  | |AB|07|Margine operativo lordo su ricavi"sv)
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
}

// Whether a keyboard gives the text: no control character, and in a box of many lines no line
// separator (the box turns it into a line break) and the line feed.
bool typable(const QString& text, bool multiLine) {
    return !text.contains(QRegularExpression(multiLine
                                                 ? "[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f\u2028\u2029]"
                                                 : "[\\x00-\\x1f\\x7f-\\x9f]"));
}
// What a one-line box of `maximum` characters holds: all typed, or what a host writes fits.
QString fits(const QString& text, int most) {
    return typable(text, false) ? text : typedUpTo(text, most);
}
// Enters `text` as a user does: key by key in a one-line box, in one input-method commit in a
// box of many lines; as the host does when no keyboard gives it.
void enter(TestHost& host, const QString& name, const QString& text) {
    QWidget* keyboard = host.keyboard(name);
    const bool multiLine = qobject_cast<QPlainTextEdit*>(keyboard);
    if (!host.text(name).isEmpty()) { // emptied first, as a user does
        QTest::keyClick(keyboard, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keyboard, Qt::Key_Delete);
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    if (!typable(text, multiLine))
        host.set(name, text);
    else if (multiLine)
        QApplication::sendEvent(keyboard, &commit);
    else
        for (const QString& key : keysOf(text))
            QTest::sendKeyEvent(QTest::Click, keyboard, Qt::Key_unknown, key, Qt::NoModifier);
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    // Each input, entered by a user on a hostile model and saved by CanClose, shows in the caption
    // (plain text), the row and another component, or is refused clearly (NUL on PostgreSQL);
    // renames carry the codes into documents under hostile names, refusing what a paragraph cannot
    // hold; names that lead out of the folder are refused, one too long is skipped.
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
            return fixture.isEmpty()
                       ? QString()
                       : files.copy(fixture, folder + QString(name).replace('\\', '/'));
        };
        const QStringList paths{list("Relazione 'annuale' 100%_;--.docx", "awkward.docx"),
                                list("Nota \"2026\" 😀 àè {{x}}.odt", "awkward.odt")};
        const QList<QStringList> original{storiesOf(paths[0]), storiesOf(paths[1])};
        const auto contents = [&] {
            return QList<QByteArray>{bytesOf(paths[0]), bytesOf(paths[1])};
        };
        const auto rename = [&](QString from, QString to) {
            return raisedBy([&] { host.editor->UpdateDocFormulas(from, to); }).description();
        };
        ctlIndici reader;
        for (ctlIndici* component : {host.editor, &reader}) {
            component->setCGlobal(&host.service);
            component->setCodiceModello(model);
            component->setCodiceIndice(QStringLiteral("A1"));
            component->LoadIndice();
        }
        const auto* caption = host.child<QLabel>("lblCaption");
        QString previous = QStringLiteral("A1"), renamed = previous;
        int i = 0;
        for (const auto& [name, text] : inputs()) {
            // Each field as entered and as then stored and shown; a formula names the last code.
            const QString code = codeOf(text), voce = "Voce(" + checks::quoted(text) + u')',
                          indice = "Indice(" + checks::quoted(previous) + u')';
            QVariantMap entered{{"txtCodice", fits(QString(text).remove(QChar(0)), 10)},
                                {"txtDescrizione", fits(text, 50)},
                                {"txtFormulaCondizione", "  " + voce + ">0 "},
                                {"txtFormulaAllora", indice + "*2"}};
            for (const char* field : {"txtTesto", "txtDescrizioneScarso", "txtDescrizioneNormale",
                                      "txtDescrizioneBuono", "txtFormulaSimbolica"})
                entered[field] = text;
            entered.insert({{"txtFormulaAltrimenti", voce},
                            {"txtValoreScarso", "1"},
                            {"txtValoreNormale", "2"},
                            {"txtValoreBuono", "3"}});
            QVariantMap expected = entered;
            expected.insert({{"txtCodice", code},
                             {"txtDescrizione", trimmed(typedUpTo(text, 50))},
                             {"txtFormulaCondizione", voce + " > 0"},
                             {"txtFormulaAllora", indice + " * 2"}});
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
            const bool refused = engine == u"postgresql" && text.contains(QChar(0)); // no NUL there
            const QStringList texts = boxes.texts();
            QVERIFY2(refused ? texts.size() == 1 && texts[0].contains("carattere nullo")
                             : texts.isEmpty() && newIndex == code,
                     qPrintable(name + texts.join(u'|') + newIndex));
            QCOMPARE(name + checks::storedIn(host.database.db(), model, code, expected.keys()),
                     name + (refused ? "{}" : checks::json(expected)));
            if (!refused) {
                reader.setCodiceIndice(code);
                reader.LoadIndice();
                QCOMPARE(name + checks::shownBy(&reader, expected.keys()),
                         name + checks::json(expected));
                previous = code;
            }

            if ((i++ % 2 == 0) != (engine == u"sqlite")) // the engines take the renames in turn
                continue;
            const QList<QByteArray> before = contents();
            const QString failure = rename(renamed, code);
            if (code.contains(QRegularExpression("[\\x00-\\x08\\x0a\\x0c-\\x1f]"))) {
                QVERIFY2(failure.startsWith(kUpdateFailed) && contents() == before,
                         qPrintable(name + failure));
                continue;
            }
            QVERIFY2(failure.isEmpty() && checks::renamedIn(paths, original, "A1", code) == 2,
                     qPrintable(name + failure));
            if (!code.contains(QRegularExpression("[)\u201C\u201D\u201E\u2033]")) &&
                !code.contains(K7XBO_Global::CDocFields::instance().FieldEnd())) {
                renamed = code;
                continue;
            }
            const QList<QByteArray> written = contents(); // a rename back finds no more
            QVERIFY2(rename(code, renamed).isEmpty() && contents() == written, qPrintable(name));
            for (qsizetype k = 0; k < paths.size(); ++k) // put back as before the rename
                writeFile(paths[k], before[k]);
        }

        QFile::link(files.copy("lo-report.docx", "fuori.docx"),
                    files.folder() + u'/' + folder + "collegamento.docx");
        files.copy("lo-report.docx", folder + "dentro.docx");
        ::mkfifo(QFile::encodeName(files.folder() + u'/' + folder + "pipa.docx"), 0666);
        QDir(files.folder()).mkpath(folder + "sotto");
        for (const QString& name : // leading out of the folder; too long (skipped); followed
             QStringList{"a/../../fuori.docx", "sotto\\dentro.docx", "..\\fuori.docx", "..",
                         "collegamento.docx", "pipa.docx", QStringLiteral("dentro.docx\0.txt"),
                         QString(250, u'é') + ".docx", QString(250, u'x') + ".docx"}) {
            if (engine == u"postgresql" && name.contains(QChar(0)))
                continue; // PostgreSQL cannot hold it
            host.database.exec("DELETE FROM KX20_RELAZIONI");
            const bool followed = name.startsWith(u'x') || name.startsWith(u's');
            const QString listed = list(name, followed ? "lo-report.docx" : "");
            QMap<QString, QByteArray> before = snapshot(files.folder());
            const QString failure = rename("A1", "B2");
            QVERIFY2(name.size() < 250 && !followed
                         ? failure.startsWith(kUpdateFailed) &&
                               failure.endsWith("cartella dei documenti.")
                         : failure.isEmpty(),
                     qPrintable(name + failure));
            QMap<QString, QByteArray> after = snapshot(files.folder());
            QVERIFY(listed.isEmpty() || (before.remove(listed) == 1 && after.remove(listed) == 1 &&
                                         referencesIn(listed, "B2") > 0));
            QCOMPARE(after, before);
        }
    }

    // Hostile documents, read whole as the usage reads them, each within CTL_HOSTILE_SECONDS:
    // refused with a message naming it and the limit it passes, or showing every reference.
    void hostileDocuments_data() { TestDatabase::addRows(kHostile); }
    void hostileDocuments() {
        QFETCH(int, entry);
        const Hostile& row = kHostile[entry];
        const QTemporaryDir folder;
        const QString path = folder.filePath(row.name);
        row.make(path);
        int shown = 0;
        QStringList names;
        const QDeadlineTimer deadline(CTL_HOSTILE_SECONDS * 1000);
        const QString refused =
            raisedBy([&] {
                shown = int(storiesOf(path, &names).join(u'\n').count(R"(Indice("A1"))"));
            }).description();
        QVERIFY2(!deadline.hasExpired(), qPrintable(refused));
        QVERIFY2(
            refused.startsWith(QString("Impossibile aprire il documento '%1'").arg(row.name)) ==
                    bool(*row.limit) &&
                refused.contains(row.limit),
            qPrintable(refused));
        QCOMPARE(shown, row.shown);
        QCOMPARE(names.isEmpty() ? QString() : names.last(), QString(row.lastStory));
    }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
