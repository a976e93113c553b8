#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>

#include <cstdint>
#include <limits>

#include "core/chart/LineSettings.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/ToolWindow.h"

using namespace kx;

Q_DECLARE_METATYPE(kx::LineSettings)

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestLineWindow : public QObject
{
    Q_OBJECT

private slots:
    void lineWindow()
    {
        LineSettings stored{};
        TKonigLiniiForm window(stored);
        QCOMPARE(window.objectName(), QString("KonigLiniiForm"));
        QCOMPARE(window.windowTitle(), QString("Konfiguracja linii wyjsc na wykresie"));
        QVERIFY(qobject_cast<ToolWindow*>(&window));
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(window.size(), QSize(460, 182));
        QVERIFY(window.okButton());
        QCOMPARE(window.okButton()->text(), QString("OK"));
        QCOMPARE(window.heightField(-1), nullptr);
        QCOMPARE(window.offsetField(4), nullptr);
    }

    void lineFields_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("height");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("initial");
        const int offsets[] = {0, 75, 150, 225};
        for (int n = 0; n < 4; ++n) {
            QTest::addRow("PK%d H", n + 1) << n << true << QString("PK%1_H").arg(n + 1) << 50;
            QTest::addRow("PK%d F", n + 1)
                << n << false << QString("PK%1_F").arg(n + 1) << offsets[n];
        }
    }

    void lineFields()
    {
        QFETCH(int, output);
        QFETCH(bool, height);
        QFETCH(QString, name);
        QFETCH(int, initial);
        LineSettings stored{};
        TKonigLiniiForm window(stored);
        QSpinBox* field = height ? window.heightField(output) : window.offsetField(output);
        QVERIFY(field);
        QCOMPARE(field->objectName(), name);
        QCOMPARE(window.findChild<QSpinBox*>(name), field);
        QCOMPARE(field->value(), initial);
        QCOMPARE(field->singleStep(), 1);
        QCOMPARE(field->minimum(), kMin);
        QCOMPARE(field->maximum(), kMax);
        QCOMPARE(accessibleName(field), height ? u("wysokość H=") : u("offset      F="));
        auto* group = qobject_cast<QGroupBox*>(field->parentWidget());
        QVERIFY(group);
        QCOMPARE(group->title(), QString("PK%1").arg(output + 1));
    }

    void lineSettingsRoundTrip_data()
    {
        QTest::addColumn<LineSettings>("values");
        QTest::newRow("as created") << LineSettings{50, 0, 50, 75, 50, 150, 50, 225};
        QTest::newRow("without a settings file") << LineSettings{};
        QTest::newRow("each distinct") << LineSettings{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("below zero") << LineSettings{-50, -1, -2, -300, 0, -7, -8, -9};
        QTest::newRow("32-bit extremes") << LineSettings{kMax, kMin, kMin, kMax, 0, kMax, kMin, 1};
    }

    void lineSettingsRoundTrip()
    {
        QFETCH(LineSettings, values);
        LineSettings stored{};
        TKonigLiniiForm window(stored);
        window.setLineSettings(values);
        QCOMPARE(window.lineSettings(), values);
        // The order is PK1 H, PK1 F, PK2 H, PK2 F, …: each value lands in its named field.
        for (int n = 0; n < 4; ++n) {
            QCOMPARE(window.findChild<QSpinBox*>(QString("PK%1_H").arg(n + 1))->value(),
                     values[static_cast<size_t>(2 * n)]);
            QCOMPARE(window.findChild<QSpinBox*>(QString("PK%1_F").arg(n + 1))->value(),
                     values[static_cast<size_t>(2 * n + 1)]);
        }
    }

    void windowEditsTheStoredSettings()
    {
        LineSettings stored{1, 2, 3, 4, 5, 6, 7, 8};
        TKonigLiniiForm window(stored);
        auto* pk2Offset = child<QSpinBox>(window, "PK2_F");
        QVERIFY(pk2Offset);
        // Showing the window puts the stored values into the fields.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.lineSettings(), stored);
        // A field's change reaches the stored values at once, without OK.
        QTest::keyClick(pk2Offset, Qt::Key_Up);
        QCOMPARE(pk2Offset->value(), 5);
        QCOMPARE(stored, (LineSettings{1, 2, 3, 5, 5, 6, 7, 8}));
        const LineSettings set{-1, -2, -3, -4, -5, -6, -7, -8};
        window.setLineSettings(set);
        QCOMPARE(stored, set);
        // Values stored while the window was hidden show the next time it opens.
        window.close();
        stored[0] = 99;
        window.show();
        QCOMPARE(window.heightField(0)->value(), 99);
        QTest::mouseClick(window.okButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(stored, (LineSettings{99, -2, -3, -4, -5, -6, -7, -8}));
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PK3_H") << "PK3_H" << u("wysokość H=");
        QTest::newRow("PK3_F") << "PK3_F" << u("offset      F=");
        QTest::newRow("ButtonOK") << "ButtonOK" << u("OK");
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        LineSettings stored{};
        TKonigLiniiForm window(stored);
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        LineSettings stored{};
        TKonigLiniiForm window(stored);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        checkFitsWithoutOverlap(&window, 9);
    }
};

QTEST_MAIN(TestLineWindow)
#include "test_line_window.moc"
