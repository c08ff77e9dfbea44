// UpdateDocFormulas as a host drives it: a model, its listed report documents in the
// application's documents folder, a code change.
#include "DocumentFixtures.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

namespace {

const QString kModel = QStringLiteral("MOD1");

// A host whose application object answers slowly, so that the update lasts; it notes what the
// progress window says while it is shown.
class SlowHost : public K7XBO_Global::CGlobal {
public:
    using CGlobal::CGlobal;
    QObject* HostApp() override {
        QThread::msleep(120);
        if (editor) {
            const auto* progress = editor->findChild<QProgressDialog*>();
            if (progress && progress->isVisible()) {
                labels << progress->labelText();
                cancelButtons += static_cast<int>(progress->findChildren<QPushButton*>().size());
            }
        }
        return CGlobal::HostApp();
    }
    ctlIndici* editor = nullptr;
    QStringList labels;
    int cancelButtons = 0;
};

// One model with its documents folder, and the component pointed at it.
struct Host {
    Host() : database(QStringLiteral("sqlite")), service(database.db()) {
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES (?)", {kModel});
        service.setAppPath(fixtures.folder());
        QDir(fixtures.folder()).mkpath(documents());
        service.editor = &editor;
        editor.setCGlobal(&service);
        editor.setCodiceModello(kModel);
    }
    QString documents() const {
        return fixtures.folder() + u'/' + K7XBO_Global::CDocFields::instance().DocFolder();
    }
    void list(const QString& name) {
        database.exec("INSERT INTO KX20_RELAZIONI VALUES (?, ?)", {kModel, name});
    }
    // Copies a fixture into the documents folder and lists it for the model.
    QString add(const QString& fixture, const QString& name) {
        list(name);
        return fixtures.copy(fixture,
                             K7XBO_Global::CDocFields::instance().DocFolder() + u'/' + name);
    }
    bool update(const QString& oldCode, const QString& newCode) {
        QString oldIndice = oldCode;
        QString newIndice = newCode;
        return editor.UpdateDocFormulas(oldIndice, newIndice);
    }

    DocumentFixtures fixtures;
    TestDatabase database;
    SlowHost service;
    ctlIndici editor;
};

RuntimeError updateFailure(Host& host) {
    return raisedBy([&] { host.update(QStringLiteral("A1"), QStringLiteral("B2")); });
}

} // namespace

class TestUpdateDocFormulas : public QObject {
    Q_OBJECT
private slots:
    // Every formula field of every story, adjacent fields with a longer code, empty fields (the
    // engine only lists the documents: both list them in tests/hostile).
    void rewritesEveryReferenceEverywhere_data() {
        QTest::addColumn<QString>("fixture");
        for (const char* fixture :
             {"awkward.docx", "awkward.odt", "lo-report.docx", "lo-report.odt"})
            QTest::newRow(fixture) << QString::fromLatin1(fixture);
    }
    void rewritesEveryReferenceEverywhere() {
        QFETCH(QString, fixture);
        Host host;
        const QString path =
            host.add(fixture, QStringLiteral("Rapporto 'annuale'.") + QFileInfo(fixture).suffix());
        const int references = referencesIn(path, QStringLiteral("A1"));
        const int others = referencesIn(path, QStringLiteral("C3"));
        QVERIFY(references >= 5);

        QVERIFY(host.update(QStringLiteral("A1"), QStringLiteral("NUOVO_LUNGO")));

        QCOMPARE(referencesIn(path, QStringLiteral("A1")), 0);
        QCOMPARE(referencesIn(path, QStringLiteral("NUOVO_LUNGO")), references);
        QCOMPARE(referencesIn(path, QStringLiteral("C3")), others);
        if (fixture == QStringLiteral("awkward.docx")) // field instructions are not text
            QVERIFY(packagePart(path, QStringLiteral("word/document.xml"))
                        .contains("MERGEFIELD {{Indice(\"A1\")}}"));
    }

