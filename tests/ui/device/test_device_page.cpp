#include <QtTest>

#include "NamedChild.h"
#include "PageFit.h"
#include "WidgetTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "ui/device/DevicePage.h"

using namespace kx;

// The device tab "Urządzenie" on its own: its controls, their colours, captions and groups.
class TestDevicePage : public QObject
{
    Q_OBJECT

private slots:
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

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* name;
            const char* expected;
        } rows[] = {
            {"Edit6", "Wartość Progowa P1:"},
            {"Edit7", "Wartość Progowa P2:"},
            {"Edit5", "mnożnik COEF:"},
            {"Edit8", "Offset:"},
            {"Edit10", "Filter:"},
            {"ComboBox1", "Mode:"},
            {"Edit4", "jasność:"},
            {"UpDown1", "jasność:"},
            {"Edit9", "ilość cyfr po przecinku:"},
            {"UpDown4", "ilość cyfr po przecinku:"},
            {"Edit14", "D0="},
            {"Edit12", "D1="},
            {"Edit13", "D2="},
            {"Edit15", "a1="},
            {"Edit18", "a2="},
            {"Edit16", "b1="},
            {"Edit17", "b2="},
            {"Edit19", "X1="},
            {"Edit20", "X2="},
            {"Edit21", "Y ="},
            {"Label63", "Typ urządzenia:"},
            {"Label64", "Wersja urządzenia:"},
            {"Label66", "Status:"},
            {"SensorCount", "Ilość czujników:"},
            {"CheckBox15", "włącz sygnalizowanie dźwiękiem"},
            {"RadioButton1", "0...10V"},
            {"RadioButton2", "0...5V"},
            {"BitBtn3", "   Przywróć ustawienia domyślne"},
            {"BitBtn13", "   Połączenie..."},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.name << QString::fromUtf8(r.expected);
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        DevicePage page;
        auto* control = page.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(accessibleName(control), expected);
    }

    void fitsWithoutOverlapOrClipping()
    {
        auto* page = new DevicePage;
        HostedPage host(page);
        QVERIFY(QTest::qWaitForWindowExposed(&host.tabs));
        checkFitsWithoutOverlap(page, 21);
    }
};

QTEST_MAIN(TestDevicePage)
#include "test_device_page.moc"
