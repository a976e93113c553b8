// Makes the manual from the help: the HTML laid out on A4 pages by QTextDocument and written
// by QPdfWriter, a title page, a table of contents with the page of every section and
// subsection, a number on every page, every section on a page of its own. A picture that does
// not load fails the build, so a broken help never ships as a manual.
// Usage: kx_help_pdf HELP.html OUT.pdf
// The help's own contents (links, no page numbers) lie between <!-- toc --> and <!-- /toc -->
// and are left out; what comes before them is the title page.

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDpi = 300;
// What QTextDocument takes a pixel of the HTML to be.
constexpr double kCssDpi = 96.0;
constexpr double kMarginMm[4] = {20, 20, 20, 22}; // left, top, right, bottom
constexpr double kFooterMm = 11;                  // page number's baseline above the edge
constexpr double kHeaderMm = 11;
const char kFont[] = "DejaVu Sans";

double px(double mm)
{
    return mm / 25.4 * kDpi;
}

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "kx_help_pdf: %s\n", qPrintable(what));
    std::exit(1);
}

struct Heading
{
    int level;
    QString text;
    int bodyPage; // 0-based, in the body's own pages
};

struct Parts
{
    QString title; // the title page's HTML
    QString body;
    QString name; // the document's name, from <title>
};

Parts split(const QString& html)
{
    const QString open = QStringLiteral("<!-- toc -->");
    const QString close = QStringLiteral("<!-- /toc -->");
    const qsizetype from = html.indexOf(open);
    const qsizetype to = html.indexOf(close);
    const qsizetype bodyTag = html.indexOf(QStringLiteral("<body"));
    if (from < 0 || to < from || bodyTag < 0 || bodyTag > from)
        fail("the help has no <!-- toc --> … <!-- /toc --> after <body>");
    const qsizetype bodyStart = html.indexOf(u'>', bodyTag) + 1;
    Parts parts;
    parts.title = html.left(from) + QStringLiteral("</body></html>");
    parts.body = html.left(bodyStart) + html.mid(to + close.size());
    const qsizetype t = html.indexOf(QStringLiteral("<title>"));
    const qsizetype te = html.indexOf(QStringLiteral("</title>"));
    parts.name = t >= 0 && te > t ? html.mid(t + 7, te - t - 7).trimmed() : QString();
    return parts;
}

void prepare(QTextDocument& doc, QPaintDevice* device, const QString& folder, const QString& html)
{
    doc.documentLayout()->setPaintDevice(device);
    doc.setDefaultFont(QFont(QString::fromLatin1(kFont), 10));
    doc.setBaseUrl(QUrl::fromLocalFile(folder + u'/'));
    doc.setHtml(html);
    // The page's margins are the PDF's own: none of the browser's body margins on top.
    QTextFrameFormat root = doc.rootFrame()->frameFormat();
    root.setMargin(0);
    root.setPadding(0);
    doc.rootFrame()->setFrameFormat(root);
    doc.setDocumentMargin(0);
}

QImage loadedImage(QTextDocument& doc, const QString& name)
{
    const QVariant v = doc.resource(QTextDocument::ImageResource, QUrl(name));
    if (v.canConvert<QImage>() && v.typeId() != QMetaType::QByteArray)
        return v.value<QImage>();
    return QImage::fromData(v.toByteArray());
}

// Pictures wider than the text or taller than most of a page shrink to fit, keeping their
// shape. The text's line spacing is a share of a line's height, and a picture is a line of
// its own height: its paragraph keeps single spacing.
void fitPictures(QTextDocument& doc, QSizeF room)
{
    struct Fit
    {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Fit> fits;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image = loadedImage(doc, format.name());
            if (image.isNull())
                fail("picture " + format.name() + " does not load");
            QSizeF size(format.width() > 0 ? format.width() : image.width(),
                        format.height() > 0 ? format.height() : image.height());
            const double scale =
                std::min({1.0, room.width() / size.width(), room.height() * 0.62 / size.height()});
            format.setWidth(size.width() * scale);
            format.setHeight(size.height() * scale);
            fits.push_back({fragment.position(), fragment.length(), format});
        }
    for (const Fit& fit : fits) {
        QTextCursor cursor(&doc);
        cursor.setPosition(fit.position);
        QTextBlockFormat single = cursor.blockFormat();
        single.setLineHeight(100, QTextBlockFormat::ProportionalHeight);
        cursor.setBlockFormat(single);
        cursor.setPosition(fit.position);
        cursor.setPosition(fit.position + fit.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(fit.format);
    }
}

// Every section starts a page; the first is on the body's first page already.
void breakBeforeSections(QTextDocument& doc)
{
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 2)
            continue;
        if (!first) {
            QTextCursor cursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
        }
        first = false;
    }
}