    // Nothing to rewrite: no document listed, listed ones missing, a document without the code.
    // The update succeeds and the document keeps its bytes and its time.
    void nothingToRewriteSucceedsAndTouchesNothing() {
        Host host;
        QVERIFY(host.update(QStringLiteral("A1"), QStringLiteral("B2")));
        for (const char* missing : {"manca.docx", "manca.odt", ""})
            host.list(QString::fromLatin1(missing));
        const QString path = host.add(QStringLiteral("lo-report.docx"), QStringLiteral("r.docx"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();
        const auto before = snapshot(host.fixtures.folder());

        QVERIFY(host.update(QStringLiteral("ZZ9"), QStringLiteral("B2")));

        QCOMPARE(QFileInfo(path).lastModified(), stamp);
        QCOMPARE(snapshot(host.fixtures.folder()), before);
    }

    // A document held elsewhere, wherever it is listed, stops the update before any rewrite.
    void readOnlyDocumentStopsEverything_data() {
        QTest::addColumn<QString>("held");
        QTest::newRow("first") << "a.docx";
        QTest::newRow("last") << "c.odt";
    }
    void readOnlyDocumentStopsEverything() {
        QFETCH(QString, held);
        Host host;
        for (const QString name : {"a.docx", "b.odt", "c.odt"})
            host.add(QStringLiteral("lo-report.") + QFileInfo(name).suffix(), name);
        QFile(host.documents() + QStringLiteral("/.~lock.") + held + u'#')
            .open(QIODevice::WriteOnly);
        const auto before = snapshot(host.fixtures.folder());

        const RuntimeError failure = updateFailure(host);
        QCOMPARE(failure.number(), RuntimeError::ObjectError);
        QCOMPARE(failure.source(), QStringLiteral("Aggiornamento formule."));
        QCOMPARE(failure.description(),
                 QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n"
                                "Impossibile aggiornare '%1'")
                     .arg(held));
        QCOMPARE(snapshot(host.fixtures.folder()), before);
    }

    // A failure halfway keeps the documents rewritten before it, leaves the others as they
    // were and no temporary file behind.
    void failureHalfwayKeepsWhatWasRewritten() {
        Host host;
        const QString done = host.add(QStringLiteral("lo-report.docx"), QStringLiteral("a.docx"));
        const int references = referencesIn(done, QStringLiteral("A1"));
        host.list(QStringLiteral("b.docx"));
        const QString refused = host.documents() + QStringLiteral("/b.docx");
        writePackage(refused,
                     {{QStringLiteral("[Content_Types].xml"), "<Types/>"},
                      {QStringLiteral("word/document.xml"),
                       "<w:document><w:body><w:p><w:r><w:t>{{Indice(\"A1\")</w:t></w:r>"
                       "</w:p><w:p><w:r><w:t>}}</w:t></w:r></w:p></w:body></w:document>"}});
        const QByteArray before = packagePart(refused, QStringLiteral("word/document.xml"));

        QVERIFY(updateFailure(host).description().contains(QStringLiteral("paragrafo")));

        QCOMPARE(referencesIn(done, QStringLiteral("B2")), references);
        QCOMPARE(packagePart(refused, QStringLiteral("word/document.xml")), before);
        QCOMPARE(QDir(host.documents()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void longUpdateShowsWhichDocument() {
        Host host;
        for (int i = 0; i < 8; ++i)
            host.add(QStringLiteral("awkward.odt"), QStringLiteral("doc%1.odt").arg(i));
        QVERIFY(host.update(QStringLiteral("A1"), QStringLiteral("B2")));
        QVERIFY2(!host.service.labels.isEmpty(), "no progress window was shown");
        QVERIFY2(host.service.labels.last().contains(QStringLiteral("doc7.odt")),
                 qPrintable(host.service.labels.join(u'|')));
        QCOMPARE(host.service.cancelButtons, 0);
        QVERIFY(!host.editor.findChild<QProgressDialog*>()); // gone with the update
    }
};

QTEST_MAIN(TestUpdateDocFormulas)
#include "test_update_doc_formulas.moc"
