#include "ui/wizard/TAsystentForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "ui/common/Dialogs.h"
#include "ui/link/PortLink.h"

namespace kx {

namespace {

// A checklist row's indentation level and caption.
struct ChecklistItem
{
    int level;
    const char* caption;
};

constexpr ChecklistItem kChecklistItems[kChecklistRows] = {
    {0, "Skanowanie  portu"},
    {0, "Łączenie z portem:"},
    {1, "Połączono"},
    {0, "Wyszukiwanie urządzenia"},
    {1, "Znaleziono"},
    {2, "Typ: KX350T"},
    {2, "Hardware: V"},
    {2, "Software: V"},
    {0, "Odczyt parametrów"},
    {1, "D0,D1,D2"},
    {1, "a1,b1,a2,b2"},
    {1, "MODE"},
    {1, "PK1"},
    {1, "PK2"},
    {1, "LED"},
    {1, "BEEP"},
    {1, "DECP"},
    {1, "COEF, Offset"},
    {0, "Gotowość do pracy"},
};

// The caption labels' names: rows 7 and 8 skip Label8, rows 1 … 6 are Label1 … Label7 with
// Label3 beside row 2.
constexpr int kCaptionNumber[kChecklistRows] = {1,  2,  4,  5,  6,  7,  9,  11, 13, 14,
                                                15, 16, 17, 18, 19, 20, 21, 22, 23};

} // namespace

namespace {

QPixmap drawIcon(RowIcon icon)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case RowIcon::Waiting: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 200));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        QFont f;
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, "?");
        break;
    }
    case RowIcon::Done: {
        QPainterPath tick;
        tick.moveTo(2.5, 8.5);
        tick.lineTo(6.5, 12.5);
        tick.lineTo(13.5, 3.5);
        p.setPen(QPen(QColor(0, 160, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        break;
    }
    case RowIcon::Failed:
        p.setPen(QPen(QColor(210, 0, 0), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(4, 12), QPointF(12, 4));
        break;
    }
    return pixmap;
}

} // namespace

const QPixmap& TAsystentForm::iconPixmap(RowIcon icon) const
{
    return m_iconPixmaps[static_cast<std::size_t>(icon)];
}

TAsystentForm::TAsystentForm(DeviceModel& model, PortLink& link,
                             std::function<void()> refreshFromStan, QWidget* parent)
    : ToolWindow(parent, QString::fromUtf8("łączenie z urządzeniem...."), QSize(400, 560)),
      m_model(model), m_link(link), m_refreshFromStan(std::move(refreshFromStan)),
      m_sequence(model, *this), m_iconPixmaps{drawIcon(RowIcon::Waiting), drawIcon(RowIcon::Done),
                                              drawIcon(RowIcon::Failed)}
{
    setObjectName("AsystentForm");
    auto* layout = new QVBoxLayout(this);

    auto* checklist = new QGroupBox(QString::fromUtf8("Łączenie z urządzeniem"), this);
    checklist->setObjectName("GroupBox1");
    auto* rows = new QVBoxLayout(checklist);
    rows->setSpacing(2);
    // The three picture sources the icons are taken from, kept hidden.
    const RowIcon sources[] = {RowIcon::Waiting, RowIcon::Done, RowIcon::Failed};
    for (int i = 0; i < 3; ++i) {
        auto* source = new QLabel(checklist);
        source->setObjectName(QString("Image%1").arg(i + 2));
        source->setPixmap(iconPixmap(sources[i]));
        source->hide();
    }
    for (int i = 0; i < kChecklistRows; ++i) {
        auto* line = new QHBoxLayout;
        line->setContentsMargins(kChecklistItems[i].level * 22, 0, 0, 0);
        auto* icon = new QLabel(checklist);
        icon->setObjectName(QString("Image%1").arg(i + 5));
        icon->setFixedSize(16, 16);
        auto* caption = new QLabel(QString::fromUtf8(kChecklistItems[i].caption), checklist);
        caption->setObjectName(QString("Label%1").arg(kCaptionNumber[i]));
        line->addWidget(icon);
        line->addWidget(caption);
        if (i == 1) {
            m_portLabel = new QLabel(checklist); // render() gives it the sequence's port
            m_portLabel->setObjectName("Label3");
            line->addWidget(m_portLabel);
        } else if (i == 6) {
            m_hardwareLabel = new QLabel(kUnknownVersion, checklist);
            m_hardwareLabel->setObjectName("Label10");
            line->addWidget(m_hardwareLabel);
        } else if (i == 7) {
            m_softwareLabel = new QLabel(kUnknownVersion, checklist);
            m_softwareLabel->setObjectName("Label12");
            line->addWidget(m_softwareLabel);
        }
        line->addStretch();
        rows->addLayout(line);
        m_icons[static_cast<std::size_t>(i)] = icon;
        m_captions[static_cast<std::size_t>(i)] = caption;
    }
    layout->addWidget(checklist);

    auto* portGroup = new QGroupBox("port", this);
    portGroup->setObjectName("GroupBox2");
    auto* bottom = new QVBoxLayout(portGroup);
    m_port = new QComboBox(portGroup);
    m_port->setObjectName("ComboBox1");
    m_port->setEditable(true);
    m_port->setAccessibleName("port");
    for (int n = 1; n <= 16; ++n)
        m_port->addItem(QString("COM%1").arg(n));
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        // By the name the operator knows: COM12 on Windows (the engine opens it as \\.\COM12),
        // a device path elsewhere. Each port once.
#ifdef Q_OS_WIN
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        if (m_port->findText(name) < 0)
            m_port->addItem(name);
    }
    // The saved default port, so the port connected to at start-up is the one stored.
    m_port->setCurrentText(link.defaultPort());
    bottom->addWidget(m_port);

    m_progress = new QProgressBar(portGroup);
    m_progress->setObjectName("ProgressBar1");
    m_progress->setRange(0, 32);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    bottom->addWidget(m_progress);

    // The abort button lies over the other three and hides them while shown.
    auto* buttons = new QWidget(portGroup);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    m_connect = new QPushButton(QString::fromUtf8("Połącz"), buttons);
    m_connect->setObjectName("BitBtn3");
    m_disconnect = new QPushButton(QString::fromUtf8("Rozłącz"), buttons);
    m_disconnect->setObjectName("BitBtn4");
    m_ok = new QPushButton("OK", buttons);
    m_ok->setObjectName("BitBtn1");
    row->addWidget(m_connect);
    row->addWidget(m_disconnect);
    row->addWidget(m_ok);
    m_abort = new QPushButton(QString::fromUtf8("Przerwij łączenie"), portGroup);
    m_abort->setObjectName("BitBtn2");
    auto* stack = new QGridLayout;
    stack->addWidget(buttons, 0, 0);
    stack->addWidget(m_abort, 0, 0);
    bottom->addLayout(stack);
    layout->addWidget(portGroup);

    connect(m_connect, &QPushButton::clicked, this, &TAsystentForm::BitBtn3Click);
    connect(m_disconnect, &QPushButton::clicked, this, &TAsystentForm::BitBtn4Click);
    connect(m_abort, &QPushButton::clicked, this, &TAsystentForm::BitBtn2Click);
    connect(m_ok, &QPushButton::clicked, this, &TAsystentForm::BitBtn1Click);

    m_timer.setObjectName("Timer1");
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &TAsystentForm::Timer1Timer);
    m_timer.start();

    render();
}

