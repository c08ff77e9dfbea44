// UpdateDocFormulas as a host drives it: a model, its listed report documents in the
// application's documents folder, a code change.
#include "DocumentFixtures.h"
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
    explicit Host(const QString& engine = QStringLiteral("sqlite"))
        : database(engine), service(database.db()) {
        database.exec(QStringLiteral("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('%1')")
                          .arg(kModel));
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
        database.exec(QStringLiteral("INSERT INTO KX20_RELAZIONI VALUES ('%1', '%2')")
                          .arg(kModel, QString(name).replace(u'\'', QStringLiteral("''"))));
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
    try {
        host.update(QStringLiteral("A1"), QStringLiteral("B2"));
    } catch (const RuntimeError& failure) {
        return failure;
    }
    qFatal("the update did not fail");
}

} // namespace

class TestUpdateDocFormulas : public QObject {
    Q_OBJECT
private slots:
    // Every formula field of every story, adjacent fields with a longer code, empty fields.
    void rewritesEveryReferenceEverywhere_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("fixture");
        for (const QString& engine : TestDatabase::engines()) {
            for (const char* fixture :
                 {"awkward.docx", "awkward.odt", "lo-report.docx", "lo-report.odt"})
                QTest::addRow("%s %s", qPrintable(engine), fixture)
                    << engine << QString::fromLatin1(fixture);
        }
    }
    void rewritesEveryReferenceEverywhere() {
        QFETCH(QString, engine);
        QFETCH(QString, fixture);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        Host host(engine);
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

    void nothingToDoStillSucceeds_data() {
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("no documents") << QStringList();
        QTest::newRow("all missing") << QStringList{"manca.docx", "manca.odt", ""};
    }
    void nothingToDoStillSucceeds() {
        QFETCH(QStringList, listed);
        Host host;
        for (const QString& name : listed)
            host.list(name);
        QVERIFY(host.update(QStringLiteral("A1"), QStringLiteral("B2")));
    }

    void documentWithoutChangesIsLeftAlone() {
        Host host;
        const QString path = host.add(QStringLiteral("lo-report.docx"), QStringLiteral("r.docx"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        const QByteArray bytes = file.readAll();
        file.close();

        QVERIFY(host.update(QStringLiteral("ZZ9"), QStringLiteral("B2")));

        QCOMPARE(QFileInfo(path).lastModified(), stamp);
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), bytes);
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
        QMap<QString, QByteArray> before;
        for (const QString name : {"a.docx", "b.odt", "c.odt"}) {
            const QString fixture = name.endsWith(QStringLiteral("docx"))
                                        ? QStringLiteral("lo-report.docx")
                                        : QStringLiteral("lo-report.odt");
            QFile copy(host.add(fixture, name));
            QVERIFY(copy.open(QIODevice::ReadOnly));
            before[name] = copy.readAll();
        }
        QFile(host.documents() + QStringLiteral("/.~lock.") + held + u'#')
            .open(QIODevice::WriteOnly);

        const RuntimeError failure = updateFailure(host);
        QCOMPARE(failure.number(), RuntimeError::ObjectError);
        QCOMPARE(failure.source(), QStringLiteral("Aggiornamento formule."));
        QCOMPARE(failure.description(),
                 QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n"
                                "Impossibile aggiornare '%1'")
                     .arg(held));
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QFile document(host.documents() + u'/' + it.key());
            QVERIFY(document.open(QIODevice::ReadOnly));
            QCOMPARE(document.readAll(), it.value());
        }
    }

    void namesLeadingOutOfTheFolderAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("parent folder") << "../fuori.docx"
                                       << "non è valido";
        QTest::newRow("subfolder") << "sotto/dentro.docx"
                                   << "non è valido";
        QTest::newRow("backslash") << "..\\fuori.docx"
                                   << "non è valido";
        QTest::newRow("absolute") << "/tmp/fuori.docx"
                                  << "non è valido";
        QTest::newRow("dot dot") << ".."
                                 << "non è valido";
        QTest::newRow("link") << "collegamento.docx"
                              << "fuori dalla cartella";
    }
    void namesLeadingOutOfTheFolderAreRefused() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        Host host;
        const QString outside =
            host.fixtures.copy(QStringLiteral("lo-report.docx"), QStringLiteral("fuori.docx"));
        QFile::link(outside, host.documents() + QStringLiteral("/collegamento.docx"));
        const QByteArray bytes = packagePart(outside, QStringLiteral("word/document.xml"));
        host.list(name);

        const RuntimeError failure = updateFailure(host);
        QVERIFY(failure.description().startsWith(
            QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\n")));
        QVERIFY2(failure.description().contains(why), qPrintable(failure.description()));
        QCOMPARE(packagePart(outside, QStringLiteral("word/document.xml")), bytes);
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

    void damagedDocumentFailsWithItsName() {
        Host host;
        host.list(QStringLiteral("rotto.docx"));
        QFile broken(host.documents() + QStringLiteral("/rotto.docx"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("non un documento");
        broken.close();
        const RuntimeError failure = updateFailure(host);
        QCOMPARE(failure.description(),
                 QStringLiteral("Errore in fase di aggiornamento dei documenti.\r\nImpossibile "
                                "aprire il documento 'rotto.docx': non è un archivio zip "
                                "valido."));
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
