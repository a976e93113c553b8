// The help as a document: every link and picture resolves, and it names everything the
// operator reads on the program's windows and in its messages, so no window or control is
// left unexplained.

#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QXmlStreamReader>

#include "RecordingDialogs.h"
#include "TempStartDirectory.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/common/ValueLabel.h"

namespace {

const QString kHelp = QStringLiteral(KX_HELP_SOURCE "/KX350T-PC.html");

// The help read as XML: it is written as well-formed XHTML, so a tag left open or an entity
// a browser would guess at fails here first.
struct HelpDocument
{
    QString error;
    QString text; // what a reader sees, blanks simplified
    QStringList ids;
    QStringList links;    // href
    QStringList pictures; // img src
    QStringList picturesWithoutAlt;
    QMap<QString, QSize> pictureSizes; // src: the width and height attributes
    QStringList headings;              // h2 and h3
    QStringList sectionIds;            // h2

    static HelpDocument read(const QString& path)
    {
        HelpDocument d;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            d.error = "cannot read " + path;
            return d;
        }
        // Block elements part words; inline ones do not.
        static const QSet<QString> inlineElements = {"a",    "b",   "i",   "em",  "strong", "code",
                                                     "span", "kbd", "sub", "sup", "small",  "q"};
        QXmlStreamReader xml(&file);
        QString text;
        QString heading;
        int inHeading = 0;
        int skipped = 0; // inside <style> or <script>
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                const QString name = xml.name().toString();
                const QXmlStreamAttributes a = xml.attributes();
                if (a.hasAttribute("id"))
                    d.ids << a.value("id").toString();
                if (name == "a" && a.hasAttribute("href"))
                    d.links << a.value("href").toString();
                if (name == "img") {
                    d.pictures << a.value("src").toString();
                    d.pictureSizes[a.value("src").toString()] =
                        QSize(a.value("width").toInt(), a.value("height").toInt());
                    if (a.value("alt").trimmed().isEmpty())
                        d.picturesWithoutAlt << a.value("src").toString();
                }
                if (name == "style" || name == "script")
                    ++skipped;
                if (name == "h2")
                    d.sectionIds << a.value("id").toString();
                if (name == "h2" || name == "h3") {
                    inHeading = 1;
                    heading.clear();
                }
                if (!inlineElements.contains(name))
                    text += ' ';
            } else if (xml.isEndElement()) {
                const QString name = xml.name().toString();
                if (name == "style" || name == "script")
                    --skipped;
                if ((name == "h2" || name == "h3") && inHeading) {
                    d.headings << heading.simplified();
                    inHeading = 0;
                }
                if (!inlineElements.contains(name))
                    text += ' ';
            } else if (xml.isCharacters() && !skipped) {
                text += xml.text();
                if (inHeading)
                    heading += xml.text();
            }
        }
        if (xml.hasError())
            d.error = QString("%1 at line %2").arg(xml.errorString()).arg(xml.lineNumber());
        d.text = text.simplified();
        return d;
    }
};

const HelpDocument& help()
{
    static const HelpDocument d = HelpDocument::read(kHelp);
    return d;
}

// A window the operator opens, not a pop-up (a menu, a combo box's list) of one.
bool ownWindow(const QWidget* w)
{
    return w->isWindow() && w->windowType() != Qt::Popup;
}

// The window a widget shows in: its own, or for a pop-up the window it belongs to.
QWidget* windowOf(QWidget* w)
{
    while (w && !ownWindow(w))
        w = w->parentWidget();
    return w;
}

// What the operator reads on a window: its title, tab and button texts, labels, group titles,
// check boxes, fixed lists, menu entries (hidden ones too), tooltips. Values the program
// fills in (ValueLabel) are not captions, nor is the About window's build line, nor the tab
// bar's own scroll buttons.
QStringList captionsOf(QWidget* window)
{
    QStringList found{window->windowTitle()};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (windowOf(w) != window || qobject_cast<kx::ValueLabel*>(w))
            continue;
        if (qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        if (window->objectName() == "O_programieForm" && w->objectName() == "Label4")
            continue;
        // The port menu's entries are one range in the help, "COM1" … "COM14".
        static const QRegularExpression innerPort(QStringLiteral("^COM([2-9]|1[0-3])$"));
        if (qobject_cast<QMenu*>(w)) {
            for (QAction* action : qobject_cast<QMenu*>(w)->actions())
                if (!innerPort.match(action->text()).hasMatch())
                    found << action->text();
            found << qobject_cast<QMenu*>(w)->title();
            continue;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            found << (button->text().isEmpty() ? button->accessibleName() : button->text());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            found << group->title();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            found << label->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable()) {
            for (int n = 0; n < combo->count(); ++n)
                found << combo->itemText(n);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int n = 0; n < tabs->count(); ++n)
                found << tabs->tabText(n);
        } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* action : bar->actions())
                found << action->text();
        }
        found << w->toolTip();
    }
    QStringList captions;
    for (const QString& c : found)
        if (!c.simplified().isEmpty() && !captions.contains(c.simplified()))
            captions << c.simplified();
    return captions;
}

