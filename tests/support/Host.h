// TestHost: ctlIndici in a shown host window, wired as a host wires it: a database on either
// engine with the sample model BILANCIO, the host's service (able to fail where a test says),
// a user who types, clicks tools and presses hotkeys, and message boxes answered from a timer.
// One per test function; GUI thread only. The database outlives the component.
#pragma once

#include "support/Probe.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

// The rows of a table of texts, one a line: fields separated by "|" with one space each side
// of it (further spaces belong to the field); \t, \n and \r stand for their characters.
inline QList<QStringList> textRows(const char* table) {
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(table).split(u'\n', Qt::SkipEmptyParts)) {
        QStringList& fields = rows.emplace_back(line.split(u'|'));
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0 && fields[i].startsWith(u' '))
                fields[i].remove(0, 1);
            if (i + 1 < fields.size() && fields[i].endsWith(u' '))
                fields[i].chop(1);
            fields[i].replace("\\t", "\t").replace("\\n", "\n").replace("\\r", "\r");
        }
    }
    return rows;
}

// Fills a QtTest _data function from a table of texts: a QString column per name, a row per
// line.
inline void addTextRows(std::initializer_list<const char*> columns, const char* table) {
    for (const char* column : columns)
        QTest::addColumn<QString>(column); // QtTest keeps the pointer: names are literals
    for (const QStringList& fields : textRows(table)) {
        const QString name = fields.join(QStringLiteral(" | "));
        if (fields.size() != qsizetype(columns.size()))
            qFatal("%d fields in the row %s", int(fields.size()), qPrintable(name));
        QTestData& row =
            QTest::newRow(name.toUtf8().replace('\n', "\\n").replace('\r', "\\r").constData());
        for (const QString& field : fields)
            row << field;
    }
}

// A message box as the user saw it.
struct SeenBox {
    QString shown; // "title|text"
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    bool hourglass; // the component's pointer while the box was up
};

// Answers every modal message box, in order, with the given buttons (OK once they run out); a
// box without that button is closed with Esc.
class BoxAnswerer {
public:
    BoxAnswerer(QWidget* component, QList<QMessageBox::StandardButton> answers = {})
        : m_answers(std::move(answers)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, component] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            seen.append({box->windowTitle() + QLatin1Char('|') + box->text(), box->icon(),
                         box->standardButtons(), box->standardButton(box->defaultButton()),
                         component->testAttribute(Qt::WA_SetCursor)});
            const auto answer = m_answers.isEmpty() ? QMessageBox::Ok : m_answers.takeFirst();
            if (QAbstractButton* button = box->button(answer))
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
        });
        m_timer.start(10);
    }
    // The texts of the boxes seen, without their titles.
    QStringList texts() const {
        QStringList all;
        for (const SeenBox& box : seen)
            all << box.shown.section(u'|', 1);
        return all;
    }
    QList<SeenBox> seen;

private:
    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    QPointer<QMessageBox> m_last;
};

// The host's service: counts the calls that reach the database, fails where a test says.
class TestService : public K7XBO_Global::CGlobal {
public:
    using CGlobal::CGlobal;
    K7XBO_Global::CDatabase* Database() override {
        ++databaseCalls;
        if (databaseFails)
            throw RuntimeError(3001, QStringLiteral("TestService"),
                               QStringLiteral("Database non raggiungibile."));
        return CGlobal::Database();
    }
    QObject* HostApp() override {
        if (hostAppFails)
            throw RuntimeError(3002, QStringLiteral("TestService"),
                               QStringLiteral("Applicazione host non disponibile."));
        return CGlobal::HostApp();
    }
    int databaseCalls = 0;
    bool databaseFails = false;
    bool hostAppFails = false;
};

