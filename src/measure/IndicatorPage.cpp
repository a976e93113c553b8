#include "measure/IndicatorPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "measure/CGauge.h"

namespace kx {

namespace {

const QString kNoValue = QStringLiteral("-------------");
const QColor kLime{0x00, 0xFF, 0x00};
const QColor kAqua{0x00, 0xFF, 0xFF};

// A read-out on a black panel, read from across the bench.
QLabel* makeField(const char* name, const QColor& text, int pixelSize, const QString& caption)
{
    auto* field = new QLabel(kNoValue);
    field->setObjectName(name);
    field->setAccessibleName(caption);
    field->setAutoFillBackground(true);
    QPalette p = field->palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, text);
    field->setPalette(p);
    QFont font = field->font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    field->setFont(font);
    // Right-aligned so the decimal point of "%3.4f" stays put as the value changes.
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

QLabel* makeValueLabel(const char* name, const QString& caption)
{
    auto* value = new QLabel;
    value->setObjectName(name);
    value->setAccessibleName(caption);
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
                                          "CGauge2", "Aktywny_X1", m_x1Field, m_x1Bar, m_x1Active));
    channels->addWidget(buildChannelGroup(QStringLiteral("X2 (kanał 2)"), kAqua, "X2Field",
                                          "CGauge3", "Aktywny_X2", m_x2Field, m_x2Bar, m_x2Active));

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

    setOutputIndicator(m_pk1, false);
    setOutputIndicator(m_pk2, false);
}

QGroupBox* IndicatorPage::buildYGroup()
{
    const QString title = QStringLiteral("Y (wartość mierzona)");
    auto* group = new QGroupBox(title);
    group->setObjectName("GroupBoxY");

    m_yField = makeField("YField", Qt::red, 48, title);
    m_yField->setMinimumHeight(96);
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
    layout->addWidget(m_yField, 1);
    layout->addWidget(m_yBar);
    layout->addLayout(halves);
    layout->addWidget(m_yActive);
    return group;
}

QGroupBox* IndicatorPage::buildChannelGroup(const QString& title, const QColor& colour,
                                            const char* field, const char* bar, const char* active,
                                            QLabel*& fieldOut, CGauge*& barOut,
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
    m_start = makeButton("ButtonStart", QStringLiteral("START"));
    m_stop = makeButton("ButtonStop", QStringLiteral("STOP"));
    m_pause = makeButton("ButtonPause", QStringLiteral("PAUSE"));
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(6);
    layout->addWidget(m_start);
    layout->addWidget(m_stop);
    layout->addWidget(m_pause);
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
    m_period = new QSpinBox;
    m_period->setObjectName("SamplingPeriod");
    m_period->setAccessibleName(periodCaption);
    m_period->setRange(10, 10000000);
    m_period->setSingleStep(10);
    m_period->setAlignment(Qt::AlignRight);
    periodLabel->setBuddy(m_period);

    m_continuous = new QCheckBox(QStringLiteral("Próbkowanie ciągłe:"));
    m_continuous->setObjectName("ContinuousSampling");
    // The caption ends in a colon: the box follows it, as in the other rows.
    m_continuous->setLayoutDirection(Qt::RightToLeft);

    m_periodDisplay = makeValueLabel("Label67", QString());
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

void IndicatorPage::setOutputIndicator(QLabel* indicator, bool on)
{
    if (!indicator)
        return;
    QPalette p = indicator->palette();
    p.setColor(QPalette::Window, on ? kOutputOn : kOutputOff);
    p.setColor(QPalette::WindowText, on ? Qt::black : Qt::white);
    indicator->setPalette(p);
    // At once: a burst of frames must not leave the indicator behind the values.
    indicator->repaint();
}

QLabel* IndicatorPage::yField() const
{
    return m_yField;
}
QLabel* IndicatorPage::x1Field() const
{
    return m_x1Field;
}
QLabel* IndicatorPage::x2Field() const
{
    return m_x2Field;
}
CGauge* IndicatorPage::yBar() const
{
    return m_yBar;
}
CGauge* IndicatorPage::x1Bar() const
{
    return m_x1Bar;
}
CGauge* IndicatorPage::x2Bar() const
{
    return m_x2Bar;
}
CGauge* IndicatorPage::rightHalfBar() const
{
    return m_rightHalf;
}
CGauge* IndicatorPage::leftHalfBar() const
{
    return m_leftHalf;
}
QCheckBox* IndicatorPage::yActive() const
{
    return m_yActive;
}
QCheckBox* IndicatorPage::x1Active() const
{
    return m_x1Active;
}
QCheckBox* IndicatorPage::x2Active() const
{
    return m_x2Active;
}
QLabel* IndicatorPage::pk1Indicator() const
{
    return m_pk1;
}
QLabel* IndicatorPage::pk2Indicator() const
{
    return m_pk2;
}
QPushButton* IndicatorPage::startButton() const
{
    return m_start;
}
QPushButton* IndicatorPage::stopButton() const
{
    return m_stop;
}
QPushButton* IndicatorPage::pauseButton() const
{
    return m_pause;
}
QSpinBox* IndicatorPage::samplingPeriod() const
{
    return m_period;
}
QCheckBox* IndicatorPage::continuousSampling() const
{
    return m_continuous;
}
QLabel* IndicatorPage::periodDisplay() const
{
    return m_periodDisplay;
}
QLabel* IndicatorPage::periodUnit() const
{
    return m_periodUnit;
}
QLabel* IndicatorPage::rateLabel() const
{
    return m_rate;
}
QLabel* IndicatorPage::timeLabel() const
{
    return m_time;
}
QGroupBox* IndicatorPage::samplingGroup() const
{
    return m_sampling;
}

} // namespace kx
