// TestHost: ctlIndici in a shown window wired as a host wires it, on either engine with the sample
// model BILANCIO, with a user who types, clicks and presses keys, and message boxes answered.
#pragma once

#include "support/Probe.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>
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

// A message box as the user saw it: a question (Yes and No, No the default), an error (critical,
// OK) or another.
struct SeenBox {
    enum Kind { Question, Error, Other } kind;
    QString title, text;
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
            using enum QMessageBox::StandardButton;
            const auto buttons = box->standardButtons();
            const bool question = box->icon() == QMessageBox::Question && buttons == (Yes | No) &&
                                  box->defaultButton() == box->button(No);
            const bool error = box->icon() == QMessageBox::Critical && buttons == Ok;
            seen.append({question ? SeenBox::Question
                         : error  ? SeenBox::Error
                                  : SeenBox::Other,
                         box->windowTitle(), box->text(),
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
            all << box.text;
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
            throw RuntimeError(3001, "TestService", "Database non raggiungibile.");
        return CGlobal::Database();
    }
    QObject* HostApp() override {
        if (hostAppFails)
            throw RuntimeError(3002, "TestService", "Applicazione host non disponibile.");
        return CGlobal::HostApp();
    }
    // The hotkey service that turns the key codes in `rewrites` into others (0: no key).
    struct RewritingHotkeys : K7XBO_Global::CHotkeys {
        explicit RewritingHotkeys(QMap<qint16, qint16>& rewrites) : rewrites(rewrites) {}
        QString DetectHotkey(qint16& KeyCode, qint16& Shift) override {
            KeyCode = rewrites.value(KeyCode, KeyCode);
            return CHotkeys::DetectHotkey(KeyCode, Shift);
        }
        QMap<qint16, qint16>& rewrites;
    };
    K7XBO_Global::CHotkeys* Hotkeys() override { return &hotkeys; }
    int databaseCalls = 0;
    bool databaseFails = false;
    bool hostAppFails = false;
    QMap<qint16, qint16> rewrites;
    RewritingHotkeys hotkeys{rewrites};
};

class TestHost {
public:
    // Model BILANCIO with `code` loaded (none when empty).
    explicit TestHost(const QString& engine = "sqlite", const QString& code = "LIQIMM")
        : database(engine, true), service(database.db()) {
        window.setWindowTitle(QStringLiteral("Finestra host"));
        editor = new ctlIndici(&window);
        editor->resize(600, 500);
        editor->setCGlobal(&service);
        editor->setCodiceModello(QStringLiteral("BILANCIO"));
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
    bool open(const QString& name) const { return child(name)->property("userEditable").toBool(); }

    // A user's actions: typing into a field, pressing keys (as "Ctrl+S"), triggering a tool.
    void type(const QString& field, const QString& text) {
        QTest::keyClicks(keyboard(field), text);
    }
    void key(const QString& keys) {
        const QKeyCombination pressed = QKeySequence(keys)[0];
        QTest::keyClick(focused(), pressed.key(), pressed.keyboardModifiers());
    }
    void tool(const char* name) { child<QAction>(QLatin1String(name))->trigger(); }

    // A row of BILANCIO with every column filled; `extra` replaces columns (null QVariant: Null).
    void insertIndex(const QString& code, const QVariantMap& extra = {}) {
        const QVariantList values = QVariantList() << "BILANCIO" << code << "Margine " + code
                                                   << "Testo\nsu due righe" << 1.5 << "Scarso"
                                                   << 2.0 << "Normale" << 1234567.25 << "Buono"
                                                   << "Voce(\"A\") <> 0"
                                                   << "Voce(\"B\") / Voce(\"A\")"
                                                   << "0"
                                                   << "B / A" << 2 << true << -0.5 << true;
        QVariantMap row;
        for (const QString& column :
             QString("CODICEMODELLO_KX06 CODICEINDICE DESCRIZIONE TESTO VALORESCARSO "
                     "DESCRIZIONESCARSO VALORENORMALE DESCRIZIONENORMALE VALOREBUONO "
                     "DESCRIZIONEBUONO FORMULACONDIZIONE FORMULAALLORA FORMULAALTRIMENTI "
                     "FORMULASIMBOLICA GRAFICO STANDARD VALERR_FORMULA DEFEXPRELGEST")
                 .split(u' '))
            row.insert("KX09_" + column, values[row.size()]);
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
        QVariantMap row;
        if (query.exec() && query.next())
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
