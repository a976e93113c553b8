#include "ui/measure/IndicatorPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/common/CGauge.h"
#include "ui/common/Colours.h"
#include "ui/common/LockedGroup.h"
#include "ui/common/ReadoutField.h"
#include "ui/common/ValueLabel.h"

namespace kx {

namespace {

ReadoutField* makeField(const char* name, const QColor& text, int pixelSize, const QString& caption)
{
    auto* field = new ReadoutField(caption, text, pixelSize, QStringLiteral("-------------"));
    field->setObjectName(name);
    field->setContentsMargins(16, 2, 16, 2);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return field;
}

CGauge* makeBar(const char* name, const QColor& fore, const QColor& back, int height)
{
    auto* bar = new CGauge;
    bar->setObjectName(name);
    bar->setForeColor(fore);
    bar->setBackColor(back);
    bar->setFixedHeight(height);
    return bar;
}

QCheckBox* makeActive(const char* name)
{
    auto* box = new QCheckBox(QStringLiteral("Aktywny"));
    box->setObjectName(name);
    return box;
}

// "próbkowanie co:". Without a settings file it shows 0, which sampling takes as the least
// period. Anything may be typed: on leaving, a number below the least reads as the least, one
// above the greatest as the greatest, and a text that is not a whole number as the least,
// instead of silently going back to the value before; the arrows stay within the two.
class PeriodBox : public QSpinBox
{
public:
    PeriodBox()
    {
        setRange(0, kMaxSamplingPeriodMs);
        setValue(0);
    }

    void stepBy(int steps) override
    {
        setValue(std::clamp(value() + steps * singleStep(), kMinSamplingPeriodMs, maximum()));
    }

protected:
    QValidator::State validate(QString& input, int& pos) const override
    {
        if (QSpinBox::validate(input, pos) == QValidator::Acceptable &&
            valueFromText(input) >= kMinSamplingPeriodMs)
            return QValidator::Acceptable;
        return QValidator::Intermediate;
    }

    void fixup(QString& input) const override
    {
        bool number = false;
        const qlonglong typed = locale().toLongLong(input.trimmed(), &number);
        if (!number) {
            input = textFromValue(kMinSamplingPeriodMs);
            return;
        }
        input = textFromValue(int(std::clamp<qlonglong>(typed, kMinSamplingPeriodMs, maximum())));
    }

    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = QSpinBox::stepEnabled();
        if (value() <= kMinSamplingPeriodMs)
            enabled &= ~StepDownEnabled;
        return enabled;
    }
};

ValueLabel* makeValueLabel(const char* name, const QString& caption)
{
    auto* value = new ValueLabel(caption);
    value->setObjectName(name);
    value->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setContentsMargins(6, 2, 6, 2);
    value->setMinimumWidth(110);
    value->setMinimumHeight(26);
    value->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont font = value->font();
    font.setPixelSize(15);
    font.setBold(true);
    value->setFont(font);
    return value;
}

QLabel* makeIndicator(const char* name, const QString& text)
{
    auto* indicator = new QLabel(text);
    indicator->setObjectName(name);
    indicator->setAccessibleName(text);
    indicator->setAutoFillBackground(true);
    indicator->setAlignment(Qt::AlignCenter);
    indicator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    indicator->setMinimumSize(100, 64);
    indicator->setMaximumHeight(130);
    indicator->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QFont font = indicator->font();
    font.setPixelSize(28);
    font.setBold(true);
    indicator->setFont(font);
    return indicator;
}

QPushButton* makeButton(const char* name, const QString& text)
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setMinimumHeight(44);
    button->setMaximumHeight(72);
    button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Expanding);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

} // namespace

IndicatorPage::IndicatorPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("IndicatorPage");

    auto* channels = new QHBoxLayout;
    channels->setSpacing(8);
    channels->addWidget(buildChannelGroup(QStringLiteral("X1 (kanał 1)"), kLime, "X1Field",
                                          "CGauge2", "Aktywny_X1", m_fields[1], m_x1Bar,
                                          m_x1Active));
    channels->addWidget(buildChannelGroup(QStringLiteral("X2 (kanał 2)"), kAqua, "X2Field",
                                          "CGauge3", "Aktywny_X2", m_fields[2], m_x2Bar,
                                          m_x2Active));

    // The right column lines up with the left: lamps and buttons beside Y, the sampling
    // beside X1 and X2.
    auto* measurement = new QVBoxLayout;
    measurement->setSpacing(8);
    measurement->addWidget(buildOutputsGroup(), 1);
    measurement->addWidget(buildReadingGroup(), 1);

    auto* sampling = new QVBoxLayout;
    sampling->setSpacing(8);
    sampling->addWidget(buildSamplingGroup(), 1);
    sampling->addWidget(buildReadoutsGroup());

    auto* page = new QGridLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(8);
    page->addWidget(buildYGroup(), 0, 0);
    page->addLayout(channels, 1, 0);
    page->addLayout(measurement, 0, 1);
    page->addLayout(sampling, 1, 1);
    page->setRowStretch(0, 3);
    page->setRowStretch(1, 2);
    page->setColumnStretch(0, 1);

    paintOutput(m_pk1, false);
    paintOutput(m_pk2, false);
}

