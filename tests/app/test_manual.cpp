// The manual the build makes from the help: a PDF of many pages whose contents list every
// section and subsection of the help at the page it is on, with a number on every page; and
// the program started from the build tree finds it and the help where an installed one does.

#include <QtTest>

#include <QProcess>
#include <QXmlStreamReader>

#include "app/HelpFiles.h"
#include "app/ProgramPaths.h"

using namespace kx;

namespace {

const QString kManual = QStringLiteral(KX_MANUAL_FILE);
const QString kHelpSource = QStringLiteral(KX_HELP_SOURCE);

// Text as compared: ligatures (the typeface's "fi") undone, blanks simplified.
QString plain(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).simplified();
}

// The help's sections (h2) and subsections (h3), in order.
QStringList helpHeadings()
{
    QFile file(kHelpSource + "/" + kHelpFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QStringList headings;
    QString heading;
    bool in = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && (xml.name() == u"h2" || xml.name() == u"h3")) {
            in = true;
            heading.clear();
        } else if (xml.isEndElement() && (xml.name() == u"h2" || xml.name() == u"h3")) {
            in = false;
            headings << plain(heading);
        } else if (in && xml.isCharacters()) {
            heading += xml.text();
        }
    }
    return xml.hasError() ? QStringList() : headings;
}

int sectionCount(const QStringList& headings)
{
    static const QRegularExpression section(QStringLiteral("^\\d+\\. "));
    return int(headings.filter(section).size());
}

// The manual's text a page each, as poppler's pdftotext reads it (its layout mode keeps a
// line of the contents on one line).
QStringList pageTexts(QString* error)
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        *error = "pdftotext is missing: install Debian's poppler-utils (scripts/install-deps.sh)";
        return {};
    }
    QProcess p;
    p.start(pdftotext, {"-layout", "-enc", "UTF-8", kManual, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *error = "pdftotext failed: " + QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

class TestManual : public QObject
{
    Q_OBJECT

    QStringList m_pages;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(kManual).isFile(), qPrintable(kManual));
        QString error;
        m_pages = pageTexts(&error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // Each section begins a page, behind a title page and the contents.
    void aPdfOfManyPages()
    {
        QFile file(kManual);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF-1."));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        // The page objects the PDF declares, counted without a reader.
        const qsizetype declared =
            QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page(?![a-zA-Z])"));
        QCOMPARE(declared, m_pages.size());
        const QStringList headings = helpHeadings();
        QVERIFY(sectionCount(headings) >= 10);
        QVERIFY2(m_pages.size() > sectionCount(headings) + 2,
                 qPrintable(QString::number(m_pages.size())));
    }

    // The contents list every section and subsection of the help, in its order, each with the
    // page it begins on; and that page shows it.
    void contentsListEveryHeadingAtItsPage()
    {
        const QStringList headings = helpHeadings();
        QVERIFY(headings.size() > 20);
        int front = 0; // the pages before the first section: title and contents
        const auto sectionPage = [&](const QString& page) {
            return plain(page).contains(headings.first()) && !page.contains("..........");
        };
        while (front < m_pages.size() && !sectionPage(m_pages[front]))
            ++front;
        QVERIFY2(front >= 2 && front < m_pages.size(), "no page begins with the first section");
        const QString contents = plain(m_pages.mid(0, front).join(' '));
        QVERIFY(contents.contains("Spis treści"));

        qsizetype at = 0;
        int lastPage = front + 1;
        for (const QString& heading : headings) {
            const QRegularExpression entry(QRegularExpression::escape(heading) +
                                           QStringLiteral(" \\.{3,} (\\d+)"));
            const QRegularExpressionMatch m = entry.match(contents, at);
            QVERIFY2(m.hasMatch(),
                     qPrintable("not in the contents after the previous one: " + heading));
            at = m.capturedEnd();
            const int page = m.captured(1).toInt();
            QVERIFY2(page >= lastPage && page <= m_pages.size(), qPrintable(heading));
            lastPage = page;
            QVERIFY2(plain(m_pages[page - 1]).contains(heading),
                     qPrintable(QString("%1 is not on page %2").arg(heading).arg(page)));
        }
    }

    void everyPageShowsItsNumber()
    {
        const qsizetype count = m_pages.size();
        for (qsizetype n = 0; n < count; ++n)
            QVERIFY2(plain(m_pages[n]).contains(QString("strona %1 z %2").arg(n + 1).arg(count)),
                     qPrintable(QString::number(n + 1)));
    }

    // The build tree is laid out as an installation: the program there finds the help and
    // the manual in its data folder, the help as written, with every picture.
    void theBuiltProgramFindsHelpAndManual()
    {
        const QString data = dataFolderFor(QStringLiteral(KX_PROGRAM_DIR));
        setInstalledDataFolder(data);
        QTemporaryDir start; // a working folder of the operator's, without the files
        const QString help = helpFilePath(start.path());
        const QString manual = manualFilePath(start.path());
        setInstalledDataFolder(QString());
        QVERIFY2(QFileInfo(help).isFile(), qPrintable(help));
        QCOMPARE(QFileInfo(manual).canonicalFilePath(), QFileInfo(kManual).canonicalFilePath());

        QFile built(help);
        QFile source(kHelpSource + "/" + kHelpFileName);
        QVERIFY(built.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
        QCOMPARE(built.readAll(), source.readAll());
        const QDir sourcePictures(kHelpSource + "/img");
        const QDir builtPictures(QFileInfo(help).absolutePath() + "/img");
        QCOMPARE(builtPictures.entryList(QDir::Files, QDir::Name),
                 sourcePictures.entryList(QDir::Files, QDir::Name));
    }
};

QTEST_MAIN(TestManual)
#include "test_manual.moc"