struct Caption
{
    const char* window; // objectName of the window
    const char* text;
};

// Everything the operator reads on the program's windows, as the windows show it. Beside what
// the windows hold as controls: what the chart and the register table draw, and the texts the
// device tab shows.
constexpr Caption kCaptions[] = {
    // The main window, its menu and its tabs.
    {"Form1", "KX350T-PC V1.00"},
    {"Form1", "Wskaźniki"},
    {"Form1", "Urządzenie"},
    {"Form1", "Wykres"},
    {"Form1", "Rejestracja pomiarów"},
    {"Form1", "Program"},
    {"Form1", "zakończ"},
    {"Form1", "aktualizacja firmware urządzenia..."},
    {"Form1", "komunikacja"},
    {"Form1", "Połączenie..."},
    {"Form1", "połącz"},
    {"Form1", "rozłącz"},
    {"Form1", "port"},
    {"Form1", "COM1"},
    {"Form1", "COM14"},
    {"Form1", "auto"},
    {"Form1", "debuger..."},
    {"Form1", "Pomoc"},
    {"Form1", "pomoc programu"},
    {"Form1", "instrukcja KX350T"},
    {"Form1", "o programie"},
    // "Wskaźniki"
    {"Form1", "Y (wartość mierzona)"},
    {"Form1", "X1 (kanał 1)"},
    {"Form1", "X2 (kanał 2)"},
    {"Form1", "Aktywny"},
    {"Form1", "Stan wyjść"},
    {"Form1", "PK1"},
    {"Form1", "PK2"},
    {"Form1", "Odczyt"},
    {"Form1", "START"},
    {"Form1", "STOP"},
    {"Form1", "PAUSE"},
    {"Form1", "Próbkowanie"},
    {"Form1", "próbkowanie co:"},
    {"Form1", "[ms]"},
    {"Form1", "Próbkowanie ciągłe:"},
    {"Form1", "czas [s]:"},
    {"Form1", "próbek na sekundę:"},
    // "Urządzenie"
    {"Form1", "Typ urządzenia:"},
    {"Form1", "Ilość czujników:"},
    {"Form1", "Wersja urządzenia:"},
    {"Form1", "Status:"},
    {"Form1", "(brak)"},
    {"Form1", "<nierozpoznane>"},
    {"Form1", "nie wykryto"},
    {"Form1", "gotowy do pracy"},
    {"Form1", "praca"},
    {"Form1", "Przywróć ustawienia domyślne"},
    {"Form1", "Mode:"},
    {"Form1", "D0="},
    {"Form1", "D1="},
    {"Form1", "D2="},
    {"Form1", "a1="},
    {"Form1", "b1="},
    {"Form1", "a2="},
    {"Form1", "b2="},
    {"Form1", "X1="},
    {"Form1", "Y ="},
    {"Form1", "X2="},
    {"Form1", "min"},
    {"Form1", "max"},
    {"Form1", "legenda"},
    {"Form1", "D0 [mm] - Rozstaw pól pomiarowych"},
    {"Form1", "D1 [mm] - Szerokość pola pomiarowego 1"},
    {"Form1", "D2 [mm] - Szerokość pola pomiarowego 2"},
    {"Form1", "a1 [mm] - offset pionowy kanału 1"},
    {"Form1", "b1 [mm] - offset poziomy kanału 1"},
    {"Form1", "a2 [mm] - offset pionowy kanału 2"},
    {"Form1", "b2 [mm] - offset poziomy kanału 2"},
    {"Form1", "Tryb pracy wyjść"},
    {"Form1", "Wartość Progowa P1:"},
    {"Form1", "Wartość Progowa P2:"},
    {"Form1", "mnożnik COEF:"},
    {"Form1", "Offset:"},
    {"Form1", "Filter:"},
    {"Form1", "mode 0: Odczyt, wyjścia nieaktywne"},
    {"Form1", "mode 1: Odczyt z marginesem błędu"},
    {"Form1", "Led"},
    {"Form1", "jasność:"},
    {"Form1", "decp"},
    {"Form1", "ilość cyfr po przecinku:"},
    {"Form1", "Beep"},
    {"Form1", "włącz sygnalizowanie dźwiękiem"},
    {"Form1", "zakres napięciowy"},
    {"Form1", "0...10V"},
    {"Form1", "0...5V"},
    // "Wykres"
    {"Form1", "Y (Wartość mierzona)"},
    {"Form1", "czas [s]"},
    {"Form1", "kąt [ °]"},
    {"Form1", "Page 1 of 1"},
    {"Form1", "poprzednia strona"},
    {"Form1", "następna strona"},
    {"Form1", "Nagrywaj wykres"},
    {"Form1", "pauza"},
    {"Form1", "stop"},
    {"Form1", "wyczyść wykres"},
    {"Form1", "pokaż całość"},
    {"Form1", "ustawia zoom wykresu na pełen ekran"},
    {"Form1", "konfiguruj linie wyjsc..."},
    {"Form1", "konfiguracja wysokości linii PK1 i PK2"},
    {"Form1", "Stronicowanie"},
    {"Form1", "włącz stronicowanie"},
    {"Form1", "śledzenie ostatniej strony"},
    {"Form1", "próbki na strone"},
    {"Form1", "sample rate:"},
    {"Form1", "pierwsza strona"},
    {"Form1", "ostatnia strona"},
    {"Form1", "Zapisz jako bmp..."},
    {"Form1", "Zapisz jako excel..."},
    {"Form1", "Zapisz jako jpg..."},
    // "Rejestracja pomiarów"
    {"Form1", "Pomiar"},
    {"Form1", "Index"},
    {"Form1", "Czas [s]"},
    {"Form1", "Y (pomiar)"},
    {"Form1", "X1 - kanał 1"},
    {"Form1", "X2 - kanał 2"},
    {"Form1", "autoodczyt"},
    {"Form1", "Odczytaj pozycje"},
    {"Form1", "Kanał:"},
    {"Form1", "kanał 1"},
    {"Form1", "kanał 2"},
    {"Form1", "Informacje"},
    {"Form1", "data"},
    {"Form1", "godzina"},
    {"Form1", "czas pomiaru"},
    {"Form1", "numer próbki"},
    {"Form1", "kolor"},
    {"Form1", "Tabela"},
    {"Form1", "Wyczyść"},
    {"Form1", "Plik:"},
    {"Form1", "Zapisz Jako..."},
    {"Form1", "Zapisz"},
    // The connection wizard.
    {"AsystentForm", "łączenie z urządzeniem...."},
    {"AsystentForm", "Łączenie z urządzeniem"},
    {"AsystentForm", "Skanowanie portu"},
    {"AsystentForm", "Łączenie z portem:"},
    {"AsystentForm", "COM1"},
    {"AsystentForm", "Połączono"},
    {"AsystentForm", "Wyszukiwanie urządzenia"},
    {"AsystentForm", "Znaleziono"},
    {"AsystentForm", "Typ: KX350T"},
    {"AsystentForm", "Hardware: V"},
    {"AsystentForm", "Software: V"},
    {"AsystentForm", "<nieznany>"},
    {"AsystentForm", "Odczyt parametrów"},
    {"AsystentForm", "D0,D1,D2"},
    {"AsystentForm", "a1,b1,a2,b2"},
    {"AsystentForm", "MODE"},
    {"AsystentForm", "PK1"},
    {"AsystentForm", "PK2"},
    {"AsystentForm", "LED"},
    {"AsystentForm", "BEEP"},
    {"AsystentForm", "DECP"},
    {"AsystentForm", "COEF, Offset"},
    {"AsystentForm", "Gotowość do pracy"},
    {"AsystentForm", "port"},
    {"AsystentForm", "Połącz"},
    {"AsystentForm", "Rozłącz"},
    {"AsystentForm", "OK"},
    {"AsystentForm", "Przerwij łączenie"},
    // The chart-line window.
    {"KonigLiniiForm", "Konfiguracja linii wyjsc na wykresie"},
    {"KonigLiniiForm", "PK1"},
    {"KonigLiniiForm", "PK2"},
    {"KonigLiniiForm", "PK3"},
    {"KonigLiniiForm", "PK4"},
    {"KonigLiniiForm", "wysokość H="},
    {"KonigLiniiForm", "offset F="},
    {"KonigLiniiForm", "OK"},
    // The traffic monitor.
    {"COM_DBG_Form", "COM_debugger"},
    {"COM_DBG_Form", "czyść"},
    {"COM_DBG_Form", "od otwarcia portu"},
    {"COM_DBG_Form", "złe sumy kontrolne:"},
    {"COM_DBG_Form", "odrzucone bloki:"},
    {"COM_DBG_Form", "ucięte ramki:"},
    {"COM_DBG_Form", "pomiary bez odpowiedzi:"},
    // The About window.
    {"O_programieForm", "KX350T-PC"},
    {"O_programieForm", "wersja 1.00"},
    {"O_programieForm", "Konfiguracja i monitorowanie miernika KX350T"},
    {"O_programieForm", "Licencja: nie określona w tym wydaniu"},
    {"O_programieForm", "OK"},
};