std::vector<Heading> headings(QTextDocument& doc, double pageHeight)
{
    std::vector<Heading> found;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 2 && level != 3)
            continue;
        const double top = doc.documentLayout()->blockBoundingRect(block).top();
        found.push_back({level, block.text().simplified(), int(std::floor(top / pageHeight))});
    }
    return found;
}

void drawFooter(QPainter& p, const QRectF& page, int number, int count)
{
    QFont font(QString::fromLatin1(kFont), 8);
    p.setFont(font);
    p.setPen(QColor(90, 90, 90));
    const QRectF line(0, page.height() - px(kFooterMm) - px(5), page.width(), px(5));
    p.drawText(line, Qt::AlignHCenter | Qt::AlignBottom,
               QStringLiteral("strona %1 z %2").arg(number).arg(count));
}

void drawHeader(QPainter& p, const QRectF& page, const QString& name)
{
    QFont font(QString::fromLatin1(kFont), 8);
    p.setFont(font);
    p.setPen(QColor(90, 90, 90));
    const double left = px(kMarginMm[0]);
    const double right = page.width() - px(kMarginMm[2]);
    const QRectF line(left, px(kHeaderMm) - px(5), right - left, px(5));
    p.drawText(line, Qt::AlignLeft | Qt::AlignBottom, name);
    p.setPen(QPen(QColor(170, 170, 170), px(0.2)));
    p.drawLine(QPointF(left, px(kHeaderMm) + px(1)), QPointF(right, px(kHeaderMm) + px(1)));
}

// The contents' lines: a heading, dots, its page number on the right.
class Contents
{
public:
    Contents(QPaintDevice* device, double width) : m_width(width)
    {
        m_entry = QFont(QString::fromLatin1(kFont), 10);
        m_section = m_entry;
        m_section.setBold(true);
        m_title = QFont(QString::fromLatin1(kFont), 16);
        m_title.setBold(true);
        m_lineHeight = QFontMetricsF(m_entry, device).height() * 1.45;
        m_titleHeight = QFontMetricsF(m_title, device).height() * 2.2;
        m_device = device;
    }

    int linesPerPage(double height, bool first) const
    {
        return int((height - (first ? m_titleHeight : 0)) / m_lineHeight);
    }

    int pagesFor(int entries, double height) const
    {
        int pages = 1;
        int left = entries - linesPerPage(height, true);
        while (left > 0) {
            ++pages;
            left -= linesPerPage(height, false);
        }
        return pages;
    }

