#include <QtTest>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "NamedChild.h"
#include "TempStartDirectory.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/register/RegisterPage.h"

using namespace kx;

namespace {

// The texts of a dialog's buttons and labels, read while it is up, then the dialog is closed
// as by its Cancel or No, so the test never waits on it.
struct DialogReader
{
    QStringList buttons;
    QStringList labels;
    QString className;
    QTimer poll;

    DialogReader()
    {
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            poll.stop();
            className = QString::fromLatin1(dialog->metaObject()->className());
            for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                if (b->isVisible() && !b->text().isEmpty())
                    buttons << b->text().remove('&');
            for (const QLabel* l : dialog->findChildren<QLabel*>())
                if (l->isVisible() && !l->text().isEmpty())
                    labels << l->text().remove('&');
            if (auto* box = qobject_cast<QDialog*>(dialog))
                box->reject();
            else
                dialog->close();
        });
        poll.start();
    }
};

} // namespace

class TestPolishTexts : public QObject
{
    Q_OBJECT

private slots:
    // Qt's own translation is found where the installed program keeps it.
    void qtsPolishTranslationIsLoaded()
    {
        TempStartDirectory start;
        Program program;
        QVERIFY2(!program.qtTranslationFile().isEmpty(),
                 qPrintable("qtbase_pl.qm in none of: " + qtTranslationFolders().join(", ")));
        QCOMPARE(QFileInfo(program.qtTranslationFile()).fileName(), QString("qtbase_pl.qm"));
        // Qt's texts come out in Polish while the program lives.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Anuluj"));
    }

    // The clearing question's standard buttons.
    void theClearingQuestionAsksInPolish()
    {
        TempStartDirectory start;
        Program program;
        program.start();
        program.mainWindow()->startupTimer().stop();
        auto* clear =
            child<QPushButton>(program.mainWindow()->registerPage(), "ButtonRegisterClear");
        QVERIFY(clear);
        DialogReader reader;
        clear->click();
        QCOMPARE(reader.className, QString("QMessageBox"));
        QVERIFY2(reader.buttons.contains("Tak") && reader.buttons.contains("Nie"),
                 qPrintable(reader.buttons.join(", ")));
        QVERIFY(!reader.buttons.contains("Yes") && !reader.buttons.contains("No"));
    }

    // The save dialog of "Zapisz Jako..." (Qt's own; a native one speaks the system's
    // language by itself).
    void theSaveDialogSpeaksPolish()
    {
        TempStartDirectory start;
        Program program;
        program.start();
        program.mainWindow()->startupTimer().stop();
        auto* saveAs = child<QPushButton>(program.mainWindow()->registerPage(), "ButtonSaveAs");
        QVERIFY(saveAs);
        DialogReader reader;
        saveAs->click();
        QCOMPARE(reader.className, QString("QFileDialog"));
        QVERIFY2(reader.buttons.contains("Anuluj"), qPrintable(reader.buttons.join(", ")));
        QVERIFY2(reader.labels.contains("Szukaj w:"), qPrintable(reader.labels.join(", ")));
        QVERIFY(!reader.buttons.contains("Cancel") && !reader.buttons.contains("Save"));
    }
};

QTEST_MAIN(TestPolishTexts)
#include "test_polish_texts.moc"
