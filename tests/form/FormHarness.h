// FormHarness: the component embedded in a shown host window, as a host application places it,
// with the host's service set (without one every keystroke reports the missing service).
#pragma once

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QSqlDatabase>

#include <QRectF>
#include <QtTest>

struct FormHarness {
    K7XBO_Global::CGlobal service{QSqlDatabase()};
    QWidget host;
    K7X_DoruVevuzu::ctlIndici* editor = new K7X_DoruVevuzu::ctlIndici(&host);

    FormHarness() {
        editor->setCGlobal(&service);
        host.resize(1200, 900);
        host.show();
        QApplication::setActiveWindow(&host);
        QVERIFY(QTest::qWaitForWindowActive(&host));
    }

    template <typename T = QWidget> T* control(const QString& name) const {
        T* found = editor->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    QRectF twips(const QString& name) const { return control(name)->property("twips").toRectF(); }

    // The widget that takes the keyboard for a field.
    QWidget* keyboard(const QString& name) const {
        QWidget* field = control(name);
        return field->focusProxy() ? field->focusProxy() : field;
    }
};
