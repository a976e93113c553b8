#include "ui/device/DevicePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>

#include "core/device/TextToNumber.h"
#include "ui/common/Dimension.h"
#include "ui/common/LockedGroup.h"
#include "ui/common/ValueLabel.h"

namespace kx {

namespace {

const QString kNone = QStringLiteral("(brak)");

// The picture's own coordinates. The "min"/"max" captions are placed at fixed left positions
// (28, 148 over field 1; 296, 444 over field 2), so the fields are drawn around them.
constexpr int kPictureWidth = 500;
constexpr int kPictureHeight = 286;
constexpr int kField1Left = 20;
constexpr int kField1Right = 182;
constexpr int kField2Left = 288;
constexpr int kField2Right = 478;
constexpr int kFieldTop = 78;
constexpr int kFieldBottom = 196;
constexpr int kDimensionY = 60; // the chain D1 | D0 | D2 above the fields
constexpr int kDimensionBoxY = 22;
constexpr int kOffsetBoxY = 210; // a/b boxes under each field
constexpr int kResultBoxY = 250; // X1=, Y =, X2=
constexpr int kCaptionY = kFieldTop + 5;
constexpr int kOffsetX = 56; // where the channel's point is drawn, from the field's corner
constexpr int kOffsetY = 50;
constexpr int kGeometryBoxWidth = 58;
constexpr int kResultBoxWidth = 92;

const QColor kFieldFill{226, 236, 246};
const QColor kInk{40, 40, 40};
const QColor kDimension{0, 0, 128};

// The drawing under the geometry boxes: two measuring fields with their dimensions.
class GeometryPicture : public QWidget
{
public:
    explicit GeometryPicture(QWidget* parent) : QWidget(parent)
    {
        setObjectName("GeometryPicture");
        setFixedSize(kPictureWidth, kPictureHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        drawField(p, kField1Left, kField1Right, QStringLiteral("a1"), QStringLiteral("b1"));
        drawField(p, kField2Left, kField2Right, QStringLiteral("a2"), QStringLiteral("b2"));

        // Extension lines up from the field edges, then the chain of dimensions.
        p.setPen(QPen(kDimension, 1));
        for (int x : {kField1Left, kField1Right, kField2Left, kField2Right})
            p.drawLine(x, kFieldTop - 4, x, kDimensionY - 8);
        drawDimension(p, QPointF(kField1Left, kDimensionY), QPointF(kField1Right, kDimensionY));
        drawDimension(p, QPointF(kField1Right, kDimensionY), QPointF(kField2Left, kDimensionY));
        drawDimension(p, QPointF(kField2Left, kDimensionY), QPointF(kField2Right, kDimensionY));
    }

private:
    static void drawField(QPainter& p, int left, int right, const QString& vertical,
                          const QString& horizontal)
    {
        const QRect field(left, kFieldTop, right - left, kFieldBottom - kFieldTop);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kFieldFill);
        p.drawRect(field);
        p.setBrush(Qt::NoBrush);

        // The channel's point, offset from the field's lower left corner by b (across) and
        // a (up), with a dimension for each offset.
        const QPointF corner(left, kFieldBottom);
        const QPointF point(left + kOffsetX, kFieldBottom - kOffsetY);
        p.setPen(QPen(kDimension, 1, Qt::DashLine));
        p.drawLine(QPointF(left, point.y()), QPointF(right, point.y()));
        p.drawLine(QPointF(point.x(), kFieldTop + 22), QPointF(point.x(), kFieldBottom));
        p.setPen(QPen(kDimension, 1.2));
        drawDimension(p, QPointF(corner.x(), point.y() + 14), QPointF(point.x(), point.y() + 14));
        drawDimension(p, QPointF(point.x() + 14, corner.y()), QPointF(point.x() + 14, point.y()));
        p.setPen(kDimension);
        p.drawText(QRectF(corner.x(), point.y() + 15, kOffsetX, 16), Qt::AlignCenter, horizontal);
        p.drawText(QRectF(point.x() + 18, point.y(), 24, kOffsetY),
                   Qt::AlignVCenter | Qt::AlignLeft, vertical);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::red);
        p.drawEllipse(point, 4.5, 4.5);
        p.setBrush(Qt::NoBrush);
    }
};

QLabel* makeCaption(const QString& text, QWidget* buddy, QWidget* parent = nullptr)
{
    auto* caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return caption;
}

ValueLabel* makeValue(const char* name, const QString& caption)
{
    auto* value = new ValueLabel(caption, kNone);
    value->setObjectName(name);
    QFont font = value->font();
    font.setBold(true);
    value->setFont(font);
    return value;
}

// An up-down control made of a spin box showing only its arrows; the number is typed into
// the edit box beside it, and the arrows step from that number. A click is reported even at
// a limit, where the value stays: the operator's click still commits the shown value.
class Arrows : public QSpinBox
{
    Q_OBJECT

public:
    using QSpinBox::QSpinBox;

