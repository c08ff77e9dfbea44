// ReplaceIndice as a host calls it: references to the old code are rewritten, all else stays.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QtTest>

using K7X_DoruVevuzu::ctlIndici;

class TestReplaceIndice : public QObject {
    Q_OBJECT
private slots:
    void rewrite_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("oldCode");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("expected");
        const QString a1 = QStringLiteral("A1"), b2 = QStringLiteral("B2");
        auto row = [&](const char* name, const char* script, const QString& oldCode,
                       const QString& newCode, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(script) << oldCode << newCode
                                << QString::fromUtf8(expected);
        };
        row("spaced, other code kept", "Indice( \"A1\" ) + Indice( \"C3\" )", a1, b2,
            "Indice(\"B2\") + Indice( \"C3\" )");
        row("keyword and code in any case", "2*INDICE( \"a1\" )", a1, b2, "2*Indice(\"B2\")");
        row("every reference", "Indice( \"A1\" ) - Indice( \"A1\" )", a1, b2,
            "Indice(\"B2\") - Indice(\"B2\")");
        row("tabs and line breaks", "Indice(\t\"A1\"\r\n)", a1, b2, "Indice(\"B2\")");
        row("same code rewrites the form", "indice( \"a1\" )", a1, a1, "Indice(\"A1\")");
        row("empty new code", "Indice(\"A1\")", a1, QString(), "Indice(\"\")");
        row("tail of a longer name matching", "MaxIndice(\"A1\")", a1, b2, "MaxIndice(\"B2\")");
        row("no closing mark", "Indice( \"A1\"", a1, b2, "Indice( \"A1\"");
        row("closing mark only for the inner one", "Indice(Indice(\"A1\")", a1, b2,
            "Indice(Indice(\"B2\")");
        row("empty argument", "Indice() + Indice(\"A1\")", a1, b2, "Indice() + Indice(\"B2\")");
        row("blank argument", "Indice(  )", a1, b2, "Indice(  )");
        row("longer code", "Indice(\"A10\") + Indice(\"XA1\")", a1, b2,
            "Indice(\"A10\") + Indice(\"XA1\")");
        row("code without quotes", "Indice(A1)", a1, b2, "Indice(A1)");
        row("quote inside the old code", "Indice(\"A\"\"1\")", QStringLiteral("A\"1"), b2,
            "Indice(\"B2\")");
        row("quote inside the new code", "Indice(\"A1\")", a1, QStringLiteral("X\"Y"),
            "Indice(\"X\"\"Y\")");
        row("new code holding the keyword", "Indice(\"A1\") + Indice(\"A1\")", a1,
            QStringLiteral("Indice("), "Indice(\"Indice(\") + Indice(\"Indice(\")");
        row("no keyword", "Voce(\"A1\") / 2", a1, b2, "Voce(\"A1\") / 2");
        row("non-ASCII around", "«Indice(\"À1\")» è", QStringLiteral("à1"), b2,
            "«Indice(\"B2\")» è");
    }

    void rewrite() {
        QFETCH(QString, script);
        QFETCH(QString, oldCode);
        QFETCH(QString, newCode);
        QFETCH(QString, expected);
        ctlIndici editor;
        editor.ReplaceIndice(script, oldCode, newCode);
        QCOMPARE(script, expected);
    }
};

QTEST_MAIN(TestReplaceIndice)
#include "test_replace_indice.moc"