// The fixed parts of the program's messages, questions, dialog titles and file filters.
constexpr const char* kMessages[] = {
    "nie odnaleziono pliku konfiguracyjnego!",
    "Nie znaleziono wybranego portu COM",
    "Podłączone urządzenie nie zostało rozpoznane jako KX350T! Program będzie kontynuował "
    "pracę, ale nie gwarantuje poprawnego działania.",
    "Otwarto port",
    "Predkosc:",
    "Zamknieto port",
    "Blad otwarcia portu COM",
    "Nie mozna otworzyc portu",
    "Jeden z portow juz zostal otwarty.",
    "Nalezy wybrac port, ktory ma zostac otwarty.",
    "Nalezy wybrac predkosc transmisji.",
    "Zaden port jeszcze nie zostal otwarty.",
    "Blad zamkniecia portu COM",
    "Nie odnaleziono urządznia!",
    "Czyszczenie tabeli rejestracji pomiarów... Czy jesteś pewien?",
    "Program nie został poprawnie zamknięty. Czy przywrócić tabelę rejestracji pomiarów z "
    "przerwanej pracy",
    "Zapis tabeli rejestracji był ucięty: przywrócono",
    "pełnych wierszy sprzed przerwania.",
    "Tabela rejestracji jest pełna (100000000 pozycji): kolejne odczyty nie są rejestrowane. "
    "Zapisz tabelę i wyczyść ją, aby rejestrować dalej.",
    "Nie można zapisywać kopii tabeli rejestracji:",
    "Po awarii programu jej wiersze nie zostaną przywrócone. Tabela i jej zapis do pliku "
    "działają jak dotąd.",
    "Nieznany rodzaj pliku:",
    "Rejestr zapisuje się do pliku .txt albo .xls.",
    "Nie odnaleziono folderu:",
    "już istnieje. Czy chcesz go zastąpić?",
    "Nie można zapisać pliku:",
    "Nie można odczytać pliku:",
    "Nie odnaleziono programatora:",
    "Nie można uruchomić programatora:",
    "Nie odnaleziono pliku:",
    "Nie można otworzyć pliku:",
    "Zapisywanie rejestru pomiarów...",
    "Zapisywanie wykresu...",
    "Zapisz jako",
    "Text (*.txt)",
    "Excel (*.xls)",
    "Zapisz wykres jako bmp",
    "plik bmp (*.bmp)",
    "Zapisz wykres jako jpg",
    "Zapisz wykres jako excel",
    "Eksport wykresu",
    "Zapisz wykres jako:",
    "Zapisz...",
    "Wskaż plik HEX do wgrania",
    "EEPROM hex file (*.hex)",
};