    void stepBy(int steps) override
    {
        QSpinBox::stepBy(steps);
        emit stepped(value());
    }

signals:
    void stepped(int value);

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

Arrows* makeArrows(const char* name, int maximum, QLineEdit* partner)
{
    auto* arrows = new Arrows;
    arrows->setObjectName(name);
    arrows->setRange(0, maximum);
    arrows->setFocusPolicy(Qt::NoFocus);
    if (auto* text = arrows->findChild<QLineEdit*>())
        text->hide();
    arrows->setFixedSize(20, partner->sizeHint().height());
    arrows->setAccessibleName(partner->accessibleName());
    auto follow = [partner, arrows] {
        if (const auto n = parseWholeNumber(partner->text().toStdString())) {
            const QSignalBlocker quiet(arrows);
            arrows->setValue(std::clamp(*n, arrows->minimum(), arrows->maximum()));
        }
    };
    QObject::connect(partner, &QLineEdit::textChanged, arrows, follow);
    follow();
    return arrows;
}

// Left positions of the "min" and "max" captions over each field, in the picture.
constexpr int kCaptionLeft[2][2] = {{28, 148}, {296, 444}};

} // namespace

DevicePage::DevicePage(QWidget* parent) : QWidget(parent)
{
    setObjectName("DevicePage");

    QWidget* strip = buildIdentityStrip();
    QGroupBox* outputs = buildOutputsGroup();
    QGroupBox* led = buildArrowsGroup(QStringLiteral("Led"), "GroupBoxLed", Param::LED, "Edit4",
                                      QStringLiteral("jasność:"), "UpDown1", 9);
    QGroupBox* decp = buildArrowsGroup(QStringLiteral("decp"), "GroupBoxDecp", Param::decp, "Edit9",
                                       QStringLiteral("ilość cyfr po przecinku:"), "UpDown4", 6);
    QGroupBox* beep = buildBeepGroup();
    QGroupBox* range = buildRangeGroup();
    QGroupBox* geometry = buildGeometryGroup();
    QGroupBox* legend = buildLegendGroup();

    auto* editors = new QVBoxLayout;
    editors->setSpacing(8);
    editors->addWidget(outputs);
    editors->addWidget(led);
    editors->addWidget(decp);
    editors->addWidget(beep);
    editors->addWidget(range);
    editors->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(strip, 0, 0, 1, 2);
    layout->addWidget(geometry, 1, 0);
    layout->addWidget(legend, 2, 0);
    layout->addLayout(editors, 1, 1, 2, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);

    m_lockable = {led, beep, outputs, decp, legend, strip};
}

QLineEdit* DevicePage::makeEdit(Param p, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    m_edits[index(p)] = edit;
    return edit;
}

QWidget* DevicePage::buildIdentityStrip()
{
    auto* strip = new QGroupBox;
    strip->setObjectName("IdentityStrip");

    m_type = makeValue("Label63", QStringLiteral("Typ urządzenia:"));
    m_version = makeValue("Label64", QStringLiteral("Wersja urządzenia:"));
    // The device reports no sensor count.
    ValueLabel* sensorCount = makeValue("SensorCount", QStringLiteral("Ilość czujników:"));
    m_status = makeValue("Label66", QStringLiteral("Status:"));

    auto* connection = new QPushButton(QStringLiteral("   Połączenie..."));
    connection->setObjectName("BitBtn13");
    connection->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    connect(connection, &QPushButton::clicked, this, &DevicePage::connectionClicked);
    auto* restore = new QPushButton(QStringLiteral("   Przywróć ustawienia domyślne"));
    restore->setObjectName("BitBtn3");
    restore->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    connect(restore, &QPushButton::clicked, this, &DevicePage::restoreDefaultsClicked);

    auto* layout = new QGridLayout(strip);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(6);
    layout->addWidget(makeCaption(QStringLiteral("Typ urządzenia:"), m_type), 0, 0);
    layout->addWidget(m_type, 0, 1);
    layout->addWidget(makeCaption(QStringLiteral("Ilość czujników:"), sensorCount), 1, 0);
    layout->addWidget(sensorCount, 1, 1);
    layout->addWidget(makeCaption(QStringLiteral("Wersja urządzenia:"), m_version), 0, 2);
    layout->addWidget(m_version, 0, 3);
    layout->addWidget(makeCaption(QStringLiteral("Status:"), m_status), 1, 2);
    layout->addWidget(m_status, 1, 3);
    layout->addWidget(connection, 0, 4);
    layout->addWidget(restore, 1, 4);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(3, 3);
    return strip;
}

QGroupBox* DevicePage::buildOutputsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Tryb pracy wyjść"));
    group->setObjectName("GroupBoxOutputModes");
    auto* layout = new QGridLayout(group);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(6);

