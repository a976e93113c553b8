#include "app/TO_programieForm.h"

#include "ui/common/Dimension.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/AboutTexts.h"
#include "app/ProgramPaths.h"
#include "ui/common/Colours.h"

// The project's version, from the build.
#if !defined(KX_VERSION_MAJOR) || !defined(KX_VERSION_MINOR)
#error "KX_VERSION_MAJOR and KX_VERSION_MINOR must come from the build"
#endif

namespace kx {

namespace {

// The picture is small: so are its arrow heads.
constexpr ArrowHead kSmallHeads{6, 2.5};

// Type sizes in pixels, so the texts fit the fixed client area whatever the screen.
constexpr int kLargeBold = 24;
constexpr int kMakerSize = 15;
constexpr int kSmallSize = 11;

// The colours of the device tab's drawing of the measuring fields.
const QColor kFieldFill{226, 236, 246};
const QColor kInk{40, 40, 40};
const QColor kBody{214, 218, 224};
const QColor kDisplay{24, 24, 24};

// The device above its two measuring fields, with the chain of dimensions under them.
class AboutPicture : public QWidget
{
public:
    static constexpr int kWidth = 152;
    static constexpr int kHeight = 132;

    explicit AboutPicture(QWidget* parent) : QWidget(parent)
    {
        setObjectName("Image1");
        setFixedSize(kWidth, kHeight);
        setAccessibleName(
            QString::fromUtf8("Urządzenie KX350T i jego dwa pola pomiarowe, X1 i X2"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        drawDevice(p);

        // The leads from the device down to the fields.
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        QPainterPath leads;
        leads.moveTo(kDeviceLeft + 18, kDeviceBottom);
        leads.lineTo(kDeviceLeft + 18, kLeadY);
        leads.lineTo(kField1Centre, kLeadY);
        leads.lineTo(kField1Centre, kFieldTop);
        leads.moveTo(kDeviceRight - 18, kDeviceBottom);
        leads.lineTo(kDeviceRight - 18, kLeadY);
        leads.lineTo(kField2Centre, kLeadY);
        leads.lineTo(kField2Centre, kFieldTop);
        p.drawPath(leads);

        drawField(p, kField1Left, kField1Right, QStringLiteral("X1"));
        drawField(p, kField2Left, kField2Right, QStringLiteral("X2"));

        // The chain of dimensions under the fields, as on the device tab.
        p.setPen(QPen(kNavy, 1));
        for (int x : {kField1Left, kField1Right, kField2Left, kField2Right})
            p.drawLine(QPointF(x, kFieldBottom + 3), QPointF(x, kDimensionY + 4));
        drawDimension(p, QPointF(kField1Left, kDimensionY), QPointF(kField1Right, kDimensionY),
                      kSmallHeads);
        drawDimension(p, QPointF(kField1Right, kDimensionY), QPointF(kField2Left, kDimensionY),
                      kSmallHeads);
        drawDimension(p, QPointF(kField2Left, kDimensionY), QPointF(kField2Right, kDimensionY),
                      kSmallHeads);
    }

private:
    static constexpr double kDeviceLeft = 34;
    static constexpr double kDeviceRight = 118;
    static constexpr double kDeviceTop = 2;
    static constexpr double kDeviceBottom = 50;
    static constexpr double kLeadY = 60;
    static constexpr double kField1Left = 4;
    static constexpr double kField1Right = 62;
    static constexpr double kField2Left = 88;
    static constexpr double kField2Right = 148;
    static constexpr double kField1Centre = (kField1Left + kField1Right) / 2;
    static constexpr double kField2Centre = (kField2Left + kField2Right) / 2;
    static constexpr double kFieldTop = 70;
    static constexpr double kFieldBottom = 114;
    static constexpr double kDimensionY = 124;

    static void drawDevice(QPainter& p)
    {
        const QRectF body(kDeviceLeft, kDeviceTop, kDeviceRight - kDeviceLeft,
                          kDeviceBottom - kDeviceTop);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kBody);
        p.drawRoundedRect(body, 5, 5);

        // Its own display, showing a result.
        const QRectF display(kDeviceLeft + 8, kDeviceTop + 7, body.width() - 16, 20);
        p.setPen(Qt::NoPen);
        p.setBrush(kDisplay);
        p.drawRoundedRect(display, 2, 2);
        QFont digits = p.font();
        digits.setFamily(QStringLiteral("monospace"));
        digits.setStyleHint(QFont::Monospace);
        digits.setPixelSize(15);
        digits.setBold(true);
        p.setFont(digits);
        p.setPen(kRed);
        p.drawText(display.adjusted(0, 0, -5, 0), Qt::AlignVCenter | Qt::AlignRight,
                   QStringLiteral("12.345"));

        // The two threshold outputs, one of them on.
        const double ledY = kDeviceTop + 38;
        p.setPen(QPen(kInk, 1));
        p.setBrush(kLime);
        p.drawEllipse(QPointF(kDeviceLeft + 18, ledY), 3.5, 3.5);
        p.setBrush(kGrey);
        p.drawEllipse(QPointF(kDeviceLeft + 32, ledY), 3.5, 3.5);
        // Its keys.
        p.setBrush(kSilver);
        for (double x : {kDeviceRight - 36, kDeviceRight - 24})
            p.drawRoundedRect(QRectF(x, ledY - 4, 9, 8), 1.5, 1.5);
    }

    static void drawField(QPainter& p, double left, double right, const QString& name)
    {
        const QRectF field(left, kFieldTop, right - left, kFieldBottom - kFieldTop);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kFieldFill);
        p.drawRect(field);

        const QPointF point(left + (right - left) * 0.45, kFieldBottom - 16);
        p.setPen(QPen(kNavy, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(left, point.y()), QPointF(right, point.y()));
        p.drawLine(QPointF(point.x(), kFieldTop + 16), QPointF(point.x(), kFieldBottom));
        p.setPen(kNavy);
        QFont caption = p.font();
        caption.setFamily(QString());
        caption.setStyleHint(QFont::AnyStyle);
        caption.setPixelSize(11);
        caption.setBold(true);
        p.setFont(caption);
        p.drawText(QRectF(left + 4, kFieldTop + 2, 24, 14), Qt::AlignLeft | Qt::AlignVCenter, name);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(point, 4, 4);
    }
};

struct Line
{
    QLabel* label;
    int pixelSize;
};

Line addLine(QVBoxLayout* column, const QString& objectName, const QString& text, int pixelSize,
             bool bold, const QColor& colour = Qt::black)
{
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(label);
    return {label, pixelSize};
}

// The window's size is fixed, but the platform's typeface and a distributor's texts are not:
// every line gets a pixel smaller, and again, until the column fits. A line still too wide
// then is cut with an ellipsis, its whole text in its tooltip.
void fitLines(QVBoxLayout* column, const std::vector<Line>& lines, QSize room)
{
    constexpr int kMostSmaller = 6;
    constexpr int kSmallest = 8;
    for (int smaller = 0; smaller <= kMostSmaller; ++smaller) {
        int widest = 0;
        for (const Line& line : lines) {
            QFont font = line.label->font();
            font.setPixelSize(std::max(kSmallest, line.pixelSize - smaller));
            line.label->setFont(font);
            widest = std::max(widest, line.label->sizeHint().width());
        }
        column->invalidate();
        if (column->sizeHint().height() <= room.height() && widest <= room.width())
            return;
    }
    for (const Line& line : lines) {
        const QString text = line.label->text();
        const QString cut =
            QFontMetrics(line.label->font()).elidedText(text, Qt::ElideRight, room.width());
        if (cut != text) {
            line.label->setText(cut);
            line.label->setToolTip(text);
        }
    }
}

// __DATE__, "Dec  1 2024", as the C library writes it whatever the locale.
QDate compiledOn()
{
    return QDate::fromString(QString::fromLatin1(__DATE__).simplified(), u"MMM d yyyy");
}

} // namespace

TO_programieForm::TO_programieForm(QWidget* parent)
    : ToolWindow(parent, QString::fromUtf8(about::kCaption), QSize(kClientWidth, kClientHeight))
{
    setObjectName("O_programieForm");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    constexpr QMargins kMargins(12, 6, 8, 6);
    constexpr int kGap = 8;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kMargins);
    row->setSpacing(kGap);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    std::vector<Line> lines;
    lines.push_back(addLine(texts, "Label1", QStringLiteral("KX350T-PC"), kLargeBold, true));
    lines.push_back(addLine(texts, "Label2", versionLine(), kSmallSize, true));
    lines.push_back(
        addLine(texts, "Label3", QString::fromUtf8(about::kDescription), kSmallSize, false));
    lines.push_back(addLine(texts, "Label4", buildLine(), kSmallSize, false));
    lines.push_back(
        addLine(texts, "Label5", QString::fromUtf8(about::kLicence), kSmallSize, false));
    // The maker's name large, the rest of its block small, as a business card reads.
    const QStringList maker = makerLines(installedDataFolder());
    if (!maker.isEmpty())
        texts->addSpacing(6);
    for (qsizetype n = 0; n < maker.size(); ++n)
        lines.push_back(addLine(texts, QStringLiteral("Maker%1").arg(n + 1), maker[n],
                                n == 0 ? kMakerSize : kSmallSize, false,
                                n == 0 ? kNavy : Qt::black));
    texts->addStretch(1);
    row->addLayout(texts, 1);
    fitLines(texts, lines,
             QSize(kClientWidth - kMargins.left() - kMargins.right() - kGap - AboutPicture::kWidth,
                   kClientHeight - kMargins.top() - kMargins.bottom()));

