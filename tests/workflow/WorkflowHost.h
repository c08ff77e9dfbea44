// A host window around ctlIndici for the workflow tests: a database with the sample model, the
// host service, a user who types, clicks tools and presses hotkeys, and message boxes answered
// from a timer. One per test function; GUI thread only.
#pragma once

#include "support/Probe.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::RuntimeError;

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
    BoxAnswerer(QWidget* component, QList<QMessageBox::StandardButton> answers)
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
    QList<SeenBox> seen;

private:
    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    QPointer<QMessageBox> m_last;
};

// The host's service, able to fail where a test tells it to.
class TestService : public K7XBO_Global::CGlobal {
public:
    using CGlobal::CGlobal;
    K7XBO_Global::CDatabase* Database() override {
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
    bool databaseFails = false;
    bool hostAppFails = false;
};

class WorkflowHost {
public:
    explicit WorkflowHost(const QString& engine, bool withService = true)
        : database(engine, true), service(database.db()) {
        window.setWindowTitle(QStringLiteral("Finestra host"));
        editor = new ctlIndici(&window);
        editor->resize(600, 500);
        if (withService) {
            editor->setCGlobal(&service);
            editor->setCodiceModello(QStringLiteral("BILANCIO"));
            editor->setCodiceIndice(QStringLiteral("LIQIMM"));
            editor->LoadIndice();
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    template <typename T = QWidget> T* child(const QString& name) const {
        return editor->findChild<T*>(name);
    }
    QWidget* keyboardOf(const QString& name) const {
        QWidget* field = child(name);
        return field->focusProxy() ? field->focusProxy() : field;
    }
    QWidget* focused() const {
        QWidget* focus = QApplication::focusWidget();
        return focus && editor->isAncestorOf(focus) ? focus : keyboardOf("txtDescrizione");
    }
    // Enabled state of "tbOK", "tbEdit", "tbCancel" as "1"/"0".
    QString tools() const {
        QString states;
        for (const char* key : {"tbOK", "tbEdit", "tbCancel"})
            states += child<QAction>(QLatin1String(key))->isEnabled() ? u'1' : u'0';
        return states;
    }
    bool open(const char* name) const {
        return child(QLatin1String(name))->property("userEditable").toBool();
    }

    // One user or host action: "field=text" types into a field, a tool's name triggers it, F2,
    // Esc and CtrlS are pressed; another word runs a command.
    void perform(const QString& step) {
        static const QMap<QString, QKeyCombination> hotkeys{
            {"F2", Qt::Key_F2}, {"Esc", Qt::Key_Escape}, {"CtrlS", Qt::CTRL | Qt::Key_S}};
        if (const qsizetype eq = step.indexOf(u'='); eq > 0) {
            QTest::keyClicks(keyboardOf(step.left(eq)), step.mid(eq + 1));
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

    TestDatabase database;
    TestService service;
    QWidget window;
    ctlIndici* editor = nullptr;
};
