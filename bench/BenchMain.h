// The frame every benchmark program shares: an offscreen Qt application around Google
// Benchmark, and a console reporter that keeps each benchmark's median so the program can print
// its ratio to the limit measured in the same run.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

namespace bench {

// Medians of real time by benchmark name ("Name/args"), in each benchmark's own unit.
using Medians = std::map<std::string, double>;

class MedianReporter : public benchmark::ConsoleReporter {
public:
    explicit MedianReporter(std::function<void(const Medians&)> summary)
        : m_summary(std::move(summary)) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                const std::string& args = run.run_name.args;
                m_medians[run.run_name.function_name + (args.empty() ? "" : "/" + args)] =
                    run.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (m_summary)
            m_summary(m_medians);
    }

private:
    std::function<void(const Medians&)> m_summary;
    Medians m_medians;
};

// Registers the benchmarks, runs them, prints the summary, then lets the program tidy up while
// the application still exists.
inline int run(int argc, char** argv, const std::function<void()>& registerAll = {},
               const std::function<void(const Medians&)>& summary = {},
               const std::function<void()>& finish = {}) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (registerAll)
        registerAll();
    MedianReporter reporter(summary);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (finish)
        finish();
    return 0;
}

} // namespace bench
