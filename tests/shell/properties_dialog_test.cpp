// The properties dialog driven through its widgets: what it shows, what OK hands over,
// what Cancel keeps, and the stored-byte limits of the two edits.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>
#include <optional>

#include "resources/templates.h"
#include "shell/properties_dialog.h"
#include "shell/template_widgets.h"

namespace cs {
namespace {

// Types text key by key, including letters that QTest::keyClicks cannot send.
void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class PropertiesDialogTest : public QObject {
    Q_OBJECT
    std::unique_ptr<PropertiesDialog> dialog;
    std::optional<PropertiesValues> taken; // what on_ok received
    bool open_during_ok = false;

    PropertiesValues sample() const {
        PropertiesValues v;
        v.water_level = 70;
        v.view_angle = 45;
        v.rotation = -180;
        v.zoom = 105;
        v.world_size = 120;
        v.sf_line = true;
        v.track_length = 1234;
        v.author = "Zoë";
        v.comments = "first\nsecond";
        return v;
    }
    void open(const PropertiesValues& v) {
        taken.reset();
        dialog = std::make_unique<PropertiesDialog>(
            v,
            [this](const PropertiesValues& got) {
                taken = got;
                open_during_ok = dialog->isVisible();
            },
            nullptr);
        dialog->open();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    template <class T>
    T* control(int id) const {
        T* w = qobject_cast<T*>(dialog->control(id));
        if (w == nullptr || w != dialog->findChild<T*>(QString::number(id))) {
            qFatal("control %d missing", id);
        }
        return w;
    }
    QString label(int id) const { return control<QLabel>(id)->text(); }
    QLineEdit* author() const { return control<QLineEdit>(id::author_edit); }
    QPlainTextEdit* comments() const { return control<QPlainTextEdit>(id::comments_edit); }

  private slots:
    void cleanup() { dialog.reset(); }

    void showsTheValues() {
        open(sample());
        QCOMPARE(dialog->windowTitle(), QString("Track properties"));
        const int positions[] = {70, 45, -180, 105, 120};
        for (std::size_t i = 0; i < property_sliders.size(); ++i) {
            const PropertySlider& s = property_sliders[i];
            auto* slider = control<QSlider>(s.slider);
            QCOMPARE(slider->minimum(), s.minimum);
            QCOMPARE(slider->maximum(), s.maximum);
            QCOMPARE(slider->tickInterval(), s.tick_frequency);
            QCOMPARE(slider->value(), positions[i]);
            QCOMPARE(label(s.value_label), QString::number(positions[i]));
        }
        QCOMPARE(label(id::rotation_value), QString("-180"));
        QCOMPARE(control<QSlider>(id::water_level_slider)->tickPosition(), QSlider::TicksBelow);
        QVERIFY(control<QCheckBox>(id::sf_line_check)->isChecked());
        QCOMPARE(control<QCheckBox>(id::sf_line_check)->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(label(id::track_length_value), QString("1234"));
        QCOMPARE(author()->text(), QString("Zoë"));
        QCOMPARE(comments()->toPlainText(), QString("first\nsecond"));
        QVERIFY(control<QPushButton>(id::ok)->isDefault());
        QCOMPARE(control<QSlider>(id::zoom_slider)->accessibleName(), QString("Zoom"));

        // Laid out in dialog units: the sliders are wider than the value labels (80 / 30)
        // and OK sits left of Cancel on one line.
        const QRect ok = control<QPushButton>(id::ok)->geometry();
        const QRect cancel = control<QPushButton>(id::cancel)->geometry();
        QCOMPARE(ok.top(), cancel.top());
        QVERIFY(ok.right() < cancel.left());
        QVERIFY(control<QSlider>(id::zoom_slider)->width() >
                2 * control<QLabel>(id::zoom_value)->width());
        QVERIFY(dialog->rect().contains(cancel));
    }

    // Dialog units round to the nearest pixel (1.75, 1.625, 5.25 and 8.125 pixels here); a
    // label 8 units high is one line of the font; the value labels are centred.
    void placedInDialogUnits() {
        QCOMPARE((DialogUnits{7, 13}.to_pixels({1, 1, 3, 5})), QRect(2, 2, 5, 8));
        open(sample());
        auto* value = control<QLabel>(id::zoom_value);
        QCOMPARE(value->height(), QFontMetrics(dialog->font()).height());
        QCOMPARE(value->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    }

    void okHandsOverWhatTheControlsHold() {
        open(sample());
        auto* rotation = control<QSlider>(id::rotation_slider);
        rotation->setFocus();
        QTest::keyClick(rotation, Qt::Key_Right);
        QCOMPARE(label(id::rotation_value), QString("-179")); // follows the slider live
        control<QSlider>(id::world_size_slider)->setValue(255);
        QTest::mouseClick(control<QCheckBox>(id::sf_line_check), Qt::LeftButton);
        author()->selectAll();
        QTest::keyClicks(author(), "Ann");
        comments()->moveCursor(QTextCursor::End);
        QTest::keyClick(comments(), Qt::Key_Return); // a new line, not OK
        QVERIFY(dialog->isVisible());
        QTest::keyClicks(comments(), "third");

        QTest::mouseClick(control<QPushButton>(id::ok), Qt::LeftButton);
        QVERIFY(taken.has_value());
        QVERIFY(open_during_ok);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(taken->water_level, 70);
        QCOMPARE(taken->rotation, -179);
        QCOMPARE(taken->world_size, 255);
        QCOMPARE(taken->sf_line, false);
        QCOMPARE(taken->track_length, 1234);
        QCOMPARE(taken->author, std::string("Ann"));
        QCOMPARE(taken->comments, std::string("first\nsecond\nthird"));
    }

    void cancelEscapeAndCloseTakeNothing() {
        for (int way = 0; way < 3; ++way) {
            open(sample());
            control<QSlider>(id::water_level_slider)->setValue(200);
            if (way == 0) {
                QTest::mouseClick(control<QPushButton>(id::cancel), Qt::LeftButton);
            } else if (way == 1) {
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            } else {
                dialog->close();
            }
            QVERIFY2(!taken.has_value(), qPrintable(QString::number(way)));
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
            QVERIFY(!dialog->isVisible());
        }
    }

    void enterInTheAuthorPressesOk() {
        open(sample());
        author()->setFocus();
        QTest::keyClick(author(), Qt::Key_Return);
        QVERIFY(taken.has_value());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void authorHoldsThirtyStoredBytes() {
        PropertiesValues v = sample();
        v.author = "";
        open(v);
        // "é" is two bytes of UTF-8 but one stored byte.
        type(author(), QString("é") + QString(28, 'a'));
        QTest::keyClicks(author(), "bcd");
        QCOMPARE(author()->text(), QString("é") + QString(28, 'a') + "b");
        // Pasting in the middle keeps only what fits, and the rest of the text.
        author()->setText(QString(25, 'x'));
        author()->setCursorPosition(10);
        author()->insert("0123456789");
        QCOMPARE(author()->text(), QString(10, 'x') + "01234" + QString(15, 'x'));
        QCOMPARE(author()->cursorPosition(), 15);
        QTest::mouseClick(control<QPushButton>(id::ok), Qt::LeftButton);
        QCOMPARE(taken->author.size(), std::size_t{30});
    }

    void commentsHoldFiveHundredStoredBytes() {
        // A line break is stored as two bytes: 497 letters and one break make 499.
        PropertiesValues v = sample();
        v.comments = std::string(248, 'a') + "\n" + std::string(248, 'b') + "é";
        open(v);
        comments()->moveCursor(QTextCursor::End);
        QTest::keyClick(comments(), Qt::Key_Return); // would make 501
        QCOMPARE(comments()->toPlainText(), QString::fromStdString(v.comments));
        QTest::keyClicks(comments(), "ZY"); // one fits
        QCOMPARE(comments()->toPlainText(), QString::fromStdString(v.comments) + "Z");

        comments()->setPlainText(QString(498, 'c'));
        comments()->moveCursor(QTextCursor::End);
        QTest::keyClick(comments(), Qt::Key_Return); // exactly 500
        QCOMPARE(comments()->toPlainText(), QString(498, 'c') + "\n");
        QTest::mouseClick(control<QPushButton>(id::ok), Qt::LeftButton);
        QCOMPARE(taken->comments, std::string(498, 'c') + "\n");
    }
};

} // namespace cs

QTEST_MAIN(cs::PropertiesDialogTest)
#include "properties_dialog_test.moc"