    // Draws entries [from, from + count) at the top of the page's text area.
    void draw(QPainter& p, const std::vector<Heading>& entries, int from, int count, bool first,
              int bodyOffset) const
    {
        double y = 0;
        if (first) {
            p.setFont(m_title);
            p.setPen(Qt::black);
            p.drawText(QRectF(0, 0, m_width, m_titleHeight), Qt::AlignLeft | Qt::AlignTop,
                       QStringLiteral("Spis treści"));
            y = m_titleHeight;
        }
        for (int n = from; n < from + count; ++n) {
            const Heading& h = entries[std::size_t(n)];
            const QFont& font = h.level == 2 ? m_section : m_entry;
            const QFontMetricsF metrics(font, m_device);
            const double indent = h.level == 2 ? 0 : px(7);
            const QString number = QString::number(h.bodyPage + bodyOffset);
            const double numberWidth = metrics.horizontalAdvance(number);
            const double room = m_width - indent - numberWidth - px(12);
            const QString text = metrics.elidedText(h.text, Qt::ElideRight, room);
            const double textWidth = metrics.horizontalAdvance(text);
            const double dotsFrom = indent + textWidth + px(2);
            const double dotsTo = m_width - numberWidth - px(2);
            const double dot = metrics.horizontalAdvance(u'.');
            const int dots = std::max(0, int((dotsTo - dotsFrom) / dot));
            p.setFont(font);
            p.setPen(Qt::black);
            const QRectF line(0, y, m_width, m_lineHeight);
            p.drawText(line.adjusted(indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
            p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, number);
            p.setPen(QColor(120, 120, 120));
            p.drawText(QRectF(dotsTo - dots * dot, y, dots * dot, m_lineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, QString(dots, u'.'));
            y += m_lineHeight;
        }
    }

private:
    QPaintDevice* m_device = nullptr;
    double m_width;
    QFont m_entry;
    QFont m_section;
    QFont m_title;
    double m_lineHeight = 0;
    double m_titleHeight = 0;
};

} // namespace

int main(int argc, char** argv)
{
    // A build step: no display is needed or wanted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        fail("usage: kx_help_pdf HELP.html OUT.pdf");

    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly))
        fail("cannot read " + args[1]);
    const Parts parts = split(QString::fromUtf8(in.readAll()));
    const QString folder = QFileInfo(args[1]).absolutePath();

    QSaveFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly))
        fail("cannot write " + args[2]);
    QPdfWriter writer(&out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kDpi);
    writer.setTitle(parts.name);
    writer.setCreator(QStringLiteral("KX350T-PC"));

    const QRectF page(0, 0, writer.width(), writer.height());
    const QRectF text(px(kMarginMm[0]), px(kMarginMm[1]),
                      page.width() - px(kMarginMm[0]) - px(kMarginMm[2]),
                      page.height() - px(kMarginMm[1]) - px(kMarginMm[3]));
    const QSizeF cssRoom(text.width() * kCssDpi / kDpi, text.height() * kCssDpi / kDpi);

    QTextDocument title;
    prepare(title, &writer, folder, parts.title);
    fitPictures(title, cssRoom);
    title.setTextWidth(text.width());

    QTextDocument body;
    prepare(body, &writer, folder, parts.body);
    fitPictures(body, cssRoom);
    breakBeforeSections(body);
    body.setPageSize(text.size());
    const int bodyPages = body.pageCount();
    const std::vector<Heading> entries = headings(body, text.height());
    if (entries.empty())
        fail("the help has no sections");

    const Contents contents(&writer, text.width());
    const int contentsPages = contents.pagesFor(int(entries.size()), text.height());
    const int front = 1 + contentsPages;
    const int count = front + bodyPages;

    QPainter p;
    if (!p.begin(&writer))
        fail("cannot draw into " + args[2]);
    // The title page: the help's heading and introduction a third down the page.
    p.save();
    p.translate(text.left(), text.top() + text.height() / 4);
    title.drawContents(&p);
    p.restore();
    drawFooter(p, page, 1, count);

    int next = 0;
    for (int n = 0; n < contentsPages; ++n) {
        writer.newPage();
        const bool first = n == 0;
        const int lines =
            std::min(contents.linesPerPage(text.height(), first), int(entries.size()) - next);
        p.save();
        p.translate(text.topLeft());
        contents.draw(p, entries, next, lines, first, front + 1);
        p.restore();
        next += lines;
        drawHeader(p, page, parts.name);
        drawFooter(p, page, 2 + n, count);
    }

    for (int n = 0; n < bodyPages; ++n) {
        writer.newPage();
        p.save();
        p.translate(text.left(), text.top() - n * text.height());
        body.drawContents(&p, QRectF(0, n * text.height(), text.width(), text.height()));
        p.restore();
        drawHeader(p, page, parts.name);
        drawFooter(p, page, front + 1 + n, count);
    }
    if (!p.end() || !out.commit())
        fail("cannot write " + args[2]);
    std::printf("%s: %d pages\n", qPrintable(args[2]), count);
    return 0;
}
