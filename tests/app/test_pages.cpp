#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <memory>

#include "ui/device/DevicePage.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/common/CGauge.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

const QColor kRed{0xFF, 0x00, 0x00};
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};
const QColor kBlack{0x00, 0x00, 0x00};
const QColor kMaroon{0x80, 0x00, 0x00};

QWidget* makePage(const QString& which)
{
    if (which == "device")
        return new DevicePage;
    return new IndicatorPage;
}

} // namespace

class TestPages : public QObject
{
    Q_OBJECT

private slots:
    // --- CGauge -------------------------------------------------------------------------

    void gaugeClampsProgress_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expectedMaximum");
        QTest::addColumn<int>("expectedProgress");
        QTest::newRow("inside the range") << 100 << 42 << 100 << 42;
        QTest::newRow("at the maximum") << 100 << 100 << 100 << 100;
        QTest::newRow("beyond the maximum") << 100 << 250 << 100 << 100;
        QTest::newRow("below zero") << 100 << -5 << 100 << 0;
        QTest::newRow("zero maximum holds only zero") << 0 << 10 << 0 << 0;
        QTest::newRow("negative maximum counts as zero") << -20 << 10 << 0 << 0;
        QTest::newRow("range of |D x 100|") << 2000000000 << 1999999999 << 2000000000 << 1999999999;
    }

    void gaugeClampsProgress()
    {
        QFETCH(int, maximum);
        QFETCH(int, value);
        CGauge gauge;
        gauge.setMaxValue(maximum);
        gauge.setProgress(value);
        QTEST(gauge.maxValue(), "expectedMaximum");
        QTEST(gauge.progress(), "expectedProgress");
    }

    void gaugeStartsAtHundred()
    {
        CGauge gauge;
        QCOMPARE(gauge.maxValue(), 100);
        QCOMPARE(gauge.progress(), 0);
    }

    void loweringTheMaximumClampsTheProgressAgain()
    {
        CGauge gauge;
        gauge.setProgress(80);
        gauge.setMaxValue(50);
        QCOMPARE(gauge.progress(), 50);
        // Raising it again does not bring the old position back.
        gauge.setMaxValue(200);
        QCOMPARE(gauge.progress(), 50);
        gauge.setMaxValue(-1);
        QCOMPARE(gauge.maxValue(), 0);
        QCOMPARE(gauge.progress(), 0);
    }

    void gaugePaintsTheFilledFraction_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("filled");
        // The gauge is 102 pixels wide: a 1-pixel border around 100 pixels of bar.
        QTest::newRow("30 of 100, inside the fill") << 100 << 30 << 15 << true;
        QTest::newRow("30 of 100, beyond the fill") << 100 << 30 << 60 << false;
        QTest::newRow("full, right end") << 100 << 100 << 99 << true;
        QTest::newRow("empty, left end") << 100 << 0 << 2 << false;
        QTest::newRow("zero maximum fills nothing") << 0 << 0 << 50 << false;
        QTest::newRow("large range, first half") << 2000000000 << 1000000000 << 25 << true;
        QTest::newRow("large range, second half") << 2000000000 << 1000000000 << 75 << false;
    }

    void gaugePaintsTheFilledFraction()
    {
        QFETCH(int, maximum);
        QFETCH(int, progress);
        QFETCH(int, x);
        QFETCH(bool, filled);
        CGauge gauge;
        gauge.setForeColor(kLime);
        gauge.setBackColor(kBlack);
        gauge.resize(102, 12);
        gauge.setMaxValue(maximum);
        gauge.setProgress(progress);
        const QImage image = gauge.grab().toImage();
        QCOMPARE(image.pixelColor(x, 6), filled ? kLime : kBlack);
        // The border is neither of the two colours.
        const QColor border = image.pixelColor(0, 6);
        QVERIFY(border != kLime && border != kBlack);
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

    // --- IndicatorPage ------------------------------------------------------------------

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

    void samplingPeriodRange()
    {
        IndicatorPage page;
        auto* period = child<QSpinBox>(page, "SamplingPeriod");
        QVERIFY(period);
        QCOMPARE(period->minimum(), 10);
        QCOMPARE(period->maximum(), 10000000);
        QCOMPARE(period->singleStep(), 10);
    }

    // --- DevicePage ---------------------------------------------------------------------

    void deviceControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        const struct
        {
            const char* name;
            const char* text;
        } boxes[] = {
            {"Edit6", "0"},           {"Edit7", "0"},           {"Edit5", "0"},
            {"Edit8", "0"},           {"Edit10", "0"},          {"Edit4", "0"},
            {"Edit9", "0"},           {"Edit14", "0"},          {"Edit12", "10"},
            {"Edit13", "10"},         {"Edit15", "0"},          {"Edit18", "0"},
            {"Edit16", "0"},          {"Edit17", "0"},          {"Edit19", "----------"},
            {"Edit20", "----------"}, {"Edit21", "----------"},
        };
        for (const auto& b : boxes)
            QTest::newRow(b.name) << b.name << "QLineEdit" << b.text;
        QTest::newRow("mode combo shows no item") << "ComboBox1"
                                                  << "QComboBox" << QString();
        QTest::newRow("Beep") << "CheckBox15"
                              << "QCheckBox" << QString::fromUtf8("włącz sygnalizowanie dźwiękiem");
        QTest::newRow("10 V") << "RadioButton1"
                              << "QRadioButton"
                              << "0...10V";
        QTest::newRow("5 V") << "RadioButton2"
                             << "QRadioButton"
                             << "0...5V";
        QTest::newRow("LED arrows") << "UpDown1"
                                    << "QSpinBox" << QString();
        QTest::newRow("decp arrows") << "UpDown4"
                                     << "QSpinBox" << QString();
        QTest::newRow("restore, with its blanks")
            << "BitBtn3"
            << "QPushButton" << QString::fromUtf8("   Przywróć ustawienia domyślne");
        QTest::newRow("connection, with its blanks")
            << "BitBtn13"
            << "QPushButton" << QString::fromUtf8("   Połączenie...");
        QTest::newRow("type") << "Label63"
                              << "kx::ValueLabel"
                              << "(brak)";
        QTest::newRow("version") << "Label64"
                                 << "kx::ValueLabel"
                                 << "(brak)";
        QTest::newRow("status") << "Label66"
                                << "kx::ValueLabel"
                                << "(brak)";
        QTest::newRow("sensor count") << "SensorCount"
                                      << "kx::ValueLabel"
                                      << "(brak)";
        QTest::newRow("field 1 min") << "Label41"
                                     << "QLabel"
                                     << "min";
        QTest::newRow("field 1 max") << "Label42"
                                     << "QLabel"
                                     << "max";
        QTest::newRow("field 2 max") << "Label55"
                                     << "QLabel"
                                     << "max";
        QTest::newRow("field 2 min") << "Label56"
                                     << "QLabel"
                                     << "min";
        QTest::newRow("group outputs") << "GroupBoxOutputModes"
                                       << "QGroupBox" << QString::fromUtf8("Tryb pracy wyjść");
        QTest::newRow("group Led") << "GroupBoxLed"
                                   << "QGroupBox"
                                   << "Led";
        QTest::newRow("group decp") << "GroupBoxDecp"
                                    << "QGroupBox"
                                    << "decp";
        QTest::newRow("group Beep") << "GroupBoxBeep"
                                    << "QGroupBox"
                                    << "Beep";
        QTest::newRow("group range") << "GroupBoxVoltageRange"
                                     << "QGroupBox" << QString::fromUtf8("zakres napięciowy");
        QTest::newRow("group picture") << "GroupBoxGeometry"
                                       << "QGroupBox"
                                       << "Mode:";
        QTest::newRow("group legend") << "GroupBoxLegend"
                                      << "QGroupBox"
                                      << "legenda";
    }

    void deviceControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, text);
        DevicePage page;
        checkNamedControl(page, name, className, text);
    }

    void editForMapsEachParameter_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("name");
        const struct
        {
            Param param;
            const char* name;
        } rows[] = {
            {Param::PK1, "Edit6"},    {Param::PK2, "Edit7"},     {Param::COEF, "Edit5"},
            {Param::OFFSET, "Edit8"}, {Param::filter, "Edit10"}, {Param::LED, "Edit4"},
            {Param::decp, "Edit9"},   {Param::D0, "Edit14"},     {Param::D1, "Edit12"},
            {Param::D2, "Edit13"},    {Param::a1, "Edit15"},     {Param::a2, "Edit18"},
            {Param::b1, "Edit16"},    {Param::b2, "Edit17"},     {Param::mode, ""},
            {Param::Beep, ""},        {Param::VoltageRange, ""},
        };
        for (const auto& r : rows)
            QTest::addRow("%d %s", int(r.param), r.name) << int(r.param) << r.name;
    }

    void editForMapsEachParameter()
    {
        QFETCH(int, param);
        QFETCH(QString, name);
        DevicePage page;
        QLineEdit* box = page.editFor(static_cast<Param>(param));
        if (name.isEmpty()) {
            QCOMPARE(box, nullptr);
            return;
        }
        QVERIFY(box);
        QCOMPARE(box->objectName(), name);
    }

    void resultBoxesAreReadOnly_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("name");
        QTest::newRow("Y") << int(Channel::Y) << "Edit21";
        QTest::newRow("X1") << int(Channel::X1) << "Edit19";
        QTest::newRow("X2") << int(Channel::X2) << "Edit20";
    }

    void resultBoxesAreReadOnly()
    {
        QFETCH(int, channel);
        QFETCH(QString, name);
        DevicePage page;
        auto* box = child<QLineEdit>(page, name);
        QVERIFY(box);
        // The channel's result lands in the box of its name.
        page.showResult(static_cast<Channel>(channel), QStringLiteral("1,5"));
        QCOMPARE(box->text(), QString("1,5"));
        QVERIFY(box->isReadOnly());
    }

    void boxColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        for (const char* geometry :
             {"Edit14", "Edit12", "Edit13", "Edit15", "Edit18", "Edit16", "Edit17"})
            QTest::newRow(geometry) << geometry << kGeometryOrange;
        QTest::newRow("P1 white") << "Edit6" << kConfirmedWhite;
        const QColor system = QLineEdit().palette().color(QPalette::Base);
        for (const char* other : {"Edit7", "Edit5", "Edit8", "Edit10", "Edit4", "Edit9"})
            QTest::newRow(other) << other << system;
    }

    void boxColours()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        DevicePage page;
        auto* box = page.findChild<QLineEdit*>(name);
        QVERIFY(box);
        QCOMPARE(DevicePage::boxColour(box), colour);
    }

    void setBoxColourIsReadBack()
    {
        DevicePage page;
        QLineEdit* box = page.editFor(Param::COEF);
        DevicePage::setBoxColour(box, kCommittedSkyBlue);
        QCOMPARE(DevicePage::boxColour(box), kCommittedSkyBlue);
        QCOMPARE(box->palette().color(QPalette::Inactive, QPalette::Base), kCommittedSkyBlue);
        QVERIFY(box->styleSheet().isEmpty());
        // The colour belongs to that box alone.
        QCOMPARE(DevicePage::boxColour(page.editFor(Param::OFFSET)),
                 QLineEdit().palette().color(QPalette::Base));
    }

    void modeComboItems()
    {
        DevicePage page;
        auto* mode = child<QComboBox>(page, "ComboBox1");
        QVERIFY(mode);
        QCOMPARE(mode->count(), 2);
        QCOMPARE(mode->itemText(0), QString::fromUtf8("mode 0: Odczyt, wyjścia nieaktywne"));
        QCOMPARE(mode->itemText(1), QString::fromUtf8("mode 1: Odczyt z marginesem błędu"));
        QCOMPARE(mode->currentIndex(), -1);
    }

    void beepAndVoltageRange()
    {
        DevicePage page;
        auto* beep = child<QCheckBox>(page, "CheckBox15");
        auto* range10V = child<QRadioButton>(page, "RadioButton1");
        auto* range5V = child<QRadioButton>(page, "RadioButton2");
        QVERIFY(beep && range10V && range5V);
        QVERIFY(!beep->isChecked());
        QVERIFY(range10V->isChecked());
        QVERIFY(!range5V->isChecked());
        // The two buttons exclude each other.
        range5V->setChecked(true);
        QVERIFY(!range10V->isChecked());
    }

    void arrowRanges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maximum");
        QTest::newRow("LED") << "UpDown1" << 9;
        QTest::newRow("decp") << "UpDown4" << 6;
    }

    void arrowRanges()
    {
        QFETCH(QString, name);
        DevicePage page;
        auto* arrows = page.findChild<QSpinBox*>(name);
        QVERIFY(arrows);
        QCOMPARE(arrows->minimum(), 0);
        QTEST(arrows->maximum(), "maximum");
        QCOMPARE(arrows->value(), 0);
    }

    void minMaxCaptionsStartPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::newRow("field 1 min") << "Label41" << 28;
        QTest::newRow("field 1 max") << "Label42" << 148;
        QTest::newRow("field 2 max, D2 not above 0") << "Label55" << 444;
        QTest::newRow("field 2 min, D2 not above 0") << "Label56" << 296;
    }

    void minMaxCaptionsStartPlaces()
    {
        QFETCH(QString, name);
        DevicePage page;
        auto* caption = page.findChild<QLabel*>(name);
        QVERIFY(caption);
        QTEST(caption->x(), "left");
        // In the picture's coordinates, beside the geometry boxes.
        QCOMPARE(caption->parentWidget(), page.editFor(Param::D1)->parentWidget());
    }

    void placeCaptionsMovesThemAcross_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("minLeft");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("secondName");
        QTest::newRow("field 1, min right (D1 negative)") << 1 << false << 148 << 28 << "Label41"
                                                          << "Label42";
        QTest::newRow("field 1, min left (D1 not negative)") << 1 << true << 28 << 148 << "Label41"
                                                             << "Label42";
        QTest::newRow("field 2, min right (D2 positive)") << 2 << false << 296 << 444 << "Label55"
                                                          << "Label56";
        QTest::newRow("field 2, min left (D2 not positive)") << 2 << true << 444 << 296 << "Label55"
                                                             << "Label56";
    }

    void placeCaptionsMovesThemAcross()
    {
        QFETCH(int, field);
        QFETCH(bool, minLeft);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QString, firstName);
        QFETCH(QString, secondName);
        DevicePage page;
        auto* a = child<QLabel>(page, firstName);
        auto* b = child<QLabel>(page, secondName);
        QVERIFY(a && b);
        const int ay = a->y();
        const int by = b->y();
        const FieldCaptions captions = minLeft ? FieldCaptions::MinLeft : FieldCaptions::MinRight;
        const FieldCaptions opposite = minLeft ? FieldCaptions::MinRight : FieldCaptions::MinLeft;
        // Start from the opposite arrangement so that every row really moves something.
        page.placeFieldCaptions(field, opposite);
        page.placeFieldCaptions(field, captions);
        QCOMPARE(a->pos(), QPoint(first, ay));
        QCOMPARE(b->pos(), QPoint(second, by));
    }

    void geometryCaptionsStandBesideTheirBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const struct
        {
            const char* name;
            const char* caption;
        } rows[] = {
            {"Edit14", "D0="}, {"Edit12", "D1="}, {"Edit13", "D2="}, {"Edit15", "a1="},
            {"Edit18", "a2="}, {"Edit16", "b1="}, {"Edit17", "b2="}, {"Edit19", "X1="},
            {"Edit20", "X2="}, {"Edit21", "Y ="},
        };
        for (const auto& r : rows)
            QTest::newRow(r.caption) << r.name << r.caption;
    }

    void geometryCaptionsStandBesideTheirBoxes()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        DevicePage page;
        auto* box = page.findChild<QLineEdit*>(name);
        QVERIFY(box);
        QLabel* label = nullptr;
        for (auto* l : page.findChildren<QLabel*>())
            if (l->buddy() == box)
                label = l;
        QVERIFY2(label, "no caption has the box as its buddy");
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->parentWidget(), box->parentWidget());
        QVERIFY(label->geometry().right() < box->x());
        QVERIFY(box->x() - label->geometry().right() <= 8);
        QVERIFY(label->geometry().intersects(QRect(label->x(), box->y(), 1, box->height())));
    }

    void legendLines()
    {
        DevicePage page;
        auto* legend = page.findChild<QGroupBox*>("GroupBoxLegend");
        QVERIFY(legend);
        QStringList lines;
        for (int n = 1; n <= 7; ++n) {
            auto* line = legend->findChild<QLabel*>(QStringLiteral("Legend%1").arg(n));
            QVERIFY(line);
            lines << line->text();
        }
        QCOMPARE(lines, QStringList({
                            QString::fromUtf8("D0 [mm] - Rozstaw pól pomiarowych"),
                            QString::fromUtf8("D1 [mm] - Szerokość pola pomiarowego 1"),
                            QString::fromUtf8("D2 [mm] - Szerokość pola pomiarowego 2"),
                            QString::fromUtf8("a1 [mm] - offset pionowy kanału 1"),
                            QString::fromUtf8("b1 [mm] - offset poziomy kanału 1"),
                            QString::fromUtf8("a2 [mm] - offset pionowy kanału 2"),
                            QString::fromUtf8("b2 [mm] - offset poziomy kanału 2"),
                        }));
    }

    void lockableGroupsInOrder()
    {
        DevicePage page;
        const QList<QWidget*> groups = page.lockableGroups();
        QCOMPARE(groups.size(), 6);
        QStringList titles;
        for (int i = 0; i < 5; ++i)
            titles << shownText(groups[i]);
        QCOMPARE(titles, QStringList({"Led", "Beep", QString::fromUtf8("Tryb pracy wyjść"), "decp",
                                      "legenda"}));
        // The last one is the identity strip, with its two buttons.
        QWidget* strip = groups[5];
        for (const char* name : {"Label63", "Label64", "Label66", "BitBtn3", "BitBtn13"}) {
            auto* w = child<QWidget>(page, name);
            QVERIFY(w);
            QVERIFY2(strip->isAncestorOf(w), name);
        }
        auto* range5V = child<QRadioButton>(page, "RadioButton2");
        auto* ledArrows = child<QSpinBox>(page, "UpDown1");
        QVERIFY(range5V && ledArrows);
        // Disabling the groups leaves the geometry boxes and the range buttons usable.
        for (QWidget* g : groups)
            g->setEnabled(false);
        QVERIFY(page.editFor(Param::D1)->isEnabled());
        QVERIFY(range5V->isEnabled());
        QVERIFY(!page.editFor(Param::PK1)->isEnabled());
        QVERIFY(!ledArrows->isEnabled());
    }

    // --- Both pages ---------------------------------------------------------------------

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* page;
            const char* name;
            const char* expected;
        } rows[] = {
            {"device", "Edit6", "Wartość Progowa P1:"},
            {"device", "Edit7", "Wartość Progowa P2:"},
            {"device", "Edit5", "mnożnik COEF:"},
            {"device", "Edit8", "Offset:"},
            {"device", "Edit10", "Filter:"},
            {"device", "ComboBox1", "Mode:"},
            {"device", "Edit4", "jasność:"},
            {"device", "UpDown1", "jasność:"},
            {"device", "Edit9", "ilość cyfr po przecinku:"},
            {"device", "UpDown4", "ilość cyfr po przecinku:"},
            {"device", "Edit14", "D0="},
            {"device", "Edit12", "D1="},
            {"device", "Edit13", "D2="},
            {"device", "Edit15", "a1="},
            {"device", "Edit18", "a2="},
            {"device", "Edit16", "b1="},
            {"device", "Edit17", "b2="},
            {"device", "Edit19", "X1="},
            {"device", "Edit20", "X2="},
            {"device", "Edit21", "Y ="},
            {"device", "Label63", "Typ urządzenia:"},
            {"device", "Label64", "Wersja urządzenia:"},
            {"device", "Label66", "Status:"},
            {"device", "SensorCount", "Ilość czujników:"},
            {"device", "CheckBox15", "włącz sygnalizowanie dźwiękiem"},
            {"device", "RadioButton1", "0...10V"},
            {"device", "RadioButton2", "0...5V"},
            {"device", "BitBtn3", "   Przywróć ustawienia domyślne"},
            {"device", "BitBtn13", "   Połączenie..."},
            {"indicators", "YField", "Y (wartość mierzona)"},
            {"indicators", "X1Field", "X1 (kanał 1)"},
            {"indicators", "X2Field", "X2 (kanał 2)"},
            {"indicators", "Aktywny_Y", "Aktywny"},
            {"indicators", "IndicatorPK1", "PK1"},
            {"indicators", "IndicatorPK2", "PK2"},
            {"indicators", "ButtonStart", "START"},
            {"indicators", "ButtonStop", "STOP"},
            {"indicators", "ButtonPause", "PAUSE"},
            {"indicators", "SamplingPeriod", "próbkowanie co:"},
            {"indicators", "ContinuousSampling", "Próbkowanie ciągłe:"},
            {"indicators", "TimeLabel", "czas [s]:"},
            {"indicators", "RateLabel", "próbek na sekundę:"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", r.page, r.name)
                << r.page << r.name << QString::fromUtf8(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        std::unique_ptr<QWidget> w(makePage(page));
        auto* control = w->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void pagesFitWithoutOverlapOrClipping_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("Wskaźniki") << "indicators";
        QTest::newRow("Urządzenie") << "device";
    }

    void pagesFitWithoutOverlapOrClipping()
    {
        QFETCH(QString, page);
        QWidget* w = makePage(page);
        HostedPage host(w);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        if (auto* indicators = qobject_cast<IndicatorPage*>(w))
            indicators->setPeriodDisplayVisible(true);
        checkFitsWithoutOverlap(w, 21);
    }
};

QTEST_MAIN(TestPages)
#include "test_pages.moc"