QGroupBox* IndicatorPage::buildYGroup()
{
    const QString title = QStringLiteral("Y (wartość mierzona)");
    auto* group = new QGroupBox(title);
    group->setObjectName("GroupBoxY");

    m_fields[0] = makeField("YField", kRed, 48, title);
    m_fields[0]->setMinimumHeight(96);
    m_yBar = makeBar("CGauge1", Qt::red, Qt::black, 30);

    m_leftHalf = makeBar("CGauge5", Qt::black, Qt::red, 30);
    // Empty at start, like its right partner: the left bar shows max − value.
    m_leftHalf->setProgress(m_leftHalf->maxValue());
    m_rightHalf = makeBar("CGauge4", Qt::red, Qt::black, 30);
    auto* centre = new QFrame;
    centre->setObjectName("HalfBarCentre");
    centre->setFrameShape(QFrame::VLine);
    centre->setFrameShadow(QFrame::Plain);
    centre->setLineWidth(2);
    centre->setFixedSize(4, 42);
    auto* halves = new QHBoxLayout;
    halves->setSpacing(0);
    halves->addWidget(m_leftHalf, 1, Qt::AlignVCenter);
    halves->addWidget(centre);
    halves->addWidget(m_rightHalf, 1, Qt::AlignVCenter);

    m_yActive = makeActive("Aktywny_Y");

    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(8);
    layout->addWidget(m_fields[0], 1);
    layout->addWidget(m_yBar);
    layout->addLayout(halves);
    layout->addWidget(m_yActive);
    return group;
}

QGroupBox* IndicatorPage::buildChannelGroup(const QString& title, const QColor& colour,
                                            const char* field, const char* bar, const char* active,
                                            ReadoutField*& fieldOut, CGauge*& barOut,
                                            QCheckBox*& activeOut)
{
    auto* group = new QGroupBox(title);
    group->setObjectName(QStringLiteral("GroupBox") + QString::fromLatin1(field).chopped(5));

    fieldOut = makeField(field, colour, 32, title);
    fieldOut->setMinimumHeight(56);
    barOut = makeBar(bar, colour, Qt::black, 24);
    activeOut = makeActive(active);

    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(8);
    layout->addWidget(fieldOut, 1);
    layout->addWidget(barOut);
    layout->addWidget(activeOut);
    return group;
}

QGroupBox* IndicatorPage::buildOutputsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Stan wyjść"));
    group->setObjectName("GroupBoxOutputStates");
    m_pk1 = makeIndicator("IndicatorPK1", QStringLiteral("PK1"));
    m_pk2 = makeIndicator("IndicatorPK2", QStringLiteral("PK2"));
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(12);
    layout->addWidget(m_pk1);
    layout->addWidget(m_pk2);
    return group;
}

QGroupBox* IndicatorPage::buildReadingGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Odczyt"));
    group->setObjectName("GroupBoxReading");
    QPushButton* start = makeButton("ButtonStart", QStringLiteral("START"));
    QPushButton* stop = makeButton("ButtonStop", QStringLiteral("STOP"));
    QPushButton* pause = makeButton("ButtonPause", QStringLiteral("PAUSE"));
    connect(start, &QPushButton::clicked, this, &IndicatorPage::startClicked);
    connect(stop, &QPushButton::clicked, this, &IndicatorPage::stopClicked);
    connect(pause, &QPushButton::clicked, this, &IndicatorPage::pauseClicked);
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(6);
    layout->addWidget(start);
    layout->addWidget(stop);
    layout->addWidget(pause);
    return group;
}

QGroupBox* IndicatorPage::buildReadoutsGroup()
{
    // Not inside "Próbkowanie": a running measurement disables that group, and these run on.
    auto* group = new QGroupBox;
    group->setObjectName("GroupBoxReadouts");
    const QString timeCaption = QStringLiteral("czas [s]:");
    const QString rateCaption = QStringLiteral("próbek na sekundę:");
    m_time = makeValueLabel("TimeLabel", timeCaption);
    m_rate = makeValueLabel("RateLabel", rateCaption);
    auto* layout = new QFormLayout(group);
    layout->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addRow(timeCaption, m_time);
    layout->addRow(rateCaption, m_rate);
    return group;
}

