// The view window driven through Qt: mapping clicks, painting at each magnification and
// the scroll bars, with the core deciding every position.
#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "editor/dispatch.h"
#include "editor/editor.h"
#include "editor/scripted_ui.h"
#include "editor/setup.h"
#include "editor/view_commands.h"
#include "resources/control_ids.h"
#include "shell/view_widget.h"
#include "tests/shell/shell_fixture.h"

namespace cs {
namespace {

using shell_test::ShellApp;

// The scripted port, with the view's calls going to the real widget (and still recorded).
class ViewUi : public ScriptedUi {
  public:
    ViewWidget* view = nullptr;
    ClientSize view_client_size() override { return view->client_size(); }
    void set_scroll_bar(ScrollBar bar, const ScrollSettings& s) override {
        ScriptedUi::set_scroll_bar(bar, s);
        view->set_scroll_bar(bar, s);
    }
    ScrollSettings scroll_bar(ScrollBar bar) override { return view->scroll_bar(bar); }
    void repaint_view_now() override {
        ScriptedUi::repaint_view_now();
        view->repaint_now();
    }
    void capture_mouse() override {
        ScriptedUi::capture_mouse();
        view->capture_mouse();
    }
    void release_mouse() override {
        ScriptedUi::release_mouse();
        view->release_mouse();
    }
};

// Every image pixel different from its neighbours: x in red and blue, y in green and blue.
void fill_pattern(Editor& editor) {
    for (int y = 0; y < image_size; ++y) {
        for (int x = 0; x < image_size; ++x) {
            editor.renderer.at(x, y) =
                Pixel{static_cast<std::uint8_t>(((x >> 8) << 4) | (y >> 8)),
                      static_cast<std::uint8_t>(y & 0xFF), static_cast<std::uint8_t>(x & 0xFF), 0};
        }
    }
}

// A cursor file of one entry (a bitmap or a PNG stream) with its hot spot.
QByteArray cursor_file(const QByteArray& data, int size, int hot_x, int hot_y) {
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(2) << quint16(1) << quint8(size) << quint8(size) << quint8(0)
        << quint8(0) << quint16(hot_x) << quint16(hot_y) << quint32(data.size()) << quint32(22);
    out.writeRawData(data.constData(), static_cast<int>(data.size()));
    return b;
}

// 32 x 32, one bit per pixel, every pixel white and opaque.
QByteArray white_bitmap() {
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(40) << qint32(32) << qint32(64) << quint16(1) << quint16(1) << quint32(0)
        << quint32(0) << quint32(0) << quint32(0) << quint32(2) << quint32(0);
    out << quint32(0x000000) << quint32(0xFFFFFF);
    const QByteArray colour(128, char(0xFF)), mask(128, 0);
    out.writeRawData(colour.constData(), 128);
    out.writeRawData(mask.constData(), 128);
    return b;
}

QRgb image_rgb(const Editor& editor, int x, int y) {
    return 0xFF000000u | rgb_of(editor.renderer.at(x, y));
}

// The pointer moved over w as the window system reports it, to the widget under it; moved
// twice, since Qt reports nothing when the pointer is already there.
void hover(QWidget* w, QPoint at) {
    QTest::mouseMove(w, at + QPoint(1, 1));
    QTest::mouseMove(w, at);
}

// The magnification as the Zoom boxes choose it, then the bars' positions.
void show_at(ShellApp& shell, int zoom, QPoint bars) {
    if (zoom > 1) {
        shell.click(zoom == 2 ? id::zoom_2x : id::zoom_4x);
        view_scroll(shell.editor(), ScrollBar::horizontal, ScrollRequest::thumb_position, bars.x());
        view_scroll(shell.editor(), ScrollBar::vertical, ScrollRequest::thumb_position, bars.y());
    }
    QCOMPARE(magnification(shell.editor().view), zoom);
}

QPointF pending_at(const Editor& editor) {
    const Object& o = editor.track.objects[editor.track.object_count];
    return {o.x, o.y};
}

// The height sample a brush centred on a map point weighs most: the one nearest to
// (x + 0.5, y + 0.5) in samples 512 / 63 map units apart.
QPoint nearest_sample(QPoint map) {
    return {static_cast<int>(std::lround((map.x() + 0.5) * 63 / 512)),
            static_cast<int>(std::lround((map.y() + 0.5) * 63 / 512))};
}

// The sample that went furthest up (or down) from before to after; (-1, -1) when none did.
QPoint raised_most(const std::array<std::uint16_t, height_samples>& before,
                   const std::array<std::uint16_t, height_samples>& after, bool up) {
    QPoint at(-1, -1);
    int most = 0;
    for (int i = 0; i < height_samples; ++i) {
        const int change = (after[i] - before[i]) * (up ? 1 : -1);
        if (change > most) {
            most = change;
            at = QPoint(i % 64, i / 64);
        }
    }
    return at;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ViewUi> ui;
    std::unique_ptr<Editor> editor;
    std::unique_ptr<ViewWidget> view;

    QScrollBar* bar(ScrollBar b) const { return view->bar(b); }
    int extent() const { return view->style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

    // Every client pixel against the image pixel the core's offsets put there.
    void expect_replicated(int m) {
        const QImage shown = view->client()->grab().toImage();
        const ClientSize c = view->client_size();
        QCOMPARE(shown.size(), QSize(c.width, c.height));
        const int ox = scroll_offset(c.width, editor->view.scroll_h, m);
        const int oy = scroll_offset(c.height, editor->view.scroll_v, m);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const int ix = ox + x / m;
                const int iy = oy + y / m;
                if (ix >= image_size || iy >= image_size) {
                    continue;
                }
                if (shown.pixel(x, y) != image_rgb(*editor, ix, iy)) {
                    QFAIL(qPrintable(QString("%1x: window (%2, %3) is not image (%4, %5)")
                                         .arg(m)
                                         .arg(x)
                                         .arg(y)
                                         .arg(ix)
                                         .arg(iy)));
                }
            }
        }
        // An exposure that starts and ends inside blocks paints the same pixels.
        const QRect part(3, 5, c.width / 2 + 1, c.height / 3);
        QCOMPARE(view->client()->grab(part).toImage(), shown.copy(part));
    }

