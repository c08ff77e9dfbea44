// The component's own cost: creating it with its first layout, and one resize.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QResizeEvent>

#include "BenchMain.h"

static void BM_CreateAndFirstLayout(benchmark::State& state) {
    for (auto _ : state) {
        K7X_DoruVevuzu::ctlIndici editor;
        editor.resize(10440 / 15, 7005 / 15);
        editor.show();
        benchmark::DoNotOptimize(editor.height());
    }
}
BENCHMARK(BM_CreateAndFirstLayout)->Unit(benchmark::kMillisecond);

static void BM_Resize(benchmark::State& state) {
    K7X_DoruVevuzu::ctlIndici editor;
    editor.resize(696, 467);
    editor.show();
    int step = 0;
    for (auto _ : state) {
        ++step;
        editor.resize(600 + step % 200, 400 + step % 100);
        benchmark::DoNotOptimize(editor.width());
    }
}
BENCHMARK(BM_Resize)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return bench::run(argc, argv);
}