    auto* side = new QVBoxLayout;
    side->setSpacing(0);
    side->addWidget(new AboutPicture(this), 0, Qt::AlignRight | Qt::AlignTop);
    side->addStretch(1);
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("BitBtn1");
    m_ok->setFixedSize(80, 26);
    m_ok->setAutoDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &TO_programieForm::BitBtn1Click);
    side->addWidget(m_ok, 0, Qt::AlignRight | Qt::AlignBottom);
    row->addLayout(side);
}

QString TO_programieForm::versionLine()
{
    return QStringLiteral("wersja %1.%2")
        .arg(KX_VERSION_MAJOR)
        .arg(KX_VERSION_MINOR, 2, 10, QLatin1Char('0'));
}

QString TO_programieForm::buildLine()
{
    const QString running = QString::fromLatin1(qVersion());
    const QString built = QStringLiteral(QT_VERSION_STR);
    QString line =
        QStringLiteral("zbudowano %1 z Qt %2").arg(compiledOn().toString(Qt::ISODate), built);
    if (running != built)
        line += QStringLiteral(", działa z Qt %1").arg(running);
    return line;
}

QStringList TO_programieForm::makerLines(const QString& folder)
{
    // A block of a few lines: more than this is not a maker's block.
    constexpr qint64 kMostBytes = 4096;
    if (folder.isEmpty())
        return {};
    QFile file(findProgramFile(folder, {QString::fromLatin1(about::kMakerFile)}));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(kMostBytes + 1);
    // Only whole lines, so no character is cut in two either.
    if (bytes.size() > kMostBytes)
        bytes.truncate(std::max<qsizetype>(0, bytes.lastIndexOf('\n', kMostBytes - 1)));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    // Saved by a Windows editor in the system's code page rather than in UTF-8.
    if (utf8.hasError())
        text = QString::fromLocal8Bit(bytes);
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString shown = line.trimmed();
        if (shown.isEmpty())
            continue;
        if (lines.size() == about::kMostMakerLines)
            break;
        lines << shown;
    }
    return lines;
}

void TO_programieForm::BitBtn1Click()
{
    hide();
}

void TO_programieForm::showEvent(QShowEvent* event)
{
    ToolWindow::showEvent(event);
    m_ok->setFocus();
}

void TO_programieForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        BitBtn1Click();
        return;
    }
    ToolWindow::keyPressEvent(event);
}

} // namespace kx
