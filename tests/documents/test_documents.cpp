// The documents subsystem: the engine on real and hand-made .docx/.odt files (what a reader
// sees, what is written, what is refused and why), the batch that puts new files in place, and
// UpdateDocFormulas as a host drives it over a model's report documents.
#include "DocumentFixtures.h"
#include "documents/Document.h"
#include "documents/DocumentError.h"
#include "documents/SaveBatch.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

using namespace K7X_DoruVevuzu;
using namespace K7X_DoruVevuzu::documents;

namespace {

QString whole(Document& document, int story) {
    return document.text(story, 0, document.storyLength(story));
}

// A story's text with its marks made readable: | paragraph end, # cell end, @ object, ^ note
// reference, \t tab, ~ line break.
QString readable(QString text) {
    for (const auto& [mark, shown] :
         {std::pair{u'\r', u'|'}, {u'\a', u'#'}, {u'\x01', u'@'}, {u'\x02', u'^'}, {u'\v', u'~'}})
        text.replace(QChar(mark), QChar(shown));
    return text.replace(u'\t', QStringLiteral("\\t"));
}

// `target`'s first occurrence in a story replaced; the main part then holds `xml` `copies` times.
struct Edit {
    int story;
    QString target, replacement;
    QByteArray xml = {};
    int copies = 0;
};
// A fixture: its stories as a reader sees them, one a line; edits besides its first reference
// replaced by each kind of text; ranges it refuses (from the first `from` through the next
// `through`) and why.
struct Fixture {
    const char* name;
    QString stories;
    std::vector<Edit> edits = {};
    std::vector<std::array<const char*, 3>> refusals = {};
};
const QString kReportBody =
    R"(Rapporto di prova|Margine: {{Indice("A1") * 2}} euro.|Altro indice: {{Indice("C3")}} )"
    R"(resta.|In grassetto: {{Indice("A1") + 1}} fine.|Vicini: {{Indice("A1")}}{{Indice("A1")}}|)"
    R"(Vuoto: {{}} poi {{Indice("A1")}}|Nota^ qui.|Cella|#{{Indice("A1") - Indice("C3")}}|#Fine.|)";
const QString kReportEnd = R"(Fonte {{Indice("A1")}}|
Intestazione {{Indice("A1")}}|
Piede {{Indice("C3")}} e {{Indice("A1") / 100}}|)";
const QString kFirstField = R"(Indice("A1")}} fine)", kNewField = R"(Indice("B2")}} fine)";
const Fixture kFixtures[] = {
    {"awkward.docx",
     R"(Diviso: {{Indice("A1")}} fine|Vedi {{Indice("A1")}}|Revisioni: {{Indice("A1")}} )"
     R"({{Indice("A1")}}|Campo: risultato commentato|{{Indice("A1") }}|Casella@|Tab: )"
     R"({{Indice("A1")\t+ 1}}^^|Spazi esterni|#{{Indice("a1")}}|#Altro: {{Indice("C3")}} e {{}}.|
@|@|^ Nota {{Indice("A1")}}|
@|@|^ Chiusa {{Indice("A1")}}|
Commento {{Indice("A1")}}|
Testata {{Indice("A1")}}|
Pagina 1 {{Indice("A1")}}|
Box {{Indice("A1")}}|)",
     {{0, kFirstField, kNewField,
       R"(<w:rPr><w:b/></w:rPr><w:t>Indice("B2")}} fine</w:t></w:r><w:proofErr )"
       R"(w:type="spellStart"/><w:r><w:rPr><w:i/></w:rPr></w:r><w:bookmarkStart)",
       1},
      {6, "A1", "B2", R"(Box {{Indice("B2")}})", 2}}, // both copies of the text box
     {{"fine", "Vedi", "paragrafo"},
      {"esterni", "{{Indice(\"a1", "cella"},
      {"Casella", "Casella\x01", "oggetto"},
      {"Campo", "risultato", "campo"},
      {"A1\")}} {{", "{{Indice", "revisione"}}},
    {"awkward.odt",
     R"(Diviso: {{Indice("A1")}} fine|Spazi {{Indice("A1")}}  fine|Revisioni: {{Indice("A1")}}|)"
     R"(Vedi {{Indice("A1")}}|Casella@|Commentato|Tab: {{Indice("A1") +\t1}}^|Data: )"
     R"({{Indice("A1")}}|Cella|#{{Indice("a1")}}|#Altro: {{Indice("C3")}} e {{}}.|
Nota {{Indice("A1")}}|
Commento {{Indice("A1")}}|
Testata {{Indice("A1")}}|
Piede {{Indice("C3")}}|
Box {{Indice("A1")}}|)",
     {{0, kFirstField, kNewField,
       R"({{<text:span text:style-name="T1">Indice("B2")}} fine</text:span><text:bookmark )"
       R"(text:name="segno"/></text:p>)",
       1},
      {0, R"(Indice("A1")}})", "x "}}, // a space written before one that follows
     {{"1}}", "1}}\x02", "oggetto"}, {"Data", "Data: {{", "campo"}}},
    {"lo-report.docx", kReportBody + "\n@|@|^\\t" + kReportEnd},
    {"lo-report.odt", kReportBody + '\n' + kReportEnd}};