bool inTable(const QString& window, const QString& caption)
{
    for (const Caption& c : kCaptions)
        if (window == QLatin1String(c.window) && caption == QString::fromUtf8(c.text).simplified())
            return true;
    return false;
}

// The help's own folder and the path of a relative link or picture in it.
QString helpFolder()
{
    return QFileInfo(kHelp).absolutePath();
}

} // namespace

class TestHelpDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(help().error.isEmpty(), qPrintable(help().error));
        QVERIFY(help().text.size() > 1000);
    }

    void namesEveryCaption_data()
    {
        QTest::addColumn<QString>("caption");
        for (const Caption& c : kCaptions)
            QTest::addRow("%s: %s", c.window, c.text) << QString::fromUtf8(c.text);
    }

    // As the window shows it: a caption with its typo, its colon, its dots.
    void namesEveryCaption()
    {
        QFETCH(QString, caption);
        QVERIFY2(help().text.contains(caption.simplified()), qPrintable(caption));
    }

    // A window, control or menu entry added to the program without a word in the help (or a
    // caption changed under it) is caught here: the table above must hold it, and the help
    // must name everything in the table.
    void everyCaptionOfTheProgramIsInTheTable()
    {
        TempStartDirectory start;
        RecordingDialogs dialogs;
        kx::Program program;
        QList<QWidget*> windows{program.mainWindow()};
        for (QWidget* w : program.mainWindow()->findChildren<QWidget*>())
            if (ownWindow(w))
                windows << w;
        QCOMPARE(windows.size(), 5);
        QStringList missing;
        for (QWidget* window : windows)
            for (const QString& caption : captionsOf(window))
                if (!inTable(window->objectName(), caption))
                    missing << window->objectName() + ": " + caption;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
    }

    void namesEveryMessage_data()
    {
        QTest::addColumn<QString>("message");
        for (const char* m : kMessages)
            QTest::newRow(m) << QString::fromUtf8(m);
    }

    void namesEveryMessage()
    {
        QFETCH(QString, message);
        QVERIFY2(help().text.contains(message.simplified()), qPrintable(message));
    }

    // The help works where it is installed, offline: every link stays in it and reaches an
    // anchor or a file that is there.
    void everyLinkResolves()
    {
        QVERIFY(!help().links.isEmpty());
        QCOMPARE(QSet<QString>(help().ids.begin(), help().ids.end()).size(), help().ids.size());
        for (const QString& link : help().links) {
            const QUrl url(link);
            QVERIFY2(url.scheme().isEmpty() && url.host().isEmpty(),
                     qPrintable(link + ": leaves the help"));
            const QString file = url.path();
            if (!file.isEmpty()) {
                QVERIFY2(QFileInfo(QDir(helpFolder()).filePath(file)).isFile(), qPrintable(link));
                QVERIFY2(!url.hasFragment() || file == QFileInfo(kHelp).fileName(),
                         qPrintable(link + ": an anchor in another file is not checked"));
            }
            if (url.hasFragment())
                QVERIFY2(help().ids.contains(url.fragment()), qPrintable(link));
        }
    }

    // Every section is in the help's own contents.
    void everySectionIsInTheContents()
    {
        QVERIFY(help().sectionIds.size() >= 10);
        for (const QString& id : help().sectionIds) {
            QVERIFY2(!id.isEmpty(), "a section without an id");
            QVERIFY2(help().links.contains('#' + id), qPrintable(id));
        }
    }

    // Pictures load, say what they show, are drawn at the size they are, and none is left
    // over in img/ once its window went out of the help. Screenshots are small: the help
    // ships with every install.
    void everyPictureResolves()
    {
        QVERIFY(!help().pictures.isEmpty());
        QVERIFY2(help().picturesWithoutAlt.isEmpty(),
                 qPrintable(help().picturesWithoutAlt.join(' ')));
        for (const QString& src : help().pictures) {
            QVERIFY2(QUrl(src).scheme().isEmpty() && !QDir::isAbsolutePath(src), qPrintable(src));
            const QString path = QDir(helpFolder()).filePath(src);
            const QImage image(path);
            QVERIFY2(!image.isNull(), qPrintable(src));
            QCOMPARE(help().pictureSizes.value(src), image.size());
            QVERIFY2(QFileInfo(path).size() <= 200 * 1024, qPrintable(src));
        }
        const QStringList files =
            QDir(QDir(helpFolder()).filePath("img")).entryList(QDir::Files, QDir::Name);
        for (const QString& file : files)
            QVERIFY2(help().pictures.contains("img/" + file), qPrintable("unused: img/" + file));
    }
};

QTEST_MAIN(TestHelpDocument)
#include "test_help_document.moc"