    const struct
    {
        Param param;
        const char* name;
        const char* caption;
    } rows[] = {
        {Param::PK1, "Edit6", "Wartość Progowa P1:"}, {Param::PK2, "Edit7", "Wartość Progowa P2:"},
        {Param::COEF, "Edit5", "mnożnik COEF:"},      {Param::OFFSET, "Edit8", "Offset:"},
        {Param::filter, "Edit10", "Filter:"},
    };
    int row = 0;
    for (const auto& r : rows) {
        QLineEdit* edit = makeEdit(r.param, r.name, QStringLiteral("0"));
        layout->addWidget(makeCaption(QString::fromUtf8(r.caption), edit), row, 0);
        layout->addWidget(edit, row, 1);
        ++row;
    }
    setBoxColour(m_edits[index(Param::PK1)], kConfirmedWhite);

    m_mode = new QComboBox;
    m_mode->setObjectName("ComboBox1");
    m_mode->addItems({QStringLiteral("mode 0: Odczyt, wyjścia nieaktywne"),
                      QStringLiteral("mode 1: Odczyt z marginesem błędu")});
    m_mode->setCurrentIndex(-1);
    connect(m_mode, &QComboBox::activated, this, &DevicePage::modeChosen);
    // The items are long: the combo takes the whole width under the boxes.
    auto* mode = new QHBoxLayout;
    mode->setSpacing(8);
    mode->addWidget(makeCaption(QStringLiteral("Mode:"), m_mode));
    mode->addWidget(m_mode, 1);
    layout->addLayout(mode, row, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    return group;
}

// "Led" and "decp": a whole number typed into its box, or stepped with the arrows beside it.
QGroupBox* DevicePage::buildArrowsGroup(const QString& title, const char* groupName, Param p,
                                        const char* editName, const QString& caption,
                                        const char* arrowsName, int maximum)
{
    auto* group = new QGroupBox(title);
    group->setObjectName(groupName);
    QLineEdit* edit = makeEdit(p, editName, QStringLiteral("0"));
    edit->setFixedWidth(56);
    QLabel* label = makeCaption(caption, edit);
    Arrows* arrows = makeArrows(arrowsName, maximum, edit);
    connect(arrows, &Arrows::stepped, this, [this, p, edit](int value) {
        edit->setText(QString::number(value));
        emit arrowsStepped(p);
    });
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(0);
    layout->addWidget(label);
    layout->addSpacing(8);
    layout->addWidget(edit);
    layout->addWidget(arrows);
    layout->addStretch(1);
    return group;
}

QGroupBox* DevicePage::buildBeepGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Beep"));
    group->setObjectName("GroupBoxBeep");
    m_beep = new QCheckBox(QStringLiteral("włącz sygnalizowanie dźwiękiem"));
    m_beep->setObjectName("CheckBox15");
    connect(m_beep, &QCheckBox::toggled, this, &DevicePage::beepToggled);
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(m_beep);
    return group;
}