// A host of the component: one model with its documents folder. Its application object
// answers slowly, so that an update lasts, and notes what the progress window says meanwhile.
struct Host : DocumentFixtures, TestDatabase, K7XBO_Global::CGlobal {
    Host() : TestDatabase("sqlite"), CGlobal(db()) {
        exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('MOD1')");
        setAppPath(folder());
        QDir(folder()).mkdir(K7XBO_Global::CDocFields::instance().DocFolder());
        editor.setCGlobal(this);
        editor.setCodiceModello("MOD1");
    }
    QObject* HostApp() override {
        QThread::msleep(120);
        if (const auto* progress = editor.findChild<QProgressDialog*>();
            progress && progress->isVisible())
            labels << progress->labelText() + u' ' +
                          QString::number(progress->findChildren<QPushButton*>().size());
        return CGlobal::HostApp();
    }
    // Lists a document for the model, a copy of `fixture` or, given a body, a hand-made one.
    QString add(const QString& name, const QString& fixture = "", const QByteArray& body = {}) {
        exec("INSERT INTO KX20_RELAZIONI VALUES ('MOD1', ?)", {name});
        if (fixture.isEmpty())
            return {};
        const QString path =
            copy(fixture, K7XBO_Global::CDocFields::instance().DocFolder() + u'/' + name);
        if (!body.isEmpty())
            writeDocument(path, body);
        return path;
    }
    // The failure of an update from A1 to `newCode`, number 0 when it succeeds.
    RuntimeError update(QString newCode) {
        QString oldCode = "A1";
        return raisedBy([&] { QVERIFY(editor.UpdateDocFormulas(oldCode, newCode)); });
    }
    ctlIndici editor;
    QStringList labels;
};

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    // Every story as a reader sees it; find agrees with the text from any start, never wrapping
    // around and never seeing field instructions or deleted text. A refused range leaves the
    // text and the changed flag as they were; the message says why and names the file. An edit
    // reads back before and after saving; the new text takes the formatting of the range's first
    // run; the other parts keep their bytes and place (an .odt's mimetype first and stored) and
    // no file is left behind.
    void fixturesReadEditAndSave_data() {
        QTest::addColumn<int>("entry");
        for (int i = 0; i < int(std::size(kFixtures)); ++i)
            QTest::newRow(kFixtures[i].name) << i;
    }
    void fixturesReadEditAndSave() {
        QFETCH(int, entry);
        const Fixture& fixture = kFixtures[entry];
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture.name);
        const QString mainPart = path.endsWith(".odt") ? "content.xml" : "word/document.xml";
        const auto before = packageEntries(path);
        {
            const auto document = Document::open(path);
            QStringList stories;
            for (int story = 0; story < document->storyCount(); ++story) {
                const QString text = whole(*document, story);
                stories << readable(text);
                for (const QString needle : {"{{", "Diviso", "MERGEFIELD", "ZZ"})
                    for (const int from : {0, 1, int(text.lastIndexOf(needle)) + 1})
                        QCOMPARE(document->find(story, needle, from).value_or(Range{-1, -1}).start,
                                 int(text.indexOf(needle, from)));
            }
            QCOMPARE(stories.join(u'\n'), fixture.stories);
            for (const auto& [from, through, why] : fixture.refusals) {
                const int start = document->find(0, from, 0).value().start;
                const int end = document->find(0, through, start).value().end;
                const QString refused =
                    raisedBy([&] { document->replace(0, start, end, "x"); }).description();
                QVERIFY2(refused.contains(why) && refused.contains(fixture.name),
                         qPrintable(refused));
                QCOMPARE(readable(whole(*document, 0)), stories.first());
            }
            QVERIFY(!document->changed());
        }
        std::vector<Edit> edits = fixture.edits;
        for (const char* text : {R"(Indice("NUOVO_CODICE"))", "  spazi  ", "a   b", "x\ty\vz", ""})
            edits.push_back({0, R"(Indice("A1"))", text});
        for (const Edit& edit : edits) {
            fixtures.copy(fixture.name);
            const auto document = Document::open(path);
            const Range range = document->find(edit.story, edit.target, 0).value();
            const QString expected =
                whole(*document, edit.story)
                    .replace(range.start, range.end - range.start, edit.replacement);
            document->replace(edit.story, range.start, range.end, edit.replacement);
            QVERIFY(whole(*document, edit.story) == expected && document->changed());
            document->close(true);
            QCOMPARE(whole(*Document::open(path), edit.story), expected);
            const auto after = packageEntries(path);
            QCOMPARE(after.size(), before.size());
            for (qsizetype i = 0; i < after.size(); ++i)
                QVERIFY(after[i].name == before[i].name &&
                        (after[i].name == mainPart
                             ? edit.xml.isEmpty() || after[i].content.count(edit.xml) == edit.copies
                             : after[i].compressed == before[i].compressed));
            QCOMPARE(QDir(fixtures.folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    // A document another program holds (an owner or lock file beside it, or no write permission)
    // is read-only and an edit is not saved; a free one is saved and no longer changed.
    void documentsHeldElsewhereAreReadOnly_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("ownerFile"); // "": the file loses its write permission
        for (const auto& [document, owner] : {std::pair{"rapporto.docx", "libero.txt"},
                                              {"rapporto.docx", ""},
                                              {"a.docx", "~$a.docx"},
                                              {"rapporto.docx", "~$pporto.docx"},
                                              {"rapporto.docx", "~$rapporto.docx"},
                                              {"rapporto.odt", ".~lock.rapporto.odt#"}})
            QTest::newRow(*owner ? owner : "no write permission")
                << QString(document) << QString(owner);
    }
    void documentsHeldElsewhereAreReadOnly() {
        QFETCH(QString, document);
        QFETCH(QString, ownerFile);
        const bool held = ownerFile != "libero.txt";
        DocumentFixtures fixtures;
        const QString path = fixtures.copy("awkward." + QFileInfo(document).suffix(), document);
        if (!ownerFile.isEmpty())
            QFile(QDir(fixtures.folder()).filePath(ownerFile)).open(QIODevice::WriteOnly);
        else
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const auto opened = Document::open(path);
        QCOMPARE(opened->readOnly(), held);
        opened->replace(0, 0, 1, "r");
        const QString refused = raisedBy([&] { opened->save(); }).description();
        QVERIFY2(held == refused.contains("sola lettura") && opened->changed() == held,
                 qPrintable(refused));
    }

    // Not a package (a flat XML document), no main part, malformed XML, a part too large to read.
    void damagedFilesEndInAClearError_data() {
        QTest::addColumn<QByteArray>("body"); // of the main part; empty: none; null: no package
        QTest::addColumn<QString>("why");
        QTest::newRow("not a zip") << QByteArray() << "non è un archivio zip valido";
        QTest::newRow("main part missing") << QByteArray("") << "manca la parte principale";
        QTest::newRow("malformed XML") << QByteArray("<w:p>") << "non è XML valido";
        QTest::newRow("part too large") << QByteArray(300 << 20, ' ') << "supera il limite";
    }
    void damagedFilesEndInAClearError() {
        QFETCH(QByteArray, body);
        QFETCH(QString, why);
        DocumentFixtures fixtures;
        const QString path = fixtures.copy("src/report.fodt", "rotto.docx");
        if (!body.isNull())
            body.isEmpty() ? writePackage(path, formatParts(path)) : writeDocument(path, body);
        const QString failure = raisedBy([&] { Document::open(path)->storyCount(); }).description();
        QVERIFY2(failure.startsWith("Impossibile aprire il documento 'rotto.docx'") &&
                     failure.contains(why),
                 qPrintable(failure));
    }

    // Files holding "old k", readable by the group too, given new content in one batch: what a
    // commit or a dropped batch leaves, also when a rename fails (a folder took a file's place)
    // among the files staged unnamed or among those named past kOpenAtOnce; never a temporary
    // file left behind. A file in a folder that is not there is refused at once.
    void batches_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("committed");
        QTest::addColumn<int>("folderAt"); // the file whose place a folder took, or -1
        const int pastOpen = int(SaveBatch::kOpenAtOnce) + 4;
        for (int files : {1, 3, pastOpen}) {
            QTest::addRow("%d files, committed", files) << files << true << -1;
            QTest::addRow("%d files, dropped", files) << files << false << -1;
        }
        QTest::newRow("rename fails among the unnamed") << pastOpen << true << 2;
        QTest::newRow("rename fails among the named") << pastOpen << true << pastOpen - 2;
    }
    void batches() {
        QFETCH(int, files);
        QFETCH(bool, committed);
        QFETCH(int, folderAt);
        const QTemporaryDir folder;
        const auto path = [&](int k) {
            return folder.filePath(QString::number(k));
        };
        for (int k = 0; k < files; ++k) {
            writeFile(path(k), "old " + QByteArray::number(k));
            QFile::setPermissions(path(k), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        }
        if (folderAt >= 0)
            QVERIFY(QFile::remove(path(folderAt)) && QDir().mkdir(path(folderAt)));
        const auto before = snapshot(folder.path()).keys();
        std::optional<SaveBatch> batch(std::in_place);
        for (int k = 0; k < files; ++k)
            batch->add(path(k), "new " + QByteArray::number(k));
        const QString failure = committed ? raisedBy([&] { batch->commit(); }).description() : "";
        batch.reset();
        QCOMPARE(snapshot(folder.path()).keys(), before);
        QCOMPARE(failure.section(u':', 0, 0),
                 folderAt < 0 ? ""
                              : QString("Impossibile salvare il documento '%1'").arg(folderAt));
        for (int k = 0; k < files; ++k) {
            const bool renewed = committed && (folderAt < 0 || k < folderAt);
            QVERIFY(k == folderAt ||
                    (bytesOf(path(k)) == (renewed ? "new " : "old ") + QByteArray::number(k) &&
                     (QFile::permissions(path(k)) & 0xff) == QFile::ReadGroup));
        }
        QVERIFY(raisedBy([&] { SaveBatch().add(folder.filePath("nowhere/x"), "x"); })
                    .description()
                    .startsWith("Impossibile salvare il documento 'x'"));
    }

    // A code change carried into a model's listed documents as a host retries it. Nothing
    // listed: nothing to do. A document held elsewhere stops the update before any rewrite; one
    // that refuses an edit stops it halfway, keeping the documents rewritten before it and
    // dropping the others. Then the update completes: every reference of every story, through
    // fields split across runs, adjacent ones, a shorter and a longer code, never field
    // instructions, deleted text nor other codes, while a progress window without cancel button
    // names each document. Missing documents and empty names are passed over, a document without
    // the code keeps its bytes and its time, no temporary file is ever left.
    void updateCarriesACodeChange() {
        Host host;
        QCOMPARE(host.update("B").number(), 0);
        QStringList paths; // as listed: the fixtures, a field split across paragraphs, again
        QList<int> references, others;
        for (int k = 0; k < 9; ++k) {
            const QString fixture = kFixtures[(k - (k > 4)) % 4].name;
            paths << host.add(QString("%1 'annuale' %2").arg(k).arg(fixture), fixture,
                              k == 4 ? R"(<w:p><w:r><w:t>{{Indice("A1")</w:t></w:r></w:p><w:p>)"
                                       R"(<w:r><w:t>}}</w:t></w:r></w:p>)"
                                     : "");
            references << referencesIn(paths.last(), "A1");
            others << referencesIn(paths.last(), "C3");
        }
        for (const char* missing : {"manca.docx", "manca.odt", ""})
            host.add(missing);
        const QString without =
            host.add("senza.odt", "lo-report.odt", R"(<text:p>{{Indice("C3")}}</text:p>)");
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
        if (QFile file(without); file.open(QIODevice::ReadWrite))
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        QFile lock(QFileInfo(without).dir().filePath(".~lock.senza.odt#"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        auto before = snapshot(host.folder());

        RuntimeError failure = host.update("B");
        QCOMPARE(failure.number(), RuntimeError::ObjectError);
        QCOMPARE(failure.source(), "Aggiornamento formule.");
        QCOMPARE(failure.description(), "Errore in fase di aggiornamento dei documenti.\r\n"
                                        "Impossibile aggiornare 'senza.odt'");
        QCOMPARE(snapshot(host.folder()), before);

        QVERIFY(lock.remove() && before.remove(lock.fileName()) == 1);
        failure = host.update("B");
        QCOMPARE(failure.number(), int(DocumentFault::Refused));
        QCOMPARE(failure.source(), "Documenti");
        QCOMPARE(failure.description(),
                 "Errore in fase di aggiornamento dei documenti.\r\nImpossibile modificare il "
                 "documento '4 'annuale' awkward.docx': Il testo sostitutivo contiene caratteri "
                 "che non possono stare in un paragrafo.");
        for (int k = 0; k < paths.size(); ++k)
            QVERIFY(k < 4 ? referencesIn(paths[k], "B") == references[k]
                          : bytesOf(paths[k]) == before.value(paths[k]));

        writeDocument(paths[4], R"(<w:p><w:r><w:delText>{{Indice("A1")}}</w:delText></w:r></w:p>)");
        QCOMPARE(host.update("NUOVO_LUNGO").number(), 0);
        for (int k = 0; k < paths.size(); ++k)
            QVERIFY(referencesIn(paths[k], "A1") == 0 &&
                    referencesIn(paths[k], "C3") == others[k] &&
                    referencesIn(paths[k], k < 4 ? "B" : "NUOVO_LUNGO") ==
                        (k == 4 ? 0 : references[k]));
        QVERIFY(
            packagePart(paths[0], "word/document.xml").contains(R"(MERGEFIELD {{Indice("A1")}})"));
        QCOMPARE(snapshot(host.folder()).keys(), before.keys());
        QCOMPARE(bytesOf(without), before.value(without));
        QCOMPARE(QFileInfo(without).lastModified(), stamp);
        QCOMPARE(host.labels.last(), "Apertura di 'senza.odt'... 0"); // no cancel button
        QVERIFY(!host.editor.findChild<QProgressDialog*>());          // gone with the update
    }
};

QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
