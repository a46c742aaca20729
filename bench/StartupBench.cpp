// The time from nothing to the main window's first painted canvas, as a user
// waits for it after the program has been loaded: the data folders, the
// services, the workspace with its history folder, the default icon, the
// window with its five panes, shown, laid out and painted once. Qt itself is
// started once; its start-up is reported apart as "qt_start_ms".

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <chrono>
#include <memory>

#include "Application.h"
#include "CanvasWidget.h"

namespace {

// Notes the first paint event that reaches the canvas.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

double g_qtStartMs = 0;

void BM_StartToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        pictoform::Application program(QCoreApplication::arguments().mid(0, 1));
        PaintWatch watch;
        // The canvas paints in its viewport, which a scroll area keeps apart.
        program.Frame().Canvas().viewport()->installEventFilter(&watch);
        program.Show();
        QElapsedTimer waited;
        waited.start();
        while (!watch.painted && waited.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (!watch.painted) state.SkipWithError("the canvas was never painted");
        state.PauseTiming();
        program.Frame().Canvas().viewport()->removeEventFilter(&watch);
        state.ResumeTiming();
    }
    state.counters["qt_start_ms"] = g_qtStartMs;
}
BENCHMARK(BM_StartToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // No display is needed unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto before = std::chrono::steady_clock::now();
    QApplication qt(argc, argv);
    QCoreApplication::setOrganizationName("Pictoform");
    QCoreApplication::setApplicationName("PictoformBench");
    g_qtStartMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before)
            .count();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
