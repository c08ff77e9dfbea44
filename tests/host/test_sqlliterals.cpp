// SQL literals made by the host's text service, sent through real databases and read back.
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

QString literal(const QString& value) {
    const auto& text = K7XBO_Global::CTextUtil::instance();
    return text.SqlQuote(text.SqlEscape(value));
}

QString insertIndex(const QString& code, const QString& text) {
    return QStringLiteral("INSERT INTO KX09_INDICE (KX09_CODICEMODELLO_KX06, KX09_CODICEINDICE, "
                          "KX09_DESCRIZIONE, KX09_TESTO) VALUES ('M', '%1', %2, %2)")
        .arg(code, literal(text));
}

} // namespace

class TestSqlLiterals : public QObject {
    Q_OBJECT
private slots:
    // The text is stored by an INSERT and found again by a SELECT, both built with literals;
    // decoy rows catch a literal that matches too much. Quotes are the one character a literal
    // changes, and every query of the component runs with hostile codes in tests/hostile; left
    // are backslashes, which a PostgreSQL session without standard_conforming_strings reads as
    // escapes (the host service turns it on).
    void roundTrip_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        TestDatabase::addRowsPerEngine([](auto row) {
            row("backslash before quote") << QStringLiteral("C:\\dati\\'x");
            row("trailing backslash") << QStringLiteral("fine\\");
        });
    }
    void roundTrip() {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        if (engine == QLatin1String("postgresql"))
            database.exec("SET standard_conforming_strings = off");
        K7XBO_Global::CGlobal service(database.db());
        const QSqlDatabase db = service.Database()->Connection();
        database.exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('M')");
        database.exec(insertIndex("ROE", QStringLiteral("ROE")));
        database.exec(insertIndex("ALTRO", QStringLiteral("x")));
        QSqlQuery insert(db);
        QVERIFY2(insert.exec(insertIndex("HOSTILE", text)), qPrintable(insert.lastError().text()));

        QSqlQuery select(db);
        QVERIFY2(select.exec("SELECT KX09_CODICEINDICE, KX09_TESTO FROM KX09_INDICE "
                             "WHERE KX09_DESCRIZIONE=" +
                             literal(text)),
                 qPrintable(select.lastError().text()));
        QVERIFY(select.next());
        QCOMPARE(select.value(0).toString(), QStringLiteral("HOSTILE"));
        QCOMPARE(select.value(1).toString(), text);
        QVERIFY(!select.next());
        QCOMPARE(database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt(), 3);
    }
};

QTEST_GUILESS_MAIN(TestSqlLiterals)
#include "test_sqlliterals.moc"
