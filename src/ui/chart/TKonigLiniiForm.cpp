#include "ui/chart/TKonigLiniiForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

#include "ui/common/Dimension.h"

namespace kx {

namespace {

const QString kHeightCaption = QStringLiteral("wysokość H=");
const QString kOffsetCaption = QStringLiteral("offset      F=");

// The fields' values when the window is created: the four lines stacked without touching.
constexpr int kInitialHeight = 50;
constexpr int kInitialOffsets[TKonigLiniiForm::kOutputs] = {0, 75, 150, 225};

// How H and F place an output line: F lifts the line's low level off zero, H is the step up
// while the output is on.
class LinePicture : public QWidget
{
public:
    explicit LinePicture(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName("LinePicture");
        setFixedSize(96, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.setBrush(Qt::black);
        p.drawRect(frame);

        constexpr double zero = 104; // y of the value 0
        constexpr double low = 72;   // y of F
        constexpr double high = 26;  // y of F + H
        constexpr double axisX = 12;

        // The time axis and the zero line.
        p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1));
        p.drawLine(QPointF(axisX, zero), QPointF(frame.right() - 4, zero));
        p.drawLine(QPointF(axisX, zero), QPointF(axisX, 8));

        // The output line: low at F, high at F + H while the output is on.
        p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 2));
        const QPointF line[] = {{axisX, low}, {28, low}, {28, high},
                                {62, high},   {62, low}, {frame.right() - 4, low}};
        p.drawPolyline(line, 6);

        p.setPen(QPen(QColor(0xFF, 0x80, 0x00), 1));
        drawDimension(p, {76, zero}, {76, low}, {6, 3});
        drawDimension(p, {42, low}, {42, high}, {6, 3});
        QFont font = p.font();
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(79, low, 14, zero - low), Qt::AlignCenter, QStringLiteral("F"));
        p.drawText(QRectF(45, high, 14, low - high), Qt::AlignCenter, QStringLiteral("H"));
    }
};

QSpinBox* makeField(const QString& name, const QString& caption, int value)
{
    auto* field = new QSpinBox;
    field->setObjectName(name);
    field->setAccessibleName(caption);
    // The lines may be placed anywhere, below zero too.
    field->setRange(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    field->setSingleStep(1);
    field->setValue(value);
    field->setAlignment(Qt::AlignRight);
    // Room for six digits; the full range would make the field as wide as its caption.
    field->setFixedWidth(64);
    return field;
}

} // namespace

TKonigLiniiForm::TKonigLiniiForm(LineSettings& stored, QWidget* parent)
    : ToolWindow(parent, "Konfiguracja linii wyjsc na wykresie", QSize(460, 182)), m_stored(stored)
{
    setObjectName("KonigLiniiForm");

    auto* groups = new QGridLayout;
    groups->setSpacing(6);
    for (int n = 0; n < kOutputs; ++n) {
        const QString output = QStringLiteral("PK%1").arg(n + 1);
        auto* group = new QGroupBox(output);
        group->setObjectName("GroupBox" + output);
        m_height[n] = makeField(output + "_H", kHeightCaption, kInitialHeight);
        m_offset[n] = makeField(output + "_F", kOffsetCaption, kInitialOffsets[n]);
        auto* heightLabel = new QLabel(kHeightCaption);
        heightLabel->setBuddy(m_height[n]);
        auto* offsetLabel = new QLabel(kOffsetCaption);
        offsetLabel->setBuddy(m_offset[n]);

        auto* layout = new QGridLayout(group);
        layout->setContentsMargins(6, 4, 6, 6);
        layout->setHorizontalSpacing(4);
        layout->setVerticalSpacing(4);
        layout->addWidget(heightLabel, 0, 0);
        layout->addWidget(m_height[n], 0, 1);
        layout->addWidget(offsetLabel, 1, 0);
        layout->addWidget(m_offset[n], 1, 1);
        layout->setColumnStretch(1, 1);
        groups->addWidget(group, n / 2, n % 2);
    }

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName("ButtonOK");
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        copyOut();
        close();
    });
    for (int n = 0; n < kOutputs; ++n)
        for (QSpinBox* field : {m_height[n], m_offset[n]})
            connect(field, &QSpinBox::valueChanged, this, [this] {
                if (!m_copyingIn)
                    copyOut();
            });

    auto* aside = new QVBoxLayout;
    aside->setSpacing(6);
    aside->addWidget(new LinePicture, 0, Qt::AlignHCenter);
    aside->addStretch(1);
    aside->addWidget(m_ok);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    layout->addLayout(groups, 1);
    layout->addLayout(aside);
}

LineSettings TKonigLiniiForm::lineSettings() const
{
    LineSettings values{};
    for (int n = 0; n < kOutputs; ++n) {
        values[2 * n] = m_height[n]->value();
        values[2 * n + 1] = m_offset[n]->value();
    }
    return values;
}

void TKonigLiniiForm::setLineSettings(const LineSettings& values)
{
    {
        const QScopedValueRollback quiet(m_copyingIn, true);
        for (int n = 0; n < kOutputs; ++n) {
            m_height[n]->setValue(values[2 * n]);
            m_offset[n]->setValue(values[2 * n + 1]);
        }
    }
    copyOut();
}

void TKonigLiniiForm::copyIn()
{
    const QScopedValueRollback quiet(m_copyingIn, true);
    const LineSettings stored = m_stored;
    for (int n = 0; n < kOutputs; ++n) {
        m_height[n]->setValue(stored[2 * n]);
        m_offset[n]->setValue(stored[2 * n + 1]);
    }
}

void TKonigLiniiForm::copyOut()
{
    m_stored = lineSettings();
}

void TKonigLiniiForm::showEvent(QShowEvent* event)
{
    copyIn();
    ToolWindow::showEvent(event);
}

QSpinBox* TKonigLiniiForm::heightField(int output) const
{
    return output >= 0 && output < kOutputs ? m_height[output] : nullptr;
}

QSpinBox* TKonigLiniiForm::offsetField(int output) const
{
    return output >= 0 && output < kOutputs ? m_offset[output] : nullptr;
}

QPushButton* TKonigLiniiForm::okButton() const
{
    return m_ok;
}

} // namespace kx
