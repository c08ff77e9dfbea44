// Formula maintenance: ReplaceIndice on scripts of 1 Mi and 10 Mi characters (a reference
// every 104 characters, every other one to the old code) beside one std::u16string_view::find scan
// of the same text for the keyword, and CheckFormula of a typical formula without and with the
// existence test of its Indice codes (SQLite sample model). The reporter prints the medians
// and the ratios the targets are about.
#include "support/TestDatabase.h"

#include <K7XBO_Global/K7XBO_Global.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>

#include "BenchMain.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr qsizetype kMiB = 1024 * 1024;

// Two units of 101 and 107 characters, each holding one reference: about 10,000 per Mi.
QString scriptOf(qsizetype size) {
    const QString unit =
        QStringLiteral("Indice( \"A1\" ) * 2 + Voce(\"RICAVI\") / (1 + 0.5) - "
                       "ARROTONDA(Voce(\"COSTI\") * 3; 2) + Voce(\"AMMORT\") -     "
                       "Indice(\"ROE\") - ABS(Voce(\"COSTI\") * 3) + MAX(Voce(\"RICAVI_3\"); "
                       "Voce(\"RICAVI\")) / 100 + Voce(\"PATRNETTO\") + ");
    QString script;
    script.reserve(size + unit.size());
    while (script.size() < size)
        script += unit;
    script.truncate(size);
    return script;
}

const QString& script(qsizetype mib) {
    static std::map<qsizetype, QString> built;
    auto& slot = built[mib];
    if (slot.isEmpty())
        slot = scriptOf(mib * kMiB);
    return slot;
}

void replaceIndice(benchmark::State& state) {
    K7X_DoruVevuzu::ctlIndici editor;
    const QString& original = script(state.range(0));
    for (auto _ : state) {
        QString rewritten = original; // shared: ReplaceIndice builds a new text once
        editor.ReplaceIndice(rewritten, QStringLiteral("A1"), QStringLiteral("B2"));
        benchmark::DoNotOptimize(rewritten.constData());
    }
    state.SetBytesProcessed(state.iterations() * original.size() * 2);
}

void findScan(benchmark::State& state) {
    const QString& original = script(state.range(0));
    const std::u16string_view text(reinterpret_cast<const char16_t*>(original.utf16()),
                                   std::size_t(original.size()));
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t at = text.find(u"Indice("); at != text.npos;
             at = text.find(u"Indice(", at + 1))
            ++found;
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * original.size() * 2);
}

const QString kTypical = QStringLiteral(
    "SE(Indice(\"ROE\") >= 12 O Indice(\"ROI\") >= 10; ARROTONDA(Voce(\"UTILENETTO\") / "
    "Voce(\"PATRNETTO\") * 100; 2); 0)");

void checkFormula(benchmark::State& state, bool withModel) {
    std::unique_ptr<TestDatabase> database;
    std::unique_ptr<K7XBO_Global::CGlobal> service;
    K7XBO_Global::CFormulaEngine engine;
    if (withModel) {
        database = std::make_unique<TestDatabase>(QStringLiteral("sqlite"), true);
        service = std::make_unique<K7XBO_Global::CGlobal>(database->db());
        engine.GlobalService(service.get());
        engine.ModelCode(QStringLiteral("BILANCIO"));
    }
    QString formula = kTypical;
    for (auto _ : state) {
        if (!engine.CheckFormula(formula).isEmpty())
            state.SkipWithError("the typical formula was refused");
    }
}

// Prints each script size's ratio to the plain scan, and how the time grows with the size.
void printRatios(const bench::Medians& medians) {
    const auto median = [&](const std::string& name) {
        const auto found = medians.find(name);
        return found == medians.end() ? 0.0 : found->second;
    };
    for (const char* size : {"1", "10"}) {
        const double replace = median(std::string("ReplaceIndice/") + size);
        const double scan = median(std::string("FindScan/") + size);
        if (replace > 0 && scan > 0)
            std::printf("%s MiB: ReplaceIndice %.0f us, find scan %.0f us, ratio %.2f\n", size,
                        replace, scan, replace / scan);
    }
    const double one = median("ReplaceIndice/1"), ten = median("ReplaceIndice/10");
    if (one > 0)
        std::printf("ReplaceIndice 10 MiB / 1 MiB: %.2f\n", ten / one);
}

} // namespace

int main(int argc, char** argv) {
    return bench::run(
        argc, argv,
        [] {
            for (auto [name, body] :
                 {std::pair{"ReplaceIndice", &replaceIndice}, std::pair{"FindScan", &findScan}})
                benchmark::RegisterBenchmark(name, body)
                    ->Arg(1)
                    ->Arg(10)
                    ->Unit(benchmark::kMicrosecond)
                    ->Repetitions(5)
                    ->ReportAggregatesOnly(true);
            for (auto [name, withModel] :
                 {std::pair{"CheckFormula/language", false}, std::pair{"CheckFormula/model", true}})
                benchmark::RegisterBenchmark(name, checkFormula, withModel)
                    ->Unit(benchmark::kMicrosecond)
                    ->Repetitions(5)
                    ->ReportAggregatesOnly(true);
        },
        printRatios);
}
