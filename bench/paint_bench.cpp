// The view window's paint through the real widget, at each magnification, against a copy
// of as many pixels as the window shows. Runs on Qt's offscreen platform unless another is
// chosen, so that no display is needed.
#include <QApplication>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_editor.h"
#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "render/view.h"
#include "resources/control_ids.h"
#include "shell/view_widget.h"

namespace {

constexpr int window_extent = 512;

// One application for the whole run, made by the first paint benchmark. It is never
// destroyed: tearing Qt down in a static destructor, after main, is not safe.
void ensure_application() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "coursesmith_bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// The scripted port, with the view's calls going to the real widget, as the program's
// port sends them.
class ViewUi : public cs::ScriptedUi {
  public:
    cs::ViewWidget* view = nullptr;
    cs::ClientSize view_client_size() override { return view->client_size(); }
    void set_scroll_bar(cs::ScrollBar bar, const cs::ScrollSettings& s) override {
        ScriptedUi::set_scroll_bar(bar, s);
        view->set_scroll_bar(bar, s);
    }
    cs::ScrollSettings scroll_bar(cs::ScrollBar bar) override { return view->scroll_bar(bar); }
    void repaint_view_now() override {
        ScriptedUi::repaint_view_now();
        view->repaint_now();
    }
};

// An editor set up as the program starts, shown in the real view window at the given
// magnification (chosen through its Zoom box) and scroll positions.
struct PaintFixture {
    ViewUi ui;
    std::unique_ptr<cs::Editor> editor;
    std::unique_ptr<cs::ViewWidget> view;

    PaintFixture(int zoom, int scroll_h, int scroll_v) {
        ensure_application();
        editor = std::make_unique<cs::Editor>(ui);
        cs::set_up_editor(*editor);
        view = std::make_unique<cs::ViewWidget>(*editor, nullptr);
        ui.view = view.get();
        cs::initialise_panel(*editor);
        view->show();
        for (int i = 0; i < 1000 && !view->windowHandle()->isExposed(); ++i) {
            QCoreApplication::processEvents();
        }
        if (zoom > 1) {
            const int box = zoom == 2 ? cs::id::zoom_2x : cs::id::zoom_4x;
            ui.checked[box] = 1;
            cs::dispatch_command(*editor, box, cs::Notification::clicked);
            cs::view_scroll(*editor, cs::ScrollBar::horizontal, cs::ScrollRequest::thumb_position,
                            scroll_h);
            cs::view_scroll(*editor, cs::ScrollBar::vertical, cs::ScrollRequest::thumb_position,
                            scroll_v);
        }
        QCoreApplication::processEvents();
    }
    ~PaintFixture() {
        // The widget goes before the editor it paints.
        view.reset();
        editor.reset();
    }
};

void paint_view_at(benchmark::State& state, int zoom, int scroll_h, int scroll_v) {
    PaintFixture f(zoom, scroll_h, scroll_v);
    if (cs::magnification(f.editor->view) != zoom || !f.view->windowHandle()->isExposed()) {
        state.SkipWithError("the view did not show at the magnification asked for");
        return;
    }
    for (auto _ : state) {
        f.view->repaint_now();
    }
}

void BM_PaintView1x(benchmark::State& state) {
    paint_view_at(state, 1, 0, 0);
}
BENCHMARK(BM_PaintView1x)->Unit(benchmark::kMicrosecond);

void BM_PaintView2x(benchmark::State& state) {
    paint_view_at(state, 2, 300, 200);
}
BENCHMARK(BM_PaintView2x)->Unit(benchmark::kMicrosecond);

void BM_PaintView4x(benchmark::State& state) {
    paint_view_at(state, 4, 700, 500);
}
BENCHMARK(BM_PaintView4x)->Unit(benchmark::kMicrosecond);

// The reference for the paint: copying the window's pixels, 4 bytes each.
void BM_MemcpyViewPixels(benchmark::State& state) {
    constexpr std::size_t size = std::size_t{window_extent} * window_extent * 4;
    cs::bench::copy_bytes(state, size);
}
BENCHMARK(BM_MemcpyViewPixels)->Unit(benchmark::kMicrosecond);

} // namespace
