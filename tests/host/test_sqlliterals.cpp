// SQL literals made by the host's text service, sent through real databases and read back.
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using K7X_DoruVevuzu::RuntimeError;

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
    // decoy rows catch a literal that matches too much, the row count one that runs code.
    void roundTrip_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        // Quotes are the only character the literal changes; backslashes matter to a server
        // that reads them as escapes, the rest to the connection's encoding.
        const QList<std::pair<const char*, QString>> cases{
            {"single quote", QStringLiteral("L'indice dell'anno")},
            {"backslash before quote", QStringLiteral("C:\\dati\\'x")},
            {"trailing backslash", QStringLiteral("fine\\")},
            {"line breaks and tab", QStringLiteral("riga 1\r\nriga 2\tc")},
            {"unicode and emoji", QStringLiteral("Liquidità € Ω 📊 日本")},
            {"injection", QStringLiteral("x' OR '1'='1")},
            {"statement injection", QStringLiteral("x'; DELETE FROM KX09_INDICE; --")},
        };
        for (const QString& engine : TestDatabase::engines()) {
            for (const auto& [name, text] : cases)
                TestDatabase::newRow(engine, name) << text;
        }
    }
    void roundTrip() {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        TestDatabase database(engine);
        if (engine == QLatin1String("postgresql"))
            database.exec("SET standard_conforming_strings = off"); // the host service fixes it
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

    void nulCharacterRefused() {
        const RuntimeError error = raisedBy(
            [] { K7XBO_Global::CTextUtil::instance().SqlEscape(QStringLiteral("ab") + QChar(0)); });
        QCOMPARE(error.number(), RuntimeError::InvalidCall);
        QVERIFY(!error.description().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSqlLiterals)
#include "test_sqlliterals.moc"