class TestHost {
public:
    // Model BILANCIO with `code` loaded (none when empty); without a service the component
    // gets no CGlobal and no model.
    explicit TestHost(const QString& engine = QStringLiteral("sqlite"),
                      const QString& code = QStringLiteral("LIQIMM"), bool withService = true)
        : database(engine, true), service(database.db()) {
        window.setWindowTitle(QStringLiteral("Finestra host"));
        editor = new ctlIndici(&window);
        editor->resize(600, 500);
        if (withService) {
            editor->setCGlobal(&service);
            editor->setCodiceModello(QStringLiteral("BILANCIO"));
        }
        if (!code.isEmpty()) {
            editor->setCodiceIndice(code);
            editor->LoadIndice();
        }
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    template <typename T = QWidget> T* child(const QString& name) const {
        T* found = editor->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    // The widget that takes the keyboard for a field.
    QWidget* keyboard(const QString& name) const {
        QWidget* field = child(name);
        return field->focusProxy() ? field->focusProxy() : field;
    }
    QWidget* focused() const {
        QWidget* focus = QApplication::focusWidget();
        return focus && editor->isAncestorOf(focus) ? focus : keyboard("txtDescrizione");
    }
    QString text(const QString& name) const { return child(name)->property("text").toString(); }
    // A host's write into a field (not typing: no filter, no key handling).
    void set(const QString& name, const QString& value) { child(name)->setProperty("text", value); }
    QComboBox* chart() const { return child<QComboBox>("cmbGrafico"); }
    QCheckBox* relGest() const { return child<QCheckBox>("ChkRelGest"); }
    // Enabled state of "tbOK", "tbEdit", "tbCancel" as "1"/"0".
    QString tools() const {
        QString states;
        for (const char* key : {"tbOK", "tbEdit", "tbCancel"})
            states += child<QAction>(QLatin1String(key))->isEnabled() ? u'1' : u'0';
        return states;
    }
    bool open(const QString& name) const { return child(name)->property("userEditable").toBool(); }

    // One user or host action: "field=text" types into a field, a tool's name triggers it, F2,
    // Esc and CtrlS are pressed, Adding+ and Adding- set Adding; another word runs a command.
    void perform(const QString& step) {
        static const QMap<QString, QKeyCombination> hotkeys{
            {"F2", Qt::Key_F2}, {"Esc", Qt::Key_Escape}, {"CtrlS", Qt::CTRL | Qt::Key_S}};
        if (const qsizetype eq = step.indexOf(u'='); eq > 0) {
            QTest::keyClicks(keyboard(step.left(eq)), step.mid(eq + 1));
        } else if (step.startsWith(QLatin1String("tb"))) {
            child<QAction>(step)->trigger();
        } else if (hotkeys.contains(step)) {
            QTest::keyClick(focused(), hotkeys[step].key(), hotkeys[step].keyboardModifiers());
        } else if (step == QLatin1String("Adding+") || step == QLatin1String("Adding-")) {
            editor->setAdding(step.endsWith(u'+'));
        } else {
            QVERIFY2(QMetaObject::invokeMethod(editor, qPrintable(step)), qPrintable(step));
        }
    }
    void perform(const QStringList& steps) {
        for (const QString& step : steps)
            perform(step);
    }

    // A row of BILANCIO with every column filled; `extra` replaces columns (a null QVariant is
    // stored as Null).
    void insertIndex(const QString& code, const QVariantMap& extra = {}) {
        QVariantMap row{{"KX09_CODICEMODELLO_KX06", "BILANCIO"},
                        {"KX09_CODICEINDICE", code},
                        {"KX09_DESCRIZIONE", "Margine " + code},
                        {"KX09_TESTO", "Testo\nsu due righe"},
                        {"KX09_VALORESCARSO", 1.5},
                        {"KX09_DESCRIZIONESCARSO", "Scarso"},
                        {"KX09_VALORENORMALE", 2.0},
                        {"KX09_DESCRIZIONENORMALE", "Normale"},
                        {"KX09_VALOREBUONO", 1234567.25},
                        {"KX09_DESCRIZIONEBUONO", "Buono"},
                        {"KX09_FORMULACONDIZIONE", "Voce(\"A\") <> 0"},
                        {"KX09_FORMULAALLORA", "Voce(\"B\") / Voce(\"A\")"},
                        {"KX09_FORMULAALTRIMENTI", "0"},
                        {"KX09_FORMULASIMBOLICA", "B / A"},
                        {"KX09_GRAFICO", 2},
                        {"KX09_STANDARD", true},
                        {"KX09_VALERR_FORMULA", -0.5},
                        {"KX09_DEFEXPRELGEST", true}};
        row.insert(extra);
        database.exec(QStringLiteral("INSERT INTO KX09_INDICE (%1) VALUES (%2)")
                          .arg(row.keys().join(','), QStringList(row.size(), "?").join(',')),
                      row.values());
    }
    // The stored row of an index of BILANCIO by upper-case column name; empty when none.
    QVariantMap stored(const QString& code) const {
        QSqlQuery query(database.db());
        query.prepare("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BILANCIO' AND "
                      "KX09_CODICEINDICE=?");
        query.addBindValue(code);
        query.exec();
        QVariantMap row;
        if (query.next())
            for (int i = 0; i < query.record().count(); ++i)
                row.insert(query.record().fieldName(i).toUpper(), query.value(i));
        return row;
    }
    int indices() const { return database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(); }

    TestDatabase database;
    TestService service;
    QWidget window;
    ctlIndici* editor = nullptr;
};
