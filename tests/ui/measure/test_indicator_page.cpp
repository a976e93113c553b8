#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "ui/common/CGauge.h"
#include "ui/common/ValueLabel.h"
#include "ui/measure/IndicatorPage.h"

using namespace kx;

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kBlack{0x00, 0x00, 0x00};
const QColor kMaroon{0x80, 0x00, 0x00};

} // namespace

// The indicator tab "Wskaźniki" on its own: its controls, their looks and places.
class TestIndicatorPage : public QObject
{
    Q_OBJECT

private slots:
    void indicatorControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        const QString dashes = QStringLiteral("-------------");
        QTest::newRow("Y field") << "YField"
                                 << "kx::ValueLabel" << dashes;
        QTest::newRow("X1 field") << "X1Field"
                                  << "kx::ValueLabel" << dashes;
        QTest::newRow("X2 field") << "X2Field"
                                  << "kx::ValueLabel" << dashes;
        for (const char* gauge : {"CGauge1", "CGauge2", "CGauge3", "CGauge4", "CGauge5"})
            QTest::newRow(gauge) << gauge << "kx::CGauge" << QString();
        for (const char* box : {"Aktywny_Y", "Aktywny_X1", "Aktywny_X2"})
            QTest::newRow(box) << box << "QCheckBox"
                               << "Aktywny";
        QTest::newRow("PK1") << "IndicatorPK1"
                             << "QLabel"
                             << "PK1";
        QTest::newRow("PK2") << "IndicatorPK2"
                             << "QLabel"
                             << "PK2";
        QTest::newRow("START") << "ButtonStart"
                               << "QPushButton"
                               << "START";
        QTest::newRow("STOP") << "ButtonStop"
                              << "QPushButton"
                              << "STOP";
        QTest::newRow("PAUSE") << "ButtonPause"
                               << "QPushButton"
                               << "PAUSE";
        QTest::newRow("sampling period") << "SamplingPeriod"
                                         << "QSpinBox" << QString();
        QTest::newRow("continuous sampling")
            << "ContinuousSampling"
            << "QCheckBox" << QString::fromUtf8("Próbkowanie ciągłe:");
        QTest::newRow("period display") << "Label67"
                                        << "kx::ValueLabel" << QString();
        QTest::newRow("period unit") << "PeriodUnit"
                                     << "QLabel"
                                     << "[ms]";
        QTest::newRow("time") << "TimeLabel"
                              << "kx::ValueLabel" << QString();
        QTest::newRow("rate") << "RateLabel"
                              << "kx::ValueLabel" << QString();
        QTest::newRow("group Y") << "GroupBoxY"
                                 << "QGroupBox" << QString::fromUtf8("Y (wartość mierzona)");
        QTest::newRow("group X1") << "GroupBoxX1"
                                  << "QGroupBox" << QString::fromUtf8("X1 (kanał 1)");
        QTest::newRow("group X2") << "GroupBoxX2"
                                  << "QGroupBox" << QString::fromUtf8("X2 (kanał 2)");
        QTest::newRow("group outputs") << "GroupBoxOutputStates"
                                       << "QGroupBox" << QString::fromUtf8("Stan wyjść");
        QTest::newRow("group reading") << "GroupBoxReading"
                                       << "QGroupBox"
                                       << "Odczyt";
        QTest::newRow("group sampling") << "GroupBoxSampling"
                                        << "QGroupBox" << QString::fromUtf8("Próbkowanie");
    }

    void indicatorControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        IndicatorPage page;
        checkNamedControl(page, name, className, text);
    }

    void indicatorControlsSitInTheirGroups()
    {
        IndicatorPage page;
        auto* yBar = child<CGauge>(page, "CGauge1");
        auto* x1Active = child<QCheckBox>(page, "Aktywny_X1");
        auto* x2Field = child<ValueLabel>(page, "X2Field");
        auto* period = child<QSpinBox>(page, "SamplingPeriod");
        auto* sampling = child<QGroupBox>(page, "GroupBoxSampling");
        auto* time = child<ValueLabel>(page, "TimeLabel");
        QVERIFY(yBar && x1Active && x2Field && period && sampling && time);
        // Each channel's controls sit in that channel's group.
        QCOMPARE(yBar->parentWidget()->objectName(), QString("GroupBoxY"));
        QCOMPARE(x1Active->parentWidget()->objectName(), QString("GroupBoxX1"));
        QCOMPARE(x2Field->parentWidget()->objectName(), QString("GroupBoxX2"));
        QCOMPARE(period->parentWidget(), sampling);
        QVERIFY(!sampling->isAncestorOf(time));
    }

    void fieldLooks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("text");
        QTest::newRow("Y red") << "YField" << kRed;
        QTest::newRow("X1 lime") << "X1Field" << kLime;
        QTest::newRow("X2 aqua") << "X2Field" << kAqua;
    }

    void fieldLooks()
    {
        QFETCH(QString, name);
        QFETCH(QColor, text);
        IndicatorPage page;
        auto* field = page.findChild<ValueLabel*>(name);
        QVERIFY(field);
        QCOMPARE(field->palette().color(QPalette::WindowText), text);
        QCOMPARE(field->palette().color(QPalette::Window), kBlack);
        QVERIFY(field->autoFillBackground());
        QVERIFY(field->font().bold());
    }

    void yFieldIs48PixelBold()
    {
        IndicatorPage page;
        auto* field = child<ValueLabel>(page, "YField");
        QVERIFY(field);
        QCOMPARE(field->font().pixelSize(), 48);
        QVERIFY(field->font().bold());
    }

    void gaugeColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("fore");
        QTest::addColumn<QColor>("back");
        QTest::newRow("Y bar") << "CGauge1" << kRed << kBlack;
        QTest::newRow("X1 bar") << "CGauge2" << kLime << kBlack;
        QTest::newRow("X2 bar") << "CGauge3" << kAqua << kBlack;
        QTest::newRow("right half-bar") << "CGauge4" << kRed << kBlack;
        QTest::newRow("left half-bar, swapped") << "CGauge5" << kBlack << kRed;
    }

    void gaugeColours()
    {
        QFETCH(QString, name);
        IndicatorPage page;
        auto* gauge = page.findChild<CGauge*>(name);
        QVERIFY(gauge);
        QTEST(gauge->foreColor(), "fore");
        QTEST(gauge->backColor(), "back");
        QCOMPARE(gauge->maxValue(), 100);
    }

    void leftHalfBarGrowsFromItsRightEdge()
    {
        // A bar fed max − value with its colours swapped shows value in red from the right.
        IndicatorPage page;
        auto* leftHalf = child<CGauge>(page, "CGauge5");
        QVERIFY(leftHalf);
        CGauge left;
        left.setForeColor(leftHalf->foreColor());
        left.setBackColor(leftHalf->backColor());
        left.resize(102, 12);
        left.setProgress(100 - 30);
        const QImage image = left.grab().toImage();
        QCOMPARE(image.pixelColor(95, 6), kRed);
        QCOMPARE(image.pixelColor(10, 6), kBlack);
    }

    void halfBarsMeetSideBySide()
    {
        auto* page = new IndicatorPage;
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        auto* leftHalf = child<CGauge>(page, "CGauge5");
        auto* rightHalf = child<CGauge>(page, "CGauge4");
        auto* yBar = child<CGauge>(page, "CGauge1");
        auto* yField = child<ValueLabel>(page, "YField");
        QVERIFY(leftHalf && rightHalf && yBar && yField);
        const QRect left = leftHalf->geometry();
        const QRect right = rightHalf->geometry();
        QCOMPARE(left.y(), right.y());
        QVERIFY(left.right() < right.left());
        QVERIFY2(right.left() - left.right() <= 8, "the half-bars must meet at one line");
        QVERIFY(yBar->geometry().bottom() < left.top());
        QVERIFY(yField->geometry().bottom() < yBar->geometry().top());
    }

    void indicatorInitialState()
    {
        IndicatorPage page;
        for (const char* name : {"Aktywny_Y", "Aktywny_X1", "Aktywny_X2", "ContinuousSampling"}) {
            auto* box = child<QCheckBox>(page, name);
            QVERIFY(box);
            QVERIFY2(!box->isChecked(), name);
        }
        for (const char* name : {"IndicatorPK1", "IndicatorPK2"}) {
            auto* pk = child<QLabel>(page, name);
            QVERIFY(pk);
            QCOMPARE(pk->palette().color(QPalette::Window), kMaroon);
        }
        auto* periodDisplay = child<ValueLabel>(page, "Label67");
        auto* periodUnit = child<QLabel>(page, "PeriodUnit");
        QVERIFY(periodDisplay && periodUnit);
        QVERIFY(periodDisplay->isHidden());
        QVERIFY(periodUnit->isHidden());
    }

    void outputIndicatorFollowsTheOutput()
    {
        IndicatorPage page;
        auto* pk1 = child<QLabel>(page, "IndicatorPK1");
        auto* pk2 = child<QLabel>(page, "IndicatorPK2");
        QVERIFY(pk1 && pk2);
        page.setOutputs(false, true);
        QCOMPARE(pk2->palette().color(QPalette::Window), kLime);
        QCOMPARE(pk1->palette().color(QPalette::Window), kMaroon);
        page.setOutputs(false, false);
        QCOMPARE(pk2->palette().color(QPalette::Window), kMaroon);
    }

    void periodDisplayShowsWithItsUnit()
    {
        IndicatorPage page;
        auto* periodDisplay = child<ValueLabel>(page, "Label67");
        auto* periodUnit = child<QLabel>(page, "PeriodUnit");
        QVERIFY(periodDisplay && periodUnit);
        page.setPeriodDisplayVisible(true);
        QVERIFY(!periodDisplay->isHidden());
        QVERIFY(!periodUnit->isHidden());
        page.setPeriodDisplayVisible(false);
        QVERIFY(periodDisplay->isHidden());
        QVERIFY(periodUnit->isHidden());
    }

    // Until a settings file gives it, "próbkowanie co:" shows 0 (sampling takes it as 10 ms);
    // what the operator steps or types to stays within 10 … 10000000.
    void samplingPeriodRange()
    {
        IndicatorPage page;
        auto* period = child<QSpinBox>(page, "SamplingPeriod");
        QVERIFY(period);
        QCOMPARE(period->value(), 0);
        QCOMPARE(period->text(), QString("0"));
        QCOMPARE(page.sampling().periodMs, 0);
        page.setSampling({false, 0}); // a settings file that says 0
        QCOMPARE(period->value(), 0);
        QCOMPARE(period->maximum(), 10000000);
        QCOMPARE(period->singleStep(), 10);
    }

    void samplingPeriodSteps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("up from 0") << 0 << int(Qt::Key_Up) << 10;
        QTest::newRow("up from 10") << 10 << int(Qt::Key_Up) << 20;
        QTest::newRow("page up from 0") << 0 << int(Qt::Key_PageUp) << 100;
        QTest::newRow("down at 0") << 0 << int(Qt::Key_Down) << 0;
        QTest::newRow("down at 10") << 10 << int(Qt::Key_Down) << 10;
        QTest::newRow("down from 20") << 20 << int(Qt::Key_Down) << 10;
        QTest::newRow("page down from 50") << 50 << int(Qt::Key_PageDown) << 10;
        QTest::newRow("up at the greatest") << 10000000 << int(Qt::Key_Up) << 10000000;
    }

    void samplingPeriodSteps()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        IndicatorPage page;
        auto* period = child<QSpinBox>(page, "SamplingPeriod");
        QVERIFY(period);
        period->setValue(from);
        QCOMPARE(period->value(), from);
        QTest::keyClick(period, Qt::Key(key));
        QTEST(period->value(), "to");
    }

    // What is typed is corrected on leaving the field, 0 as well.
    void samplingPeriodTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("5") << "5" << 10;
        QTest::newRow("0") << "0" << 10;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("250") << "250" << 250;
    }

    void samplingPeriodTyped()
    {
        QFETCH(QString, typed);
        QFETCH(int, value);
        auto* page = new IndicatorPage;
        HostedPage host(page);
        host.tabs.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host.tabs));
        auto* period = child<QSpinBox>(page, "SamplingPeriod");
        auto* continuous = child<QCheckBox>(page, "ContinuousSampling");
        QVERIFY(period && continuous);
        period->setFocus();
        QTRY_VERIFY(period->hasFocus());
        auto* edit = period->findChild<QLineEdit*>();
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), typed);
        continuous->setFocus();
        QTRY_VERIFY(!period->hasFocus());
        QCOMPARE(period->value(), value);
        QCOMPARE(period->text(), QString::number(value));
        QCOMPARE(page->sampling().periodMs, value);
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* name;
            const char* expected;
        } rows[] = {
            {"YField", "Y (wartość mierzona)"},
            {"X1Field", "X1 (kanał 1)"},
            {"X2Field", "X2 (kanał 2)"},
            {"Aktywny_Y", "Aktywny"},
            {"IndicatorPK1", "PK1"},
            {"IndicatorPK2", "PK2"},
            {"ButtonStart", "START"},
            {"ButtonStop", "STOP"},
            {"ButtonPause", "PAUSE"},
            {"SamplingPeriod", "próbkowanie co:"},
            {"ContinuousSampling", "Próbkowanie ciągłe:"},
            {"TimeLabel", "czas [s]:"},
            {"RateLabel", "próbek na sekundę:"},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << QString::fromUtf8(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        IndicatorPage page;
        auto* control = page.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        auto* page = new IndicatorPage;
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        page->setPeriodDisplayVisible(true);
        checkFitsWithoutOverlap(page, 21);
    }
};

QTEST_MAIN(TestIndicatorPage)
#include "test_indicator_page.moc"