  private slots:
    void init() {
        ui = std::make_unique<ViewUi>();
        editor = std::make_unique<Editor>(*ui);
        QVERIFY(set_up_editor(*editor));
        view = std::make_unique<ViewWidget>(*editor, nullptr);
        ui->view = view.get();
        initialise_panel(*editor);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    void cleanup() {
        view.reset();
        editor.reset();
        ui.reset();
    }

    void barsFollowTheCoreSettings() {
        // At start-up both bars show, disabled, and take their width from the client.
        for (ScrollBar b : {ScrollBar::horizontal, ScrollBar::vertical}) {
            QVERIFY(bar(b)->isVisible());
            QVERIFY(!bar(b)->isEnabled());
        }
        QCOMPARE(view->client_size().width, 512 - extent());
        QCOMPARE(view->client_size().height, 512 - extent());

        set_zoom_4x(*editor, true, false);
        for (ScrollBar b : {ScrollBar::horizontal, ScrollBar::vertical}) {
            QVERIFY(bar(b)->isVisible());
            QVERIFY(bar(b)->isEnabled());
            // Range 0..1250 with page 250 accepts positions 0..1001.
            QCOMPARE(bar(b)->minimum(), 0);
            QCOMPARE(bar(b)->maximum(), 1001);
            QCOMPARE(bar(b)->pageStep(), 250);
        }
        QCOMPARE(view->scroll_bar(ScrollBar::vertical).maximum, 1250);

        // Back at 1x the bars go and the client takes the whole square.
        set_zoom_4x(*editor, false, false);
        QVERIFY(!bar(ScrollBar::horizontal)->isVisible());
        QVERIFY(!bar(ScrollBar::vertical)->isVisible());
        QCOMPARE(view->client_size().width, 512);
        QCOMPARE(view->client_size().height, 512);
        QCOMPARE(view->client()->geometry(), QRect(0, 0, 512, 512));
    }

    void scrollRequestsTakeTheCorePositions() {
        set_zoom_2x(*editor, true, false);
        QScrollBar* v = bar(ScrollBar::vertical);
        const auto act = [&](QAbstractSlider::SliderAction a) { v->triggerAction(a); };
        const auto expect = [&](int position) {
            QCOMPARE(v->value(), position);
            QCOMPARE(view->scroll_bar(ScrollBar::vertical).position, position);
            QCOMPARE(editor->view.scroll_v, position);
        };
        const int repaints = ui->repaints;
        act(QAbstractSlider::SliderSingleStepAdd);
        expect(10);
        QCOMPARE(ui->repaints, repaints + 1); // every scroll repaints at once
        act(QAbstractSlider::SliderPageStepAdd);
        expect(110);
        act(QAbstractSlider::SliderSingleStepSub);
        expect(100);
        act(QAbstractSlider::SliderPageStepSub);
        expect(0);
        act(QAbstractSlider::SliderPageStepSub);
        expect(0);
        // Requests the core does not know keep the position.
        act(QAbstractSlider::SliderToMaximum);
        expect(0);
        for (int i = 0; i < 5; ++i) {
            act(QAbstractSlider::SliderPageStepAdd);
        }
        expect(500);
        act(QAbstractSlider::SliderPageStepAdd);
        expect(501); // the largest position: maximum 1000 - page 500 + 1
        act(QAbstractSlider::SliderSingleStepAdd);
        expect(501);

        // Dragging the thumb tracks it; letting go sets it.
        v->setSliderDown(true);
        v->setSliderPosition(250);
        expect(250);
        v->setSliderPosition(260);
        expect(260);
        v->setSliderDown(false);
        expect(260);
        QCOMPARE(editor->view.scroll_h, 0);
    }

    void paintReplicatesImagePixels() {
        fill_pattern(*editor);
        set_zoom_2x(*editor, false, false); // 1x, no bars
        expect_replicated(1);
        set_zoom_2x(*editor, true, false);
        expect_replicated(2);
        // At the largest positions the image's last column and row meet the client's edges.
        view_scroll(*editor, ScrollBar::horizontal, ScrollRequest::thumb_position, 501);
        view_scroll(*editor, ScrollBar::vertical, ScrollRequest::thumb_position, 333);
        expect_replicated(2);
        const QImage shown = view->client()->grab().toImage();
        const int w = view->client_size().width;
        QCOMPARE(shown.pixel(w - 1, 0), image_rgb(*editor, 511, scroll_offset(w, 333, 2)));
        set_zoom_4x(*editor, true, false);
        expect_replicated(4);
        view_scroll(*editor, ScrollBar::horizontal, ScrollRequest::thumb_position, 700);
        view_scroll(*editor, ScrollBar::vertical, ScrollRequest::thumb_position, 1001);
        expect_replicated(4);
    }

    // Both buttons through the running program's widgets: a hover, the press, one drag
    // step and the release, checked against what the core made of them: the press's map
    // position (the gesture's anchor) and the button's action, the held button and map
    // position of the drag, the button of the release (inside the view or out over the
    // panel, where the view still has the mouse). Positions worked out for 14-pixel
    // bars (client 498): a bar at s shows the map from 526 s / 1000 at 2x and from
    // 1550 s / 4000 at 4x.
    void bothButtonsReachTheCore() {
        struct Row {
            const char* name;
            int tool;
            Qt::MouseButton button;
            int zoom;
            QPoint bars;     // scroll positions across and down
            QPoint from, to; // client pixels of the press, and of the drag and release
            QPoint map_from, map_to;
        };
        const Qt::MouseButton L = Qt::LeftButton, R = Qt::RightButton;
        const int kerb = id::tool_kerb, hmap = id::tool_hmap_adjust, object = id::tool_object;
        const Row rows[] = {
            // A kerb starts with a white line (left) or a yellow line (right) under the
            // press; a drag step is 7 (left) or 10 (right) long.
            {"kerb L 1x", kerb, L, 1, {}, {100, 100}, {140, 100}, {100, 100}, {140, 100}},
            // 526 * 200 / 1000 = 105 across and 526 * 100 / 1000 = 52 down, pixels halved.
            {"kerb R 2x", kerb, R, 2, {200, 100}, {100, 60}, {141, 61}, {155, 82}, {175, 82}},
            // 1550 * 500 / 4000 = 193 across and 1550 * 300 / 4000 = 116 down, quartered.
            {"hmap L 4x", hmap, L, 4, {500, 300}, {100, 100}, {200, 100}, {218, 141}, {243, 141}},
            {"hmap R 1x", hmap, R, 1, {}, {96, 96}, {160, 96}, {96, 96}, {160, 96}},
            // The pending object follows the pointer, the right button turns it instead,
            // and a left release inside the map places it.
            {"object L 2x", object, L, 2, {200, 100}, {100, 60}, {141, 61}, {155, 82}, {175, 82}},
            {"object R 1x", object, R, 1, {}, {100, 100}, {60, 140}, {100, 100}, {60, 140}},
            {"object L out", object, L, 1, {}, {100, 100}, {-3, 100}, {100, 100}, {-3, 100}},
        };
        view->hide(); // only the program's windows take the pointer
        ShellApp shell;
        for (const Row& row : rows) {
            QVERIFY(shell.start());
            Editor& e = shell.editor();
            show_at(shell, row.zoom, row.bars);
            shell.click(row.tool);
            QWidget* client = shell.view_client();
            const bool is_left = row.button == Qt::LeftButton;
            const int count = e.track.object_count;
            hover(client, row.from);
            if (row.tool == id::tool_object) {
                QVERIFY2(pending_at(e) == QPointF(row.map_from), row.name);
            }
            const Object pending = e.track.objects[count];
            auto heights = e.track.heights;

            QTest::mousePress(client, row.button, {}, row.from);
            QVERIFY2(e.gesture.button_down == 1, row.name);
            QVERIFY2(QPointF(e.gesture.anchor_x, e.gesture.anchor_y) == QPointF(row.map_from),
                     row.name);
            if (row.tool == id::tool_kerb) {
                const int cell = row.map_from.y() * 512 + row.map_from.x();
                QVERIFY2(e.track.land[cell] == (is_left ? white_line : yellow_line), row.name);
            } else if (row.tool == id::tool_hmap_adjust) {
                QVERIFY2(raised_most(heights, e.track.heights, is_left) ==
                             nearest_sample(row.map_from),
                         row.name);
                heights = e.track.heights;
            }

            QTest::mouseMove(client, row.to); // with the button held
            if (row.tool == id::tool_kerb) {
                const QPointF step(is_left ? 7 : 10, 0);
                QVERIFY2(QPointF(e.gesture.anchor_x, e.gesture.anchor_y) ==
                             QPointF(row.map_from) + step,
                         row.name);
            } else if (row.tool == id::tool_hmap_adjust) {
                QVERIFY2(raised_most(heights, e.track.heights, is_left) ==
                             nearest_sample(row.map_to),
                         row.name);
            } else {
                QVERIFY2(pending_at(e) == QPointF(is_left ? row.map_to : row.map_from), row.name);
                QVERIFY2((e.track.objects[count].angle != pending.angle) == !is_left, row.name);
            }

            QTest::mouseRelease(client, row.button, {}, row.to);
            QVERIFY2(e.gesture.button_down == 0, row.name);
            // The first kind of the list is Start: it takes the place of the oldest.
            const bool placed = row.tool == id::tool_object && is_left && row.map_to.x() >= 0;
            const Object* first = e.track.objects.data();
            const auto there =
                std::count_if(first, first + e.track.object_count, [&](const Object& o) {
                    return QPointF(o.x, o.y) == QPointF(row.map_to);
                });
            QVERIFY2(there == (placed ? 1 : 0), row.name);
        }
    }

    // A move over the panel itself, beside the view, reaches the core as a move of the
    // view at the pointer's place relative to the view's left edge, mapped as the view
    // maps its own: the pending object follows it out of the map.
    void movesOverThePanelAreTakenRelativeToTheView() {
        struct Row {
            const char* name;
            int zoom;
            QPoint bars;
            QPoint map; // of the point 3 pixels left of the view, 200 down
        };
        const Row rows[] = {
            {"1x", 1, {}, {-3, 200}},
            // 105 + -3 / 2 (toward zero) across, 52 + 200 / 2 down.
            {"2x", 2, {200, 100}, {104, 152}},
        };
        view->hide();
        ShellApp shell;
        for (const Row& row : rows) {
            QVERIFY(shell.start());
            show_at(shell, row.zoom, row.bars);
            shell.click(id::tool_object);
            Panel& panel = shell.panel();
            const QPoint at(panel.view_left() - 3, 200);
            QVERIFY2(panel.childAt(at) == nullptr, row.name);
            hover(&panel, at);
            QVERIFY2(pending_at(shell.editor()) == QPointF(row.map), row.name);
        }
    }

    // The wheel over the picture: one notch is one line (10) of a bar at 2x and 4x, up and
    // down or, with Shift or sideways, across; small steps add up to notches. Ctrl+wheel
    // steps the magnification through the Zoom boxes and keeps the map point under the
    // pointer where the bars reach. The positions are worked out for the default style's
    // 14-pixel bars on the offscreen platform: client 498 at 2x and 4x, 512 at 1x; a position s
    // shows the image from (526 s / 1000) at 2x and (1550 s / 4000) at 4x.
    void wheelScrollsAndZooms() {
        QCOMPARE(extent(), 14);
        const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier,
                                    ctrl = Qt::ControlModifier;
        const Qt::MouseButtons left = Qt::LeftButton;
        using Turns = std::vector<QPoint>; // angle deltas, one event each
        const Turns down{{0, -120}}, up{{0, 120}}, trackpad_down(4, {0, -30});
        const Turns wavering{{0, -90}, {0, 30}, {0, -90}};
        struct Row {
            const char* name;
            int zoom;
            QPoint bars; // positions before
            Turns turns;
            Qt::KeyboardModifiers modifiers;
            int zoom_after;
            QPoint bars_after;
            bool accepted;
            QPoint at{100, 100};     // the pointer
            bool point_kept = false; // the map point under the pointer stays there
            Qt::MouseButtons held = Qt::NoButton;
        };
        const Row rows[] = {
            {"down at 2x", 2, {200, 200}, down, none, 2, {200, 210}, true},
            {"up at 4x", 4, {200, 200}, up, none, 4, {200, 190}, true},
            {"Shift+down at 2x", 2, {200, 200}, down, shift, 2, {210, 200}, true},
            {"sideways at 4x", 4, {200, 200}, {{120, 0}}, none, 4, {190, 200}, true},
            {"two notches to the end", 2, {200, 495}, {{0, -240}}, none, 2, {200, 501}, true},
            {"down at 1x", 1, {0, 0}, down, none, 1, {0, 0}, false},
            {"trackpad 4 x 30", 2, {200, 200}, trackpad_down, none, 2, {200, 210}, true},
            {"trackpad 3 x 30", 2, {200, 200}, Turns(3, {0, -30}), none, 2, {200, 200}, true},
            {"trackpad back and forth", 2, {200, 200}, wavering, none, 2, {200, 200}, true},
            // Map point (300, 200); at 2x it needs offsets 150 and 100.
            {"Ctrl+up at 1x", 1, {0, 0}, up, ctrl, 2, {286, 191}, true, {300, 200}, true},
            // Map point (150, 100); at 4x offsets 75 and 50.
            {"Ctrl+up at 2x", 2, {0, 0}, up, ctrl, 4, {194, 130}, true, {300, 200}, true},
            // Offsets 193: map point (243, 218); at 2x offsets 143 and 168.
            {"Ctrl+down at 4x", 4, {500, 500}, down, ctrl, 2, {272, 320}, true, {200, 100}, true},
            // Map point (100, 75) would need offsets -100 and -75: the bars stay at their start.
            {"Ctrl+down at 4x, top left", 4, {0, 0}, down, ctrl, 2, {0, 0}, true, {400, 300}},
            {"Ctrl+down at 2x", 2, {200, 200}, down, ctrl, 1, {0, 0}, true},
            {"Ctrl+up at 4x", 4, {200, 200}, up, ctrl, 4, {200, 200}, true},
            // A gesture's map positions must not move under it.
            {"held, down at 2x", 2, {200, 200}, down, none, 2, {200, 200}, false, {}, false, left},
            {"held, Ctrl+up at 1x", 1, {0, 0}, up, ctrl, 1, {0, 0}, false, {}, false, left},
        };
        for (const Row& row : rows) {
            cleanup();
            init();
            set_zoom_2x(*editor, row.zoom == 2, true);
            set_zoom_4x(*editor, row.zoom == 4, true);
            view_scroll(*editor, ScrollBar::horizontal, ScrollRequest::thumb_position,
                        row.bars.x());
            view_scroll(*editor, ScrollBar::vertical, ScrollRequest::thumb_position, row.bars.y());
            const auto under = [&] {
                const MapPosition p =
                    map_mouse_position(editor->view, view->client_size(), row.at.x(), row.at.y());
                return QPoint(p.x, p.y);
            };
            const QPoint before = under();
            bool accepted = false;
            for (const QPoint& turn : row.turns) {
                QWheelEvent e(row.at, view->client()->mapToGlobal(row.at), {}, turn, row.held,
                              row.modifiers, Qt::NoScrollPhase, false);
                QApplication::sendEvent(view->client(), &e);
                accepted = e.isAccepted();
            }
            const ViewState& after = editor->view;
            const QPoint scrolled(after.scroll_h, after.scroll_v);
            QVERIFY2(magnification(after) == row.zoom_after, row.name);
            QVERIFY2(ui->check_of(id::zoom_2x) == (row.zoom_after == 2), row.name);
            QVERIFY2(ui->check_of(id::zoom_4x) == (row.zoom_after == 4), row.name);
            QVERIFY2(scrolled == row.bars_after,
                     qPrintable(
                         QString("%1: %2, %3").arg(row.name).arg(scrolled.x()).arg(scrolled.y())));
            if (row.zoom_after > 1) {
                const QPoint bars(bar(ScrollBar::horizontal)->value(),
                                  bar(ScrollBar::vertical)->value());
                QVERIFY2(bars == row.bars_after, row.name);
            }
            QVERIFY2(accepted == row.accepted, row.name);
            QVERIFY2(!row.point_kept || under() == before, row.name);
        }
    }

    void cursorFileOrCrossHair() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto load = [&](const QByteArray& bytes) {
            QFile file(dir.filePath("coursesmith.cur"));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                qFatal("cannot write the cursor file");
            }
            file.close();
            return load_editor_cursor(file.fileName());
        };

