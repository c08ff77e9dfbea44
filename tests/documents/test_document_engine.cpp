// The document engine on real and hand-made .docx/.odt files: what it sees, what it writes.
#include "DocumentFixtures.h"
#include "documents/Document.h"
#include "support/Raised.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using K7X_DoruVevuzu::RuntimeError;
using K7X_DoruVevuzu::documents::Document;
using K7X_DoruVevuzu::documents::Range;

namespace {

const QStringList kFixtures = {QStringLiteral("awkward.docx"), QStringLiteral("awkward.odt"),
                               QStringLiteral("lo-report.docx"), QStringLiteral("lo-report.odt")};

// A story's text with its marks made readable: | paragraph end, # cell end, @ object,
// ^ note reference, \t tab, ~ line break.
QString readable(Document& document, int story) {
    QString text = document.text(story, 0, document.storyLength(story));
    for (const auto& [mark, shown] :
         {std::pair{u'\r', u'|'}, {u'\a', u'#'}, {u'\x01', u'@'}, {u'\x02', u'^'}, {u'\v', u'~'}})
        text.replace(QChar(mark), QChar(shown));
    return text.replace(u'\t', QStringLiteral("\\t"));
}

QString mainPartOf(const QString& fixture) {
    return fixture.endsWith(QStringLiteral(".odt")) ? QStringLiteral("content.xml")
                                                    : QStringLiteral("word/document.xml");
}

Range findIn(Document& document, int story, const QString& text) {
    const auto found = document.find(story, text, 0);
    if (!found)
        qFatal("'%s' not found", qPrintable(text));
    return *found;
}

} // namespace

