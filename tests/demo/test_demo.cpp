// The demo host end to end, as a user drives it: edit, save, add, rename — then the database
// rows and the report documents are checked.
#include "IndexList.h"
#include "MainWindow.h"

#include "documents/Document.h"

#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;

namespace {

// The first column of the first row of indices that match `where`.
QVariant scalar(const QSqlDatabase& db, const QString& column, const QString& where) {
    QSqlQuery query(db);
    query.exec("SELECT " + column + " FROM KX09_INDICE WHERE " + where);
    return query.next() ? query.value(0) : QVariant();
}

QWidget* field(ctlIndici* editor, const char* name) {
    return editor->findChild<QWidget*>(QLatin1String(name));
}

void type(ctlIndici* editor, const char* name, const QString& text) {
    QWidget* box = field(editor, name);
    box->setProperty("text", QString());
    QTest::keyClicks(box->focusProxy() ? box->focusProxy() : box, text);
}

void tool(ctlIndici* editor, const char* key) {
    editor->findChild<QAction*>(QLatin1String(key))->trigger();
}

QString documentText(const QString& path) {
    auto document = K7X_DoruVevuzu::documents::Document::open(path);
    QString all;
    for (int story = 0; story < document->storyCount(); ++story)
        all += document->text(story, 0, document->storyLength(story));
    return all;
}

} // namespace

class TestDemo : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    QTimer m_watchdog; // no road of this test asks anything: an unexpected box is a failure
    QStringList m_unexpected;

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toUtf8());
        connect(&m_watchdog, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_unexpected << box->text();
                box->done(QMessageBox::No);
            }
        });
        m_watchdog.start(100);
    }

    void cleanup() { QVERIFY2(m_unexpected.isEmpty(), qPrintable(m_unexpected.join(" | "))); }

    void editAddAndRename() {
        const demo::DemoDatabase database =
            demo::openDemoDatabase(m_home.filePath(QStringLiteral("indici.sqlite")));
        demo::MainWindow window(database);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ctlIndici* editor = window.editor();
        QVERIFY(window.indexList()->count() >= 10);
        QCOMPARE(field(editor, "txtCodice")->property("text").toString(),
                 window.indexList()->codeAt(0));

        // Edit an index with the component's own tools.
        QVERIFY(window.openIndex(QStringLiteral("LIQIMM")));
        tool(editor, "tbEdit");
        type(editor, "txtDescrizione", QStringLiteral("Liquidita immediata (rivista)"));
        tool(editor, "tbOK");
        QCOMPARE(scalar(database.db, "KX09_DESCRIZIONE", "KX09_CODICEINDICE='LIQIMM'"),
                 QStringLiteral("Liquidita immediata (rivista)"));

        // Add a new one through the host's command; Refresh shows it.
        window.newIndex();
        type(editor, "txtCodice", QStringLiteral("NUOVO"));
        type(editor, "txtDescrizione", QStringLiteral("Indice di prova"));
        type(editor, "txtFormulaAllora", QStringLiteral("Indice(\"ROE\") * 2"));
        window.save();
        QCOMPARE(scalar(database.db, "COUNT(*)", "KX09_CODICEINDICE='NUOVO'").toInt(), 1);
        QCOMPARE(window.indexList()->currentCode(), QStringLiteral("NUOVO"));
        QCOMPARE(editor->Adding(), false);

        // Rename ROE: the row, every formula and the report documents follow.
        QVERIFY(window.openIndex(QStringLiteral("ROE")));
        window.renameCurrent(QStringLiteral("ROEX"));
        QCOMPARE(scalar(database.db, "COUNT(*)", "KX09_CODICEINDICE='ROE'").toInt(), 0);
        QCOMPARE(scalar(database.db, "COUNT(*)",
                        "KX09_FORMULAALLORA LIKE '%Indice(\"ROE\")%' OR "
                        "KX09_FORMULACONDIZIONE LIKE '%Indice(\"ROE\")%'")
                     .toInt(),
                 0);
        QVERIFY(scalar(database.db, "COUNT(*)", "KX09_FORMULAALLORA LIKE '%Indice(\"ROEX\")%'")
                    .toInt() >= 2);
        QCOMPARE(window.indexList()->currentCode(), QStringLiteral("ROEX"));
        const QString folder = database.appPath + QStringLiteral("/Documenti/");
        for (const char* name : {"Relazione.docx", "Sintesi.odt"}) {
            const QString text = documentText(folder + QLatin1String(name));
            QVERIFY2(text.contains(QStringLiteral("{{Indice(\"ROEX\")}}")), name);
            QVERIFY2(!text.contains(QStringLiteral("Indice(\"ROE\")")), name);
        }
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
