// Fixture of the record tests: a component wired to a test database as a host wires it, the
// white-box probe for the private operations, and rows of KX09_INDICE written directly.
#pragma once

#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace K7X_DoruVevuzu {
// Reaches the private operations and state that a host reaches only through CanClose.
class ctlIndiciProbe {
public:
    static void save(ctlIndici& c) { c.SaveRecord(); }
    static QString validate(ctlIndici& c) { return c.ValidateFields(); }
    static bool modified(const ctlIndici& c) { return c.mModified; }
    static bool standard(const ctlIndici& c) { return c.mStandard; }
    static void setCodiceIndice(ctlIndici& c, const QString& code) { c.mCodiceIndice = code; }
    static void replaceFormulaEngine(ctlIndici& c, K7XBO_Global::CFormulaEngine* engine) {
        delete c.mFormulaEngine;
        engine->setParent(&c);
        c.mFormulaEngine = engine;
    }
};
} // namespace K7X_DoruVevuzu

using K7X_DoruVevuzu::ctlIndici;
using K7X_DoruVevuzu::ctlIndiciProbe;
using K7X_DoruVevuzu::RuntimeError;

inline const QString kModel = QStringLiteral("MOD1");

// Counts the host-service calls that reach the database.
class CountingService : public K7XBO_Global::CGlobal {
public:
    using CGlobal::CGlobal;
    K7XBO_Global::CDatabase* Database() override {
        ++databaseCalls;
        return CGlobal::Database();
    }
    int databaseCalls = 0;
};

// One component on one connection, set up in the order a host follows.
struct Editor {
    explicit Editor(const QSqlDatabase& db, const QString& code = QStringLiteral("IND1"))
        : service(db) {
        control.setCGlobal(&service);
        control.setCodiceModello(kModel);
        control.setCodiceIndice(code);
    }
    QWidget* field(const char* name) const {
        auto* widget = control.findChild<QWidget*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QString text(const char* name) const { return field(name)->property("text").toString(); }
    void type(const char* name, const QString& value) { field(name)->setProperty("text", value); }
    QComboBox* chart() const { return control.findChild<QComboBox*>(QStringLiteral("cmbGrafico")); }
    QCheckBox* export_() const {
        return control.findChild<QCheckBox*>(QStringLiteral("ChkRelGest"));
    }

    CountingService service;
    ctlIndici control;
};

// Every column of a complete index row, by column name.
inline QVariantMap fullRow(const QString& code) {
    return {{"KX09_CODICEMODELLO_KX06", kModel},
            {"KX09_CODICEINDICE", code},
            {"KX09_DESCRIZIONE", QStringLiteral("Margine %1").arg(code)},
            {"KX09_TESTO", QStringLiteral("Testo\nsu due righe")},
            {"KX09_VALORESCARSO", 1.5},
            {"KX09_DESCRIZIONESCARSO", QStringLiteral("Scarso")},
            {"KX09_VALORENORMALE", 2.0},
            {"KX09_DESCRIZIONENORMALE", QStringLiteral("Normale")},
            {"KX09_VALOREBUONO", 1234567.25},
            {"KX09_DESCRIZIONEBUONO", QStringLiteral("Buono")},
            {"KX09_FORMULACONDIZIONE", QStringLiteral("Voce(\"A\") <> 0")},
            {"KX09_FORMULAALLORA", QStringLiteral("Voce(\"B\") / Voce(\"A\")")},
            {"KX09_FORMULAALTRIMENTI", QStringLiteral("0")},
            {"KX09_FORMULASIMBOLICA", QStringLiteral("B / A")},
            {"KX09_GRAFICO", 2},
            {"KX09_STANDARD", true},
            {"KX09_VALERR_FORMULA", -0.5},
            {"KX09_DEFEXPRELGEST", true}};
}

// Creates the model MOD1 (once per database) and inserts the row; a null QVariant is Null.
inline void insertRow(TestDatabase& database, const QVariantMap& row) {
    if (!database.value(QStringLiteral("SELECT COUNT(*) FROM KX06_MODELLI")).toInt())
        database.exec(QStringLiteral("INSERT INTO KX06_MODELLI VALUES ('MOD1', 'Modello')"));
    QSqlQuery insert(database.db());
    const QStringList columns = row.keys();
    insert.prepare(QStringLiteral("INSERT INTO KX09_INDICE (%1) VALUES (%2)")
                       .arg(columns.join(QLatin1Char(',')),
                            QStringList(columns.size(), QStringLiteral("?")).join(',')));
    for (const QString& column : columns)
        insert.addBindValue(row.value(column));
    if (!insert.exec())
        qFatal("insert: %s", qPrintable(insert.lastError().text()));
}

// The stored row of an index, by lower-case column name (both engines answer alike).
inline QVariantMap storedRow(TestDatabase& database, const QString& code) {
    QSqlQuery query(database.db());
    query.exec(QStringLiteral("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='MOD1' "
                              "AND KX09_CODICEINDICE='%1'")
                   .arg(code));
    QVariantMap row;
    if (query.next())
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i).toUpper(), query.value(i));
    return row;
}

inline int rowCount(TestDatabase& database) {
    return database.value(QStringLiteral("SELECT COUNT(*) FROM KX09_INDICE")).toInt();
}

// The engine × locale rows of a data-driven test.
inline void addEngineAndLocaleRows() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QLocale>("locale");
    for (const QString& engine : TestDatabase::engines()) {
        QTest::addRow("%s-it", qPrintable(engine))
            << engine << QLocale(QLocale::Italian, QLocale::Italy);
        QTest::addRow("%s-C", qPrintable(engine)) << engine << QLocale::c();
    }
}

// Puts a locale in force for one test function and restores the previous one.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : m_previous(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};
