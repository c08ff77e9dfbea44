// Fixture of the record tests: a component wired to a test database as a host wires it, and
// rows of KX09_INDICE written directly.
#pragma once

#include "support/Probe.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QCheckBox>
#include <QComboBox>
#include <QSqlQuery>
#include <QSqlRecord>

using K7X_DoruVevuzu::RuntimeError;

// A host service that counts the calls that reach the database.
class CountingService : public K7XBO_Global::CGlobal {
public:
    using CGlobal::CGlobal;
    K7XBO_Global::CDatabase* Database() override {
        ++databaseCalls;
        return CGlobal::Database();
    }
    int databaseCalls = 0;
};

// One component on one connection, set up in the order a host follows, for model MOD1.
struct Editor {
    explicit Editor(const QSqlDatabase& db, const QString& code = QStringLiteral("IND1"))
        : service(db) {
        control.setCGlobal(&service);
        control.setCodiceModello(QStringLiteral("MOD1"));
        control.setCodiceIndice(code);
    }
    QWidget* field(const QString& name) const { return control.findChild<QWidget*>(name); }
    QString text(const QString& name) const { return field(name)->property("text").toString(); }
    void type(const QString& name, const QString& value) {
        field(name)->setProperty("text", value);
    }
    QComboBox* chart() const { return control.findChild<QComboBox*>("cmbGrafico"); }
    QCheckBox* relGest() const { return control.findChild<QCheckBox*>("ChkRelGest"); }

    CountingService service;
    K7X_DoruVevuzu::ctlIndici control;
};

// A complete index row of MOD1; extra entries replace columns (a null QVariant is Null).
inline void insertRow(TestDatabase& database, const QString& code, const QVariantMap& extra = {}) {
    if (!database.value("SELECT COUNT(*) FROM KX06_MODELLI WHERE KX06_CODICEMODELLO='MOD1'")
             .toInt())
        database.exec("INSERT INTO KX06_MODELLI VALUES ('MOD1', 'Modello')");
    QVariantMap row{{"KX09_CODICEMODELLO_KX06", "MOD1"},
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

// The stored row of an index of MOD1 by upper-case column name; empty when there is none.
inline QVariantMap storedRow(TestDatabase& database, const QString& code) {
    QSqlQuery query(database.db());
    query.exec("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='MOD1' AND "
               "KX09_CODICEINDICE='" +
               code + "'");
    QVariantMap row;
    if (query.next())
        for (int i = 0; i < query.record().count(); ++i)
            row.insert(query.record().fieldName(i).toUpper(), query.value(i));
    return row;
}

inline int rowCount(TestDatabase& database) {
    return database.value("SELECT COUNT(*) FROM KX09_INDICE").toInt();
}

// Rows engine × locale (Italian and C) of a data-driven test.
inline void addEngineAndLocaleRows() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QLocale>("locale");
    for (const QString& engine : TestDatabase::engines()) {
        QTest::addRow("%s-it", qPrintable(engine))
            << engine << QLocale(QLocale::Italian, QLocale::Italy);
        QTest::addRow("%s-C", qPrintable(engine)) << engine << QLocale::c();
    }
}