QGroupBox* IndicatorPage::buildSamplingGroup()
{
    m_sampling = new QGroupBox(QStringLiteral("Próbkowanie"));
    m_sampling->setObjectName("GroupBoxSampling");

    const QString periodCaption = QStringLiteral("próbkowanie co:");
    auto* periodLabel = new QLabel(periodCaption);
    m_period = new PeriodBox;
    m_period->setObjectName("SamplingPeriod");
    m_period->setAccessibleName(periodCaption);
    m_period->setSingleStep(10);
    m_period->setAlignment(Qt::AlignRight);
    periodLabel->setBuddy(m_period);

    m_continuous = new QCheckBox(QStringLiteral("Próbkowanie ciągłe:"));
    m_continuous->setObjectName("ContinuousSampling");
    // The caption ends in a colon: the box follows it, as in the other rows.
    m_continuous->setLayoutDirection(Qt::RightToLeft);
    connect(m_continuous, &QCheckBox::toggled, this, &IndicatorPage::continuousSamplingToggled);

    // It has no caption of its own: its name says what it shows.
    m_periodDisplay = makeValueLabel("Label67", QStringLiteral("okres próbkowania ciągłego [ms]"));
    m_periodUnit = new QLabel(QStringLiteral("[ms]"));
    m_periodUnit->setObjectName("PeriodUnit");
    for (QWidget* w :
         {static_cast<QWidget*>(m_periodDisplay), static_cast<QWidget*>(m_periodUnit)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    auto* layout = new QGridLayout(m_sampling);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(8);
    layout->addWidget(periodLabel, 0, 0);
    layout->addWidget(m_period, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("[ms]")), 0, 2);
    layout->addWidget(m_continuous, 1, 0, 1, 2, Qt::AlignAbsolute | Qt::AlignLeft);
    layout->addWidget(m_periodDisplay, 2, 1);
    layout->addWidget(m_periodUnit, 2, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);

    setPeriodDisplayVisible(false);
    return m_sampling;
}

void IndicatorPage::setPeriodDisplayVisible(bool visible)
{
    m_periodDisplay->setVisible(visible);
    m_periodUnit->setVisible(visible);
}

ActiveValues IndicatorPage::active() const
{
    return {m_yActive->isChecked(), m_x1Active->isChecked(), m_x2Active->isChecked()};
}

void IndicatorPage::setActive(const ActiveValues& active)
{
    m_yActive->setChecked(active.y);
    m_x1Active->setChecked(active.x1);
    m_x2Active->setChecked(active.x2);
}

SamplingSettings IndicatorPage::sampling() const
{
    return {m_continuous->isChecked(), m_period->value()};
}

void IndicatorPage::setSampling(const SamplingSettings& sampling)
{
    m_continuous->setChecked(sampling.continuous);
    m_period->setValue(sampling.periodMs);
}

void IndicatorPage::showValue(Channel c, const QString& text)
{
    m_fields[static_cast<std::size_t>(c)]->setText(text);
}

void IndicatorPage::setBars(const BarPositions& bars)
{
    const std::pair<CGauge*, const std::optional<int>&> positions[] = {
        {m_yBar, bars.y},   {m_rightHalf, bars.right}, {m_leftHalf, bars.left},
        {m_x1Bar, bars.x1}, {m_x2Bar, bars.x2},
    };
    for (const auto& [bar, position] : positions)
        if (position)
            bar->setProgress(*position);
}

CGauge* IndicatorPage::gauge(Gauge g) const
{
    switch (g) {
    case Gauge::Y:
        return m_yBar;
    case Gauge::X1:
        return m_x1Bar;
    case Gauge::X2:
        return m_x2Bar;
    case Gauge::RightHalf:
        return m_rightHalf;
    case Gauge::LeftHalf:
        break;
    }
    return m_leftHalf;
}

void IndicatorPage::setGaugeMaximum(Gauge g, int maximum)
{
    CGauge* bar = gauge(g);
    const bool leftAtRest = g == Gauge::LeftHalf && bar->progress() == bar->maxValue();
    bar->setMaxValue(maximum);
    if (leftAtRest)
        bar->setProgress(maximum);
}

int IndicatorPage::leftHalfMaximum() const
{
    return m_leftHalf->maxValue();
}

void IndicatorPage::setOutputs(bool pk1, bool pk2)
{
    if (pk1 != m_pk1On)
        paintOutput(m_pk1, m_pk1On = pk1);
    if (pk2 != m_pk2On)
        paintOutput(m_pk2, m_pk2On = pk2);
}

void IndicatorPage::paintOutput(QLabel* indicator, bool on)
{
    QPalette p = indicator->palette();
    p.setColor(QPalette::Window, on ? kOutputOn : kOutputOff);
    p.setColor(QPalette::WindowText, on ? Qt::black : Qt::white);
    indicator->setPalette(p);
}

void IndicatorPage::setRateText(const QString& text)
{
    m_rate->setText(text);
}

void IndicatorPage::setTimeText(const QString& text)
{
    m_time->setText(text);
}

void IndicatorPage::setPeriodText(const QString& text)
{
    m_periodDisplay->setText(text);
}

void IndicatorPage::setLocked(bool locked)
{
    setGroupLocked(m_sampling, locked);
}

} // namespace kx