void TAsystentForm::render()
{
    const WizardState& s = m_sequence.state();
    for (int n = 1; n <= kChecklistRows; ++n) {
        const ChecklistRow& r = s.row(n);
        QLabel* icon = rowIcon(n);
        // Every 50 ms: only a changed icon is set again.
        if (icon->property("rowIcon") != QVariant(int(r.icon))) {
            icon->setPixmap(iconPixmap(r.icon));
            icon->setProperty("rowIcon", int(r.icon));
        }
        icon->setVisible(r.iconShown);
        rowCaption(n)->setVisible(r.captionShown);
    }
    m_portLabel->setText(QString::fromStdString(s.portLabel));
    m_portLabel->setVisible(s.row(2).captionShown);
    m_hardwareLabel->setText(QString::fromStdString(m_model.HardwareText));
    m_hardwareLabel->setVisible(s.row(7).captionShown);
    m_softwareLabel->setText(QString::fromStdString(m_model.SoftwareText));
    m_softwareLabel->setVisible(s.row(8).captionShown && s.softwareTextShown);
    m_progress->setValue(s.progress);
    m_connect->setEnabled(s.connectEnabled);
    m_disconnect->setEnabled(s.disconnectEnabled);
    m_abort->setVisible(s.abortShown);
    m_connect->parentWidget()->setVisible(!s.abortShown);
    if (s.timerEnabled && !m_timer.isActive())
        m_timer.start();
    else if (!s.timerEnabled && m_timer.isActive())
        m_timer.stop();
}

void TAsystentForm::BitBtn3Click()
{
    const std::string port = m_port->currentText().toStdString();
    m_sequence.beginConnect(port);
    render();
    // The checklist shows the port a moment before it is opened; the window stays live.
    const int token = ++m_connectToken;
    QTimer::singleShot(kOpenDelayMs, this, [this, token, port] {
        if (token != m_connectToken)
            return;
        m_sequence.openPort(port);
        render();
    });
}

void TAsystentForm::BitBtn4Click()
{
    m_sequence.disconnect();
    render();
}

void TAsystentForm::BitBtn2Click()
{
    ++m_connectToken;
    m_sequence.abort();
    render();
}

void TAsystentForm::BitBtn1Click()
{
    hide();
}

void TAsystentForm::lineLost()
{
    ++m_connectToken;
    m_sequence.lineLost();
    render();
}

void TAsystentForm::Timer1Timer()
{
    m_sequence.tick();
    render();
}

int TAsystentForm::openPort(const std::string& name)
{
    return m_link.openForWizard(QString::fromStdString(name));
}

void TAsystentForm::closePort()
{
    m_link.closeForWizard();
}

void TAsystentForm::sendRead(uint8_t command)
{
    SendReadCmd(m_link.requests(), command);
}

void TAsystentForm::showMessage(const std::string& text)
{
    dialogs().showMessage(QString::fromStdString(text));
}

void TAsystentForm::refreshFromStan()
{
    if (m_refreshFromStan)
        m_refreshFromStan();
}

} // namespace kx