class TestDocumentEngine : public QObject {
    Q_OBJECT
private slots:
    void storiesShowWhatAReaderSees_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("story");
        QTest::addColumn<QString>("expected");
        QTest::newRow("docx body") << "awkward.docx" << 0
                                   << "Diviso: {{Indice(\"A1\")}} fine|Vedi {{Indice(\"A1\")}}|"
                                      "Revisioni: {{Indice(\"A1\")}} {{Indice(\"A1\")}}|Campo: "
                                      "risultato commentato|{{Indice(\"A1\") }}|Casella@|Tab: "
                                      "{{Indice(\"A1\")\\t+ 1}}^^|Spazi esterni|#{{Indice(\"a1\")}}"
                                      "|#Altro: {{Indice(\"C3\")}} e {{}}.|";
        QTest::newRow("docx footnotes") << "awkward.docx" << 1 << "@|@|^ Nota {{Indice(\"A1\")}}|";
        QTest::newRow("docx comments") << "awkward.docx" << 3 << "Commento {{Indice(\"A1\")}}|";
        QTest::newRow("docx footer") << "awkward.docx" << 5 << "Pagina 1 {{Indice(\"A1\")}}|";
        QTest::newRow("docx text box") << "awkward.docx" << 6 << "Box {{Indice(\"A1\")}}|";
        QTest::newRow("odt body") << "awkward.odt" << 0
                                  << "Diviso: {{Indice(\"A1\")}} fine|Spazi {{Indice(\"A1\")}}  "
                                     "fine|Revisioni: {{Indice(\"A1\")}}|Vedi {{Indice(\"A1\")}}|"
                                     "Casella@|Commentato|Tab: {{Indice(\"A1\") +\\t1}}^|Data: "
                                     "{{Indice(\"A1\")}}|Cella|#{{Indice(\"a1\")}}|#Altro: "
                                     "{{Indice(\"C3\")}} e {{}}.|";
        QTest::newRow("odt footnotes") << "awkward.odt" << 1 << "Nota {{Indice(\"A1\")}}|";
        QTest::newRow("odt comments") << "awkward.odt" << 2 << "Commento {{Indice(\"A1\")}}|";
        QTest::newRow("odt header") << "awkward.odt" << 3 << "Testata {{Indice(\"A1\")}}|";
        QTest::newRow("odt text box") << "awkward.odt" << 5 << "Box {{Indice(\"A1\")}}|";
        QTest::newRow("word processor docx footer")
            << "lo-report.docx" << 3 << "Piede {{Indice(\"C3\")}} e {{Indice(\"A1\") / 100}}|";
        QTest::newRow("word processor odt body")
            << "lo-report.odt" << 0
            << "Rapporto di prova|Margine: {{Indice(\"A1\") * 2}} euro.|Altro indice: "
               "{{Indice(\"C3\")}} resta.|In grassetto: {{Indice(\"A1\") + 1}} fine.|Vicini: "
               "{{Indice(\"A1\")}}{{Indice(\"A1\")}}|Vuoto: {{}} poi {{Indice(\"A1\")}}|Nota^ "
               "qui.|Cella|#{{Indice(\"A1\") - Indice(\"C3\")}}|#Fine.|";
    }
    void storiesShowWhatAReaderSees() {
        QFETCH(QString, fixture);
        QFETCH(int, story);
        QFETCH(QString, expected);
        DocumentFixtures fixtures;
        const auto document = Document::open(fixtures.copy(fixture));
        QCOMPARE(readable(*document, story), expected);
    }

    void findNeverWrapsNorSeesHiddenText() {
        DocumentFixtures fixtures;
        const auto document = Document::open(fixtures.copy(QStringLiteral("awkward.docx")));
        const Range last = findIn(*document, 0, QStringLiteral("{{}}"));
        QVERIFY(!document->find(0, QStringLiteral("{{"), last.end));
        QCOMPARE(document->find(0, QStringLiteral("Diviso"), 1), std::nullopt);
        QVERIFY(!document->find(0, QStringLiteral("MERGEFIELD"), 0)); // field instructions
        QVERIFY(!document->find(0, QStringLiteral("ZZ"), 0));         // deleted text
    }

    // Every fixture, every kind of text: the replacement reads back exactly after saving.
    void replacementReadsBackAfterSaving_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("replacement");
        for (const QString& fixture : kFixtures) {
            for (const auto& [name, text] : {std::pair{"reference", "Indice(\"NUOVO_CODICE\")"},
                                             {"outer spaces", "  spazi  "},
                                             {"inner spaces", "a   b"},
                                             {"tab and line break", "x\ty\vz"},
                                             {"nothing", ""}})
                QTest::addRow("%s %s", qPrintable(fixture), name) << fixture << text;
        }
    }
    void replacementReadsBackAfterSaving() {
        QFETCH(QString, fixture);
        QFETCH(QString, replacement);
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture);
        QString expected;
        {
            const auto document = Document::open(path);
            const Range field = findIn(*document, 0, QStringLiteral("Indice(\"A1\")"));
            expected = document->text(0, 0, document->storyLength(0));
            expected.replace(field.start, field.end - field.start, replacement);
            document->replace(0, field.start, field.end, replacement);
            QCOMPARE(document->text(0, 0, document->storyLength(0)), expected);
            QVERIFY(document->changed());
            document->close(true);
        }
        const auto reread = Document::open(path);
        QCOMPARE(reread->text(0, 0, reread->storyLength(0)), expected);
    }

    void newTextTakesTheFirstRunsFormatting_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("expectedXml");
        QTest::newRow("docx") << "awkward.docx"
                              << "<w:rPr><w:b/></w:rPr><w:t>Indice(\"B2\")}} fine</w:t></w:r>"
                                 "<w:proofErr w:type=\"spellStart\"/><w:r><w:rPr><w:i/></w:rPr>"
                                 "</w:r><w:bookmarkStart";
        QTest::newRow("odt") << "awkward.odt"
                             << "{{<text:span text:style-name=\"T1\">Indice(\"B2\")}} "
                                "fine</text:span><text:bookmark text:name=\"segno\"/></text:p>";
    }
    void newTextTakesTheFirstRunsFormatting() {
        QFETCH(QString, fixture);
        QFETCH(QString, expectedXml);
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture);
        const auto document = Document::open(path);
        const Range range = findIn(*document, 0, QStringLiteral("Ind"));
        document->replace(0, range.start, range.end + 16, QStringLiteral("Indice(\"B2\")}} fine"));
        document->close(true);
        const QByteArray xml = packagePart(path, mainPartOf(fixture));
        const qsizetype at = xml.indexOf(expectedXml.left(12).toUtf8());
        QCOMPARE(QString::fromUtf8(xml.mid(at, expectedXml.toUtf8().size())), expectedXml);
    }

    // A change in one story: the other parts keep their bytes and no file is left behind; the
    // copies of a text box (the drawing and its fallback) change alike.
    void untouchedPartsKeepTheirBytes_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("story");
        for (const QString& fixture : kFixtures)
            QTest::newRow(qPrintable(fixture)) << fixture << 0;
        QTest::newRow("awkward.docx text box") << QStringLiteral("awkward.docx") << 6;
    }
    void untouchedPartsKeepTheirBytes() {
        QFETCH(QString, fixture);
        QFETCH(int, story);
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture);
        const auto before = packageEntries(path);
        const auto document = Document::open(path);
        const Range range = findIn(*document, story, QStringLiteral("A1"));
        document->replace(story, range.start, range.end, QStringLiteral("B2"));
        document->close(true);
        const auto after = packageEntries(path);
        QCOMPARE(after.size(), before.size());
        for (qsizetype i = 0; i < after.size(); ++i) {
            QCOMPARE(after[i].name, before[i].name);
            if (after[i].name == mainPartOf(fixture))
                continue;
            QCOMPARE(after[i].method, before[i].method);
            QCOMPARE(after[i].compressed, before[i].compressed);
        }
        if (fixture.endsWith(QStringLiteral(".odt"))) {
            QCOMPARE(after.first().name, QStringLiteral("mimetype"));
            QCOMPARE(after.first().method, 0); // stored
        }
        QCOMPARE(QDir(fixtures.folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        if (story == 6) {
            const QByteArray xml = packagePart(path, QStringLiteral("word/document.xml"));
            QCOMPARE(xml.count("Box {{Indice(\"B2\")}}"), 2);
            QCOMPARE(xml.count("Box {{Indice(\"A1\")}}"), 0);
        }
    }

    void rangesThatWouldBreakTheDocumentAreRefused_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("through");
        QTest::addColumn<QString>("why");
        const auto row = [](const char* name, const char* fixture, const char* from,
                            const char* through, const char* why) {
            QTest::newRow(name) << fixture << from << through << why;
        };
        row("docx paragraph end", "awkward.docx", "fine", "Vedi", "paragrafo");
        row("docx table cell", "awkward.docx", "esterni", "{{Indice(\"a1", "cella");
        row("docx picture", "awkward.docx", "Casella", "Casella\x01", "oggetto");
        row("docx field result", "awkward.docx", "Campo", "risultato", "campo");
        row("docx tracked insertion", "awkward.docx", "A1\")}} {{", "{{Indice", "revisione");
        row("odt note", "awkward.odt", "1}}", "1}}\x02", "oggetto");
        row("odt date field", "awkward.odt", "Data", "Data: {{", "campo");
    }
    void rangesThatWouldBreakTheDocumentAreRefused() {
        QFETCH(QString, fixture);
        QFETCH(QString, from);
        QFETCH(QString, through);
        QFETCH(QString, why);
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture);
        const auto document = Document::open(path);
        const QString before = document->text(0, 0, document->storyLength(0));
        const int start = findIn(*document, 0, from).start;
        const int end = document->find(0, through, start)->end;
        const QString refused =
            raisedBy([&] { document->replace(0, start, end, QStringLiteral("x")); }).description();
        QVERIFY2(refused.contains(why), qPrintable(refused));
        QVERIFY(refused.contains(QFileInfo(path).fileName()));
        QCOMPARE(document->text(0, 0, document->storyLength(0)), before);
        QVERIFY(!document->changed());
    }

    void documentsHeldElsewhereAreReadOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ownerFile"); // empty: the file loses its write permission
        QTest::addColumn<bool>("readOnly");
        const auto row = [](const char* name, const char* document, const char* ownerFile,
                            bool readOnly) {
            QTest::newRow(name) << document << ownerFile << readOnly;
        };
        row("free", "rapporto.docx", "libero.txt", false);
        row("no write permission", "rapporto.docx", "", true);
        row("short owner file", "a.docx", "~$a.docx", true);
        row("long owner file", "rapporto.docx", "~$pporto.docx", true);
        row("prefixed owner file", "rapporto.docx", "~$rapporto.docx", true);
        row("lock file", "rapporto.odt", ".~lock.rapporto.odt#", true);
    }
    void documentsHeldElsewhereAreReadOnly() {
        QFETCH(QString, name);
        QFETCH(QString, ownerFile);
        QFETCH(bool, readOnly);
        DocumentFixtures fixtures;
        const QString path =
            fixtures.copy(name.endsWith(QStringLiteral(".odt")) ? QStringLiteral("awkward.odt")
                                                                : QStringLiteral("awkward.docx"),
                          name);
        if (ownerFile.isEmpty())
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        else
            QFile(QDir(fixtures.folder()).filePath(ownerFile)).open(QIODevice::WriteOnly);
        QCOMPARE(Document::open(path)->readOnly(), readOnly);
    }

    void saveKeepsPermissions() {
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(QStringLiteral("lo-report.odt"));
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QFile::setPermissions(path, permissions);
        const auto document = Document::open(path);
        document->replace(0, 0, 1, QStringLiteral("r"));
        document->save();
        QVERIFY(!document->changed());
        QCOMPARE(QFile::permissions(path) & 0x7077, permissions); // without the "user" bits
    }

    void damagedFilesEndInAClearError_data() {
        QTest::addColumn<QByteArray>("mainPart"); // empty: the file is not a package at all
        QTest::addColumn<QString>("why");
        QTest::newRow("not a zip") << QByteArray() << "non è un archivio zip valido";
        QTest::newRow("main part missing") << QByteArray("-") << "manca la parte principale";
        QTest::newRow("malformed XML") << QByteArray("<w:document><w:body>") << "non è XML valido";
        QTest::newRow("part too large")
            << QByteArray(300 << 20, ' ').prepend("<w:document>") << "supera il limite";
    }
    void damagedFilesEndInAClearError() {
        QFETCH(QByteArray, mainPart);
        QFETCH(QString, why);
        DocumentFixtures fixtures;
        const QString path = QDir(fixtures.folder()).filePath(QStringLiteral("rotto.docx"));
        const QString part = mainPart == "-" ? QStringLiteral("word/altro.xml")
                                             : QStringLiteral("word/document.xml");
        if (mainPart.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("testo qualunque");
        } else {
            writePackage(path,
                         {{QStringLiteral("[Content_Types].xml"), "<Types/>"}, {part, mainPart}});
        }
        const QString failure = raisedBy([&] { Document::open(path)->storyCount(); }).description();
        QVERIFY2(
            failure.startsWith(QStringLiteral("Impossibile aprire il documento 'rotto.docx'")) &&
                failure.contains(why),
            qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestDocumentEngine)
#include "test_document_engine.moc"
