// UpdateDocFormulas killed (SIGKILL) at random moments in another process: every report
// document still opens and names either only the old or only the new code, and what the
// atomic save leaves behind is never taken for a document nor stops the next update.
#include "WorkerProcess.h"
#include "documents/DocumentFixtures.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CDocFields.h>

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

namespace {

const QString kModel = QStringLiteral("MOD1");
const QString kOld = QStringLiteral("MARGINE");
const QString kNew = QStringLiteral("MARGINE_OPERATIVO_NETTO");
constexpr int kDocuments = 50;
constexpr int kFillerParagraphs = 30; // before each field

// The tags of one document format: a paragraph, and a piece of it formatted on its own.
struct Markup {
    const char* head;
    const char* tail;
    const char* paragraph;
    const char* paragraphEnd;
    const char* piece;
    const char* pieceEnd;
};

const Markup kWord{
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:body>",
    "</w:body></w:document>",
    "<w:p><w:r><w:t xml:space=\"preserve\">",
    "</w:t></w:r></w:p>",
    "</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">",
    "</w:t></w:r><w:r><w:t xml:space=\"preserve\">"};
const Markup kOdf{"<office:document-content "
                  "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                  "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                  "office:version=\"1.3\"><office:body><office:text>",
                  "</office:text></office:body></office:document-content>",
                  "<text:p>",
                  "</text:p>",
                  "<text:span>",
                  "</text:span>"};

bool isOdf(int document) {
    return document % 5 == 4;
}
QString nameOf(int document) {
    return QStringLiteral("relazione%1.%2")
        .arg(document, 2, 10, QLatin1Char('0'))
        .arg(isOdf(document) ? "odt" : "docx");
}
int fieldsIn(int document) {
    return 3 + document % 6;
}

// The document's main part: filler paragraphs and formula fields naming kOld, every other field
// with the code in a run of its own.
QByteArray mainPart(int document) {
    const Markup& markup = isOdf(document) ? kOdf : kWord;
    QByteArray xml = markup.head;
    for (int field = 0; field < fieldsIn(document); ++field) {
        for (int filler = 0; filler < kFillerParagraphs; ++filler)
            xml += markup.paragraph + QByteArray("Paragrafo ") + QByteArray::number(filler) +
                   " della relazione sull'andamento della gestione." + markup.paragraphEnd;
        const QByteArray code =
            field % 2 ? markup.piece + kOld.toUtf8() + markup.pieceEnd : kOld.toUtf8();
        xml += markup.paragraph + QByteArray("Margine: {{Indice(\"") + code +
               "\") * 100}} per cento." + markup.paragraphEnd;
    }
    return xml + markup.tail;
}

void writeDocument(const QString& path, int document) {
    if (isOdf(document))
        writePackage(path, {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text"},
                            {QStringLiteral("content.xml"), mainPart(document)}});
    else
        writePackage(path, {{QStringLiteral("[Content_Types].xml"), "<Types/>"},
                            {QStringLiteral("word/document.xml"), mainPart(document)}});
}

} // namespace

class TestKilledUpdate : public QObject {
    Q_OBJECT

    DocumentFixtures fixtures;
    TestDatabase database{QStringLiteral("sqlite")};
    QString documents;
    QList<QByteArray> written; // each document as first written

