#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ConfigFile.h"
#include "RecordingDialogs.h"
#include "TempStartDirectory.h"
#include "WidgetTexts.h"
#include "app/AboutTexts.h"
#include "app/Program.h"
#include "app/ProgramPaths.h"
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
    // The installed data folder, where a distributor's file would be.
    QTemporaryDir m_data;

    static TO_programieForm* about(const Program& program)
    {
        return program.mainWindow()->findChild<TO_programieForm*>();
    }

    // The lines the program shows of itself, before any maker's.
    static QStringList ownLines()
    {
        return {"KX350T-PC", TO_programieForm::versionLine(),
                QString::fromUtf8(about::kDescription), TO_programieForm::buildLine(),
                QString::fromUtf8(about::kLicence)};
    }

    static QStringList texts(const QWidget* w)
    {
        QStringList t;
        for (QLabel* label : labels(w))
            t << label->text();
        return t;
    }

private slots:
    void initTestCase() { writeDefaultConfig(); }

    void init()
    {
        for (const QString& entry :
             QDir(m_data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY(QFileInfo(m_data.filePath(entry)).isDir()
                        ? QDir(m_data.filePath(entry)).removeRecursively()
                        : QFile::remove(m_data.filePath(entry)));
        setInstalledDataFolder(m_data.path());
    }

    void cleanup() { setInstalledDataFolder(QString()); }

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

    // The program's own lines, and nothing of a maker without the distributor's file.
    void withoutTheDistributorsFileNoMakerLines_data()
    {
        QTest::addColumn<QString>("present"); // what the data folder holds
        QTest::newRow("no file") << "";
        QTest::newRow("an empty file") << "empty";
        QTest::newRow("blank lines only") << "blank";
        QTest::newRow("a folder of its name") << "folder";
        QTest::newRow("no data folder at all") << "gone";
    }

    void withoutTheDistributorsFileNoMakerLines()
    {
        QFETCH(QString, present);
        const QString file = m_data.filePath(QString::fromLatin1(about::kMakerFile));
        if (present == "empty")
            QVERIFY(writeFile(file, ""));
        else if (present == "blank")
            QVERIFY(writeFile(file, "\r\n   \n\t\n"));
        else if (present == "folder")
            QVERIFY(QDir(m_data.path()).mkdir(QString::fromLatin1(about::kMakerFile)));
        else if (present == "gone")
            setInstalledDataFolder(m_data.filePath("removed"));
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(texts(w), ownLines());
        QVERIFY(w->findChildren<QLabel*>(QRegularExpression("^Maker")).isEmpty());
    }

    // One row a line of the file, in its order; the first, the maker's name, large.
    void theDistributorsLinesAreShown_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("shown");
        const QStringList four{QString::fromUtf8("Zakład Pomiarowy Łódź"), "ul. Długa 1",
                               "tel. 42 000 00 00", "biuro@zaklad.test"};
        QTest::newRow("UTF-8, LF") << QByteArray("Zak\xC5\x82"
                                                 "ad Pomiarowy \xC5\x81\xC3\xB3"
                                                 "d\xC5\xBA\n"
                                                 "ul. D\xC5\x82uga 1\ntel. 42 000 00 00\n"
                                                 "biuro@zaklad.test\n")
                                   << four;
        QTest::newRow("a byte-order mark, CR LF, no last line end")
            << QByteArray("\xEF\xBB\xBFZak\xC5\x82"
                          "ad Pomiarowy \xC5\x81\xC3\xB3"
                          "d\xC5\xBA\r\n"
                          "ul. D\xC5\x82uga 1\r\ntel. 42 000 00 00\r\nbiuro@zaklad.test")
            << four;
        QTest::newRow("blank lines and blanks around left out")
            << QByteArray("\n  Zak\xC5\x82"
                          "ad Pomiarowy \xC5\x81\xC3\xB3"
                          "d\xC5\xBA  \n\n\tul. D\xC5\x82uga 1\n"
                          "tel. 42 000 00 00\n\n\nbiuro@zaklad.test\n\n")
            << four;
        QByteArray eight;
        QStringList six;
        for (int n = 1; n <= 8; ++n) {
            eight += "wiersz " + QByteArray::number(n) + "\n";
            if (n <= about::kMostMakerLines)
                six << QString("wiersz %1").arg(n);
        }
        QTest::newRow("more lines than the window holds: the first ones") << eight << six;
    }

    void theDistributorsLinesAreShown()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, shown);
        QVERIFY(writeFile(m_data.filePath(QString::fromLatin1(about::kMakerFile)), content));
        Program program;
        TO_programieForm* w = about(program);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QList<QLabel*> lines = labels(w);
        QCOMPARE(texts(w), ownLines() + shown);

        // Name large and bold, version small and bold, the maker's name between them, the
        // maker's other lines as small as the version.
        const qsizetype maker = ownLines().size();
        auto size = [&](qsizetype n) { return QFontInfo(lines[n]->font()).pixelSize(); };
        QVERIFY(lines[0]->font().bold() && lines[1]->font().bold());
        QVERIFY(!lines[maker]->font().bold());
        QVERIFY(size(0) > size(maker));
        QVERIFY(size(maker) > size(1));
        for (qsizetype n = maker + 1; n < lines.size(); ++n)
            QCOMPARE(size(n), size(1));
        QVERIFY(lines[0]->geometry().left() < 20 && lines[0]->geometry().top() < 20);
    }

    // A distributor on Windows may save the file in the system's code page: read as such.
    void aFileInTheSystemsCodePage()
    {
#ifndef Q_OS_WIN
        QSKIP("outside Windows the system's code page is UTF-8 itself");
#else
        const QByteArray latin = QString::fromUtf8("Zakład Łódź").toLocal8Bit();
        QVERIFY(writeFile(m_data.filePath(QString::fromLatin1(about::kMakerFile)), latin));
        QCOMPARE(TO_programieForm::makerLines(m_data.path()),
                 QStringList{QString::fromLocal8Bit(latin)});
#endif
    }

    // The name in any letter case, as a Windows distributor may write it.
    void theFileNameInAnyLetterCase()
    {
        QVERIFY(writeFile(m_data.filePath("Producent.TXT"), "Zakład\n"));
        QCOMPARE(TO_programieForm::makerLines(m_data.path()), QStringList{"Zakład"});
    }

    void versionBuildDateAndQtShown()
    {
        Program program;
        TO_programieForm* w = about(program);
        const QStringList shown = texts(w);
        QVERIFY(shown.contains(TO_programieForm::versionLine()));
        const QString build = TO_programieForm::buildLine();
        QVERIFY(shown.contains(build));
        QVERIFY2(build.contains(QString("Qt %1").arg(QT_VERSION_STR)), qPrintable(build));
        if (QString::fromLatin1(qVersion()) != QStringLiteral(QT_VERSION_STR))
            QVERIFY2(build.contains(QString::fromLatin1(qVersion())), qPrintable(build));
        const QRegularExpressionMatch date =
            QRegularExpression("^zbudowano (\\d{4}-\\d{2}-\\d{2}) ").match(build);
        QVERIFY2(date.hasMatch(), qPrintable(build));
        QVERIFY(QDate::fromString(date.captured(1), Qt::ISODate).isValid());
    }

    void everythingFitsTheClientArea_data()
    {
        QTest::addColumn<QByteArray>("makerFile");
        QTest::newRow("no maker") << QByteArray();
        QByteArray full;
        for (int n = 0; n < about::kMostMakerLines; ++n)
            full += "Bardzo długi wiersz danych dostawcy, dłuższy niż okno, numer " +
                    QByteArray::number(n) + " i jeszcze więcej słów\n";
        QTest::newRow("the most lines, each too long") << full;
    }

    // Nothing is cut off or drawn over: every text fits its place inside the window, clear
    // of the picture and the button, and the picture and the button are on the right. A line
    // too long for the window is cut with an ellipsis, its whole text in its tooltip.
    void everythingFitsTheClientArea()
    {
        QFETCH(QByteArray, makerFile);
        if (!makerFile.isEmpty())
            QVERIFY(writeFile(m_data.filePath(QString::fromLatin1(about::kMakerFile)), makerFile));
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
            if (label->objectName().startsWith("Maker")) {
                QVERIFY2(label->text().endsWith(QChar(0x2026)), qPrintable(label->text()));
                QVERIFY(label->toolTip().endsWith(QString::fromUtf8("więcej słów")));
            }
        }
        QCOMPARE(w->findChildren<QLabel*>(QRegularExpression("^Maker")).size(),
                 makerFile.isEmpty() ? 0 : about::kMostMakerLines);
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
