// The index record against a model of 100,000 indices: LoadIndice (which reads the row into
// the form) beside a bare QSqlQuery point lookup of the same row, and the duplicate-code test
// with the reference schema's index and, last, without it (a host's schema that lacks it). The
// reporter prints each benchmark's median and the ratios of the load and of the duplicate test to
// the bare lookup.
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QWidget>

#include "BenchMain.h"
#include "support/Probe.h"

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

constexpr int kIndices = 100000;
constexpr int kProbes = 64; // codes visited in turn, spread over the model

QString codeOf(int i) {
    return QStringLiteral("I%1").arg(i, 6, 10, QLatin1Char('0'));
}
QString probeCode(int step) {
    return codeOf(int((step % kProbes) * 1543LL % kIndices));
}

// A database holding model BENCH with kIndices complete indices.
std::unique_ptr<TestDatabase> bigModel(const QString& engine) {
    auto database = std::make_unique<TestDatabase>(engine);
    QSqlDatabase db = database->db();
    database->exec(QStringLiteral("INSERT INTO KX06_MODELLI VALUES ('BENCH', 'Modello grande')"));
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO KX09_INDICE VALUES ('BENCH', ?, ?, 'Testo', 1.5, 'Scarso', 2, 'Normale', "
        "2.5, 'Buono', 'Voce(\"A\") <> 0', 'Voce(\"B\") / Voce(\"A\")', '0', 'B / A', 1, "
        "FALSE, 0, TRUE)"));
    for (int i = 0; i < kIndices; ++i) {
        insert.addBindValue(codeOf(i));
        insert.addBindValue(QStringLiteral("Indice %1").arg(i));
        if (!insert.exec())
            qFatal("insert: %s", qPrintable(insert.lastError().text()));
    }
    db.commit();
    return database;
}

struct Fixture {
    explicit Fixture(const QString& engine) : database(bigModel(engine)), service(database->db()) {
        editor.setCGlobal(&service);
        editor.setCodiceModello(QStringLiteral("BENCH"));
    }
    std::unique_ptr<TestDatabase> database;
    K7XBO_Global::CGlobal service;
    K7X_DoruVevuzu::ctlIndici editor;
};

std::map<QString, std::unique_ptr<Fixture>>& fixtures() {
    static std::map<QString, std::unique_ptr<Fixture>> built;
    return built;
}

Fixture& fixture(const QString& engine) {
    auto& slot = fixtures()[engine];
    if (!slot)
        slot = std::make_unique<Fixture>(engine);
    return *slot;
}

void loadIndice(benchmark::State& state, const QString& engine) {
    Fixture& f = fixture(engine);
    int step = 0;
    for (auto _ : state) {
        f.editor.setCodiceIndice(probeCode(step++));
        f.editor.LoadIndice();
    }
    auto* code = f.editor.findChild<QWidget*>(QStringLiteral("txtCodice"));
    if (code->property("text").toString() != probeCode(step - 1))
        state.SkipWithError("the last index loaded is not on the form");
}

void bareLookup(benchmark::State& state, const QString& engine) {
    Fixture& f = fixture(engine);
    int step = 0;
    for (auto _ : state) {
        QSqlQuery query(f.database->db());
        query.exec(QStringLiteral("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06='BENCH' "
                                  "AND KX09_CODICEINDICE='%1'")
                       .arg(probeCode(step++)));
        if (!query.next())
            state.SkipWithError("row not found");
        for (int column = 0; column < query.record().count(); ++column)
            benchmark::DoNotOptimize(query.value(column));
    }
}

// While adding, a code that the model holds: the query runs and its answer ends validation.
void duplicateTest(benchmark::State& state, const QString& engine) {
    Fixture& f = fixture(engine);
    f.editor.setAdding(true);
    auto* code = f.editor.findChild<QWidget*>(QStringLiteral("txtCodice"));
    int step = 0;
    for (auto _ : state) {
        code->setProperty("text", probeCode(step++));
        if (Probe::validate(f.editor) != "Codice esistente.")
            state.SkipWithError("the duplicate was not found");
    }
    f.editor.setAdding(false);
}

// The same on a schema without the index the duplicate test looks codes up by.
void duplicateTestWithoutIndex(benchmark::State& state, const QString& engine) {
    static std::set<QString> dropped;
    if (dropped.insert(engine).second)
        fixture(engine).database->exec(QStringLiteral("DROP INDEX KX09_CODICE_CASO"));
    duplicateTest(state, engine);
}

// Prints, for each engine, the ratios of the load and of the duplicate test to the bare lookup
// of the same row.
void printRatios(const bench::Medians& medians) {
    for (const char* engine : {"sqlite", "postgresql"}) {
        const auto bare = medians.find(std::string("BareLookup/") + engine);
        if (bare == medians.end() || bare->second <= 0)
            continue;
        for (const char* name : {"LoadIndice", "DuplicateTest", "DuplicateTestWithoutIndex"})
            if (const auto it = medians.find(name + std::string("/") + engine); it != medians.end())
                std::printf("%s: %s median %.1f us, bare lookup median %.1f us, ratio %.2f\n",
                            engine, name, it->second, bare->second, it->second / bare->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    return bench::run(
        argc, argv,
        [] {
            for (const QString& engine : TestDatabase::engines()) {
                if (!TestDatabase::available(engine))
                    continue;
                const std::string suffix = "/" + engine.toStdString();
                for (auto [name, body] :
                     {std::pair{"LoadIndice", &loadIndice}, std::pair{"BareLookup", &bareLookup},
                      std::pair{"DuplicateTest", &duplicateTest},
                      std::pair{"DuplicateTestWithoutIndex", &duplicateTestWithoutIndex}})
                    benchmark::RegisterBenchmark((name + suffix).c_str(), body, engine)
                        ->Unit(benchmark::kMicrosecond)
                        ->Repetitions(5)
                        ->ReportAggregatesOnly(true);
            }
        },
        printRatios, [] { fixtures().clear(); });
}