QGroupBox* DevicePage::buildRangeGroup()
{
    auto* group = new QGroupBox(QStringLiteral("zakres napięciowy"));
    group->setObjectName("GroupBoxVoltageRange");
    m_range10V = new QRadioButton(QStringLiteral("0...10V"));
    m_range10V->setObjectName("RadioButton1");
    m_range10V->setChecked(true);
    m_range5V = new QRadioButton(QStringLiteral("0...5V"));
    m_range5V->setObjectName("RadioButton2");
    connect(m_range10V, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit voltageRangeChosen(0);
    });
    connect(m_range5V, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit voltageRangeChosen(1);
    });
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(24);
    layout->addWidget(m_range10V);
    layout->addWidget(m_range5V);
    layout->addStretch(1);
    return group;
}

QGroupBox* DevicePage::buildGeometryGroup()
{
    // The group's title is the operator's word for it, the same as the combo's caption.
    auto* group = new QGroupBox(QStringLiteral("Mode:"));
    group->setObjectName("GroupBoxGeometry");
    auto* picture = new GeometryPicture(group);

    // A caption and its box as one unit, centred on x.
    auto place = [picture](QLineEdit* box, const QString& caption, int centreX, int y, int width) {
        box->setParent(picture);
        auto* label = makeCaption(caption, box, picture);
        label->adjustSize();
        const int height = box->sizeHint().height();
        const int gap = 4;
        const int left = centreX - (label->width() + gap + width) / 2;
        label->setGeometry(left, y, label->width(), height);
        box->setGeometry(left + label->width() + gap, y, width, height);
    };
    const int d1Centre = (kField1Left + kField1Right) / 2;
    const int d0Centre = (kField1Right + kField2Left) / 2;
    const int d2Centre = (kField2Left + kField2Right) / 2;
    const int w = kGeometryBoxWidth;

    const QString ten = QStringLiteral("10");
    const QString zero = QStringLiteral("0");
    place(makeEdit(Param::D1, "Edit12", ten), QStringLiteral("D1="), d1Centre, kDimensionBoxY, w);
    place(makeEdit(Param::D0, "Edit14", zero), QStringLiteral("D0="), d0Centre, kDimensionBoxY, w);
    place(makeEdit(Param::D2, "Edit13", ten), QStringLiteral("D2="), d2Centre, kDimensionBoxY, w);
    const int pair = w + 36; // half the distance between the a and b units
    place(makeEdit(Param::a1, "Edit15", zero), QStringLiteral("a1="), d1Centre - pair / 2 - 4,
          kOffsetBoxY, w);
    place(makeEdit(Param::b1, "Edit16", zero), QStringLiteral("b1="), d1Centre + pair / 2 + 4,
          kOffsetBoxY, w);
    place(makeEdit(Param::a2, "Edit18", zero), QStringLiteral("a2="), d2Centre - pair / 2 - 4,
          kOffsetBoxY, w);
    place(makeEdit(Param::b2, "Edit17", zero), QStringLiteral("b2="), d2Centre + pair / 2 + 4,
          kOffsetBoxY, w);
    for (Param p : {Param::D0, Param::D1, Param::D2, Param::a1, Param::a2, Param::b1, Param::b2})
        setBoxColour(m_edits[index(p)], kGeometryOrange);

    const struct
    {
        Channel channel;
        const char* name;
        const char* caption;
        int centre;
    } results[] = {
        {Channel::X1, "Edit19", "X1=", d1Centre},
        {Channel::Y, "Edit21", "Y =", d0Centre},
        {Channel::X2, "Edit20", "X2=", d2Centre},
    };
    for (const auto& r : results) {
        auto* box = new QLineEdit(QStringLiteral("----------"));
        box->setObjectName(r.name);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight);
        QFont font = box->font();
        font.setBold(true);
        box->setFont(font);
        place(box, QString::fromLatin1(r.caption), r.centre, kResultBoxY, kResultBoxWidth);
        m_results[static_cast<std::size_t>(r.channel)] = box;
    }

    auto caption = [picture](const char* name, const char* text, int left) {
        auto* label = new QLabel(QString::fromLatin1(text), picture);
        label->setObjectName(name);
        label->adjustSize();
        label->move(left, kCaptionY);
        return label;
    };
    m_fieldMin[0] = caption("Label41", "min", kCaptionLeft[0][0]);
    m_fieldMax[0] = caption("Label42", "max", kCaptionLeft[0][1]);
    // With D2 not above 0, field 2 reads from "min" on the left to "max" on the right.
    m_fieldMax[1] = caption("Label55", "max", kCaptionLeft[1][1]);
    m_fieldMin[1] = caption("Label56", "min", kCaptionLeft[1][0]);

    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(picture, 0, Qt::AlignCenter);
    return group;
}