    QVariantMap updateCommand() const {
        return {{"do", "update"},
                {"folder", fixtures.folder()},
                {"model", kModel},
                {"old", kOld},
                {"new", kNew}};
    }
    void restoreEveryDocument() {
        for (int document = 0; document < kDocuments; ++document) {
            QFile file(documents + u'/' + nameOf(document));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(written[document]), written[document].size());
        }
    }
    // Every document opens and names only kOld or only kNew, each field once; `updated` counts
    // the new ones.
    void checkEveryDocument(const QString& when, int& updated) {
        updated = 0;
        for (int document = 0; document < kDocuments; ++document) {
            const QString path = documents + u'/' + nameOf(document);
            const int oldReferences = referencesIn(path, kOld);
            const int newReferences = referencesIn(path, kNew);
            const int fields = fieldsIn(document);
            QVERIFY2((oldReferences == fields && newReferences == 0) ||
                         (oldReferences == 0 && newReferences == fields),
                     qPrintable(QStringLiteral("%1: %2 names the old code %3 times, the new %4")
                                    .arg(when, nameOf(document))
                                    .arg(oldReferences)
                                    .arg(newReferences)));
            updated += newReferences == fields;
        }
    }
    void updateWholly(WorkerProcess& worker, const QString& when) {
        const QVariantMap reply = worker.ask(updateCommand());
        QVERIFY2(reply.value("done").toBool(), qPrintable(reply.value("error").toString()));
        int updated = 0;
        checkEveryDocument(when, updated);
        QCOMPARE(updated, kDocuments);
    }

private slots:
    void initTestCase() {
        documents = fixtures.folder() + u'/' + K7XBO_Global::CDocFields::instance().DocFolder();
        QVERIFY(QDir().mkpath(documents));
        database.exec(QStringLiteral("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('%1')")
                          .arg(kModel));
        for (int document = 0; document < kDocuments; ++document) {
            database.exec(QStringLiteral("INSERT INTO KX20_RELAZIONI VALUES ('%1', '%2')")
                              .arg(kModel, nameOf(document)));
            QFile file(documents + u'/' + nameOf(document));
            writeDocument(file.fileName(), document);
            QVERIFY(file.open(QIODevice::ReadOnly));
            written << file.readAll();
        }
    }

    void killedAtRandomMoments() {
        // One whole update gives the span the kills are spread over.
        auto worker = std::make_unique<WorkerProcess>(database.db());
        QVERIFY(worker->ready());
        QElapsedTimer clock;
        clock.start();
        updateWholly(*worker, QStringLiteral("whole update"));
        const qint64 span = clock.elapsed();
        if (QTest::currentTestFailed())
            return;

        int unfinished = 0; // rounds killed before the update's end
        int halfway = 0;    // rounds that left some documents old and some new
        worker = std::make_unique<WorkerProcess>(database.db());
        for (int round = 0; round < FAULT_ROUNDS && !QTest::currentTestFailed(); ++round) {
            restoreEveryDocument();
            QVERIFY(worker->ready());
            const qint64 delay = QRandomGenerator::global()->bounded(span + 1);
            worker->send(updateCommand());
            QThread::msleep(static_cast<unsigned long>(delay));
            worker->kill();
            worker = std::make_unique<WorkerProcess>(database.db()); // starts during the check
            int updated = 0;
            checkEveryDocument(QStringLiteral("killed after %1 of %2 ms").arg(delay).arg(span),
                               updated);
            unfinished += updated < kDocuments;
            halfway += updated > 0 && updated < kDocuments;
        }
        if (QTest::currentTestFailed())
            return;
        const QStringList leftovers = QDir(documents).entryList(QDir::Files | QDir::Hidden);
        qInfo(
            "%d rounds, whole update %lld ms, %d unfinished, %d halfway, %lld files in the folder",
            FAULT_ROUNDS, span, unfinished, halfway, static_cast<long long>(leftovers.size()));
        QVERIFY(unfinished > 0);
        // A temporary file has a name only from just before its rename: at most one a kill.
        QVERIFY(leftovers.size() <= kDocuments + unfinished);

        // The next update, with whatever the kills left behind, finishes the job.
        updateWholly(*worker, QStringLiteral("after the kills"));
        if (QTest::currentTestFailed())
            return;
        QStringList names;
        for (int document = 0; document < kDocuments; ++document)
            names << nameOf(document);
        QCOMPARE(QDir(documents).entryList(QDir::Files, QDir::Name), names);
        QVERIFY(worker->finish());
    }
};

QTEST_MAIN(TestKilledUpdate)
#include "test_killed_update.moc"
