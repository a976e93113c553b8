#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ConfigFile.h"
#include "RecordingDialogs.h"
#include "WidgetTexts.h"
#include "app/AboutTexts.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "app/TO_programieForm.h"

using namespace kx;

namespace {

QList<QLabel*> labels(const QWidget* about)
{
    QList<QLabel*> shown;
    for (QLabel* label : about->findChildren<QLabel*>())
        if (label->isVisibleTo(about))
            shown << label;
    std::sort(shown.begin(), shown.end(),
              [](QLabel* a, QLabel* b) { return a->geometry().top() < b->geometry().top(); });
    return shown;
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

    RecordingDialogs m_dialogs;

    static TO_programieForm* about(const Program& program)
    {
        return program.mainWindow()->findChild<TO_programieForm*>();
    }

private slots:
    void initTestCase() { writeDefaultConfig(); }

    void whiteToolWindowOfFixedSizeCentredAndNotBlocking()
    {
        Program program;
        program.start();
        program.mainWindow()->findChild<QAction*>("orpogramie1")->trigger();
        TO_programieForm* w = about(program);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->size(), QSize(478, 183));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(w->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(w->windowTitle(), QString::fromUtf8(about::kCaption));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(w->autoFillBackground());
        const QPoint offset =
            w->frameGeometry().center() - w->screen()->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 6,
                 qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void textsTopLeftInTheirOrderAndSizes()
    {
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QList<QLabel*> lines = labels(w);
        QStringList texts;
        for (QLabel* label : lines)
            texts << label->text();
        QStringList expected{"KX350T-PC",
                             TO_programieForm::versionLine(),
                             QString::fromUtf8(about::kMakerName),
                             QString::fromUtf8(about::kPostalAddress),
                             QString::fromUtf8(about::kTelephone),
                             QString::fromUtf8(about::kEmail)};
        for (const char* address : about::kWebAddresses)
            if (address && *address)
                expected << QString::fromUtf8(address);
        QCOMPARE(texts, expected);

        // Name large and bold, version small and bold, maker large, contact lines small,
        // web addresses between the two.
        auto size = [&](int n) { return QFontInfo(lines[n]->font()).pixelSize(); };
        QVERIFY(lines[0]->font().bold() && lines[1]->font().bold());
        QVERIFY(!lines[2]->font().bold());
        QVERIFY(size(0) > size(2));
        QVERIFY(size(2) > size(6));
        QVERIFY(size(6) > size(3));
        QCOMPARE(size(1), size(3));
        QCOMPARE(size(4), size(3));
        QCOMPARE(size(5), size(3));
        for (int n = 7; n < lines.size(); ++n)
            QCOMPARE(size(n), size(6));
        QVERIFY(lines[0]->geometry().left() < 20 && lines[0]->geometry().top() < 20);
    }

    // Nothing is cut off or drawn over: every text fits its place inside the window, clear
    // of the picture and the button, and the picture and the button are on the right.
    void everythingFitsTheClientArea()
    {
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* ok = w->findChild<QPushButton*>("BitBtn1");
        QWidget* picture = w->findChild<QWidget*>("Image1");
        QVERIFY(ok && picture);
        const QRect client = w->rect();
        QVERIFY(client.contains(picture->geometry()));
        QVERIFY(client.contains(ok->geometry()));
        QVERIFY(ok->geometry().right() > client.width() - 30);
        QVERIFY(ok->geometry().bottom() > client.height() - 30);
        QVERIFY(picture->geometry().left() > client.width() / 2);
        QVERIFY(!picture->geometry().intersects(ok->geometry()));
        for (QLabel* label : labels(w)) {
            const QRect text(label->pos(), label->sizeHint());
            QVERIFY2(client.contains(text), qPrintable(label->text()));
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->text()));
            QVERIFY2(!text.intersects(picture->geometry()), qPrintable(label->text()));
            QVERIFY2(!text.intersects(ok->geometry()), qPrintable(label->text()));
        }
    }

    void versionIsTheProgramsOwn()
    {
        Program program;
        const QString caption = program.mainWindow()->windowTitle(); // "KX350T-PC V1.00"
        const QString version = caption.mid(caption.lastIndexOf('V') + 1);
        QCOMPARE(TO_programieForm::versionLine(), "wersja " + version);
    }

    // A picture drawn for the program: the device's red display digits and the fields' blue
    // fill are there, over a white ground.
    void pictureIsDrawn()
    {
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QImage shot = w->grab().toImage();
        if (const QByteArray path = qgetenv("KX_ABOUT_SCREENSHOT"); !path.isEmpty())
            shot.save(QString::fromLocal8Bit(path));
        QWidget* picture = w->findChild<QWidget*>("Image1");
        const QImage drawn = picture->grab().toImage();
        int red = 0;
        int fill = 0;
        int white = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
                fill += c == QColor(226, 236, 246);
                white += c == QColor(Qt::white);
            }
        QVERIFY2(red > 30, qPrintable(QString::number(red)));
        QVERIFY2(fill > 1000, qPrintable(QString::number(fill)));
        QVERIFY2(white > 1000, qPrintable(QString::number(white)));
    }

    void everyTextIsAccessible()
    {
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        for (QLabel* label : labels(w))
            QCOMPARE(accessibleName(label), label->text());
        QCOMPARE(accessibleName(w->findChild<QPushButton*>("BitBtn1")), QString("OK"));
        QVERIFY(accessibleName(w->findChild<QWidget*>("Image1")).contains("KX350T"));
    }

    void shownTwiceIsOneWindowBroughtForward()
    {
        Program program;
        program.start();
        QAction* menu = program.mainWindow()->findChild<QAction*>("orpogramie1");
        menu->trigger();
        TO_programieForm* w = about(program);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QPoint placed = w->pos();
        menu->trigger();
        QCOMPARE(program.mainWindow()->findChildren<TO_programieForm*>().size(), 1);
        int shown = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            shown += qobject_cast<TO_programieForm*>(top) && top->isVisible();
        QCOMPARE(shown, 1);
        QCOMPARE(w->pos(), placed);
    }

    void okAndEscapeHideItForTheNextTime()
    {
        Program program;
        program.start();
        QAction* menu = program.mainWindow()->findChild<QAction*>("orpogramie1");
        menu->trigger();
        TO_programieForm* w = about(program);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::mouseClick(w->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        menu->trigger();
        QVERIFY(w->isVisible());
        QTest::keyClick(w->findChild<QPushButton*>("BitBtn1"), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(about(program), w);
        QVERIFY(program.mainWindow()->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