QGroupBox* DevicePage::buildLegendGroup()
{
    auto* group = new QGroupBox(QStringLiteral("legenda"));
    group->setObjectName("GroupBoxLegend");
    const char* const lines[] = {
        "D0 [mm] - Rozstaw pól pomiarowych",      "D1 [mm] - Szerokość pola pomiarowego 1",
        "D2 [mm] - Szerokość pola pomiarowego 2", "a1 [mm] - offset pionowy kanału 1",
        "b1 [mm] - offset poziomy kanału 1",      "a2 [mm] - offset pionowy kanału 2",
        "b2 [mm] - offset poziomy kanału 2",
    };
    // Widths and spacing in the first column, the offsets of each channel in the second.
    auto* layout = new QGridLayout(group);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(2);
    int n = 0;
    for (const char* line : lines) {
        auto* label = new QLabel(QString::fromUtf8(line));
        label->setObjectName(QStringLiteral("Legend%1").arg(n + 1));
        if (n < 3)
            layout->addWidget(label, n, 0);
        else
            layout->addWidget(label, n - 3, 1);
        ++n;
    }
    layout->setColumnStretch(1, 1);
    return group;
}

QLineEdit* DevicePage::editFor(Param p) const
{
    return m_edits[index(p)];
}

void DevicePage::showConfirmed(Param p, const QString& text, const QColor& colour)
{
    QLineEdit* box = editFor(p);
    if (!box)
        return;
    box->setText(text);
    setBoxColour(box, colour);
}

void DevicePage::showResult(Channel c, const QString& text)
{
    m_results[static_cast<std::size_t>(c)]->setText(text);
}

void DevicePage::selectMode(int index)
{
    m_mode->setCurrentIndex(index);
}

void DevicePage::paintModeConfirmed()
{
    QPalette white = m_mode->palette();
    white.setColor(QPalette::Base, kConfirmedWhite);
    white.setColor(QPalette::Button, kConfirmedWhite);
    m_mode->setPalette(white);
}

void DevicePage::setBeep(bool on)
{
    m_beep->setChecked(on);
}

void DevicePage::selectVoltageRange(bool fiveVolt)
{
    (fiveVolt ? m_range5V : m_range10V)->setChecked(true);
}

void DevicePage::setIdentity(const QString& type, const QString& version)
{
    m_type->setText(type.isEmpty() ? kNone : type);
    m_version->setText(version.isEmpty() ? kNone : version);
}

void DevicePage::setStatus(const QString& status)
{
    m_status->setText(status);
}

void DevicePage::placeFieldCaptions(int field, FieldCaptions captions)
{
    const std::size_t f = field == 1 ? 0 : 1;
    const bool minLeft = captions == FieldCaptions::MinLeft;
    m_fieldMin[f]->move(kCaptionLeft[f][minLeft ? 0 : 1], m_fieldMin[f]->y());
    m_fieldMax[f]->move(kCaptionLeft[f][minLeft ? 1 : 0], m_fieldMax[f]->y());
}

void DevicePage::setLocked(bool locked)
{
    for (QWidget* group : m_lockable)
        setGroupLocked(group, locked);
}

void DevicePage::setBoxColour(QLineEdit* box, const QColor& colour)
{
    if (!box)
        return;
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

QColor DevicePage::boxColour(const QLineEdit* box)
{
    return box ? box->palette().color(QPalette::Base) : QColor();
}

} // namespace kx

#include "DevicePage.moc"