        const QCursor white = load(cursor_file(white_bitmap(), 32, 5, 7));
        QCOMPARE(white.shape(), Qt::BitmapCursor);
        QCOMPARE(white.hotSpot(), QPoint(5, 7));
        QCOMPARE(white.pixmap().size(), QSize(32, 32));
        QCOMPARE(white.pixmap().toImage().pixel(31, 31), QColor(Qt::white).rgb());

        QImage picture(48, 48, QImage::Format_ARGB32);
        picture.fill(QColor(200, 0, 0, 128));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
        const QCursor from_png = load(cursor_file(png, 48, 3, 4));
        QCOMPARE(from_png.shape(), Qt::BitmapCursor);
        QCOMPARE(from_png.hotSpot(), QPoint(3, 4));
        QCOMPARE(from_png.pixmap().size(), QSize(48, 48));

        // A PNG whose header passes but whose stream does not decode, a damaged bitmap,
        // no file and a folder all give the cross-hair.
        QCOMPARE(load(cursor_file(png.left(40), 48, 3, 4)).shape(), Qt::CrossCursor);
        QCOMPARE(load(cursor_file(white_bitmap().left(100), 32, 5, 7)).shape(), Qt::CrossCursor);
        QCOMPARE(load_editor_cursor(dir.filePath("missing.cur")).shape(), Qt::CrossCursor);
        QCOMPARE(load_editor_cursor(dir.path()).shape(), Qt::CrossCursor);
    }
};

} // namespace cs

QTEST_MAIN(cs::ViewTest)
#include "view_test.moc"
