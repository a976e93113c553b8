#include "device/DeviceEditors.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "app/LocaleSeparator.h"
#include "device/DeviceModel.h"
#include "device/DevicePage.h"
#include "device/RoundTo3.h"
#include "device/TextToNumber.h"
#include "protocol/Commands.h"
#include "protocol/ReplyDispatch.h"

namespace kx {

namespace {

constexpr Param kNumberBoxes[] = {
    Param::PK1, Param::PK2, Param::COEF, Param::OFFSET, Param::filter, Param::LED, Param::decp,
    Param::D0,  Param::D1,  Param::D2,   Param::a1,     Param::a2,     Param::b1,  Param::b2};

bool isWholeNumberBox(Param p)
{
    return p == Param::COEF || p == Param::OFFSET || p == Param::filter || p == Param::LED ||
           p == Param::decp;
}

} // namespace

DeviceEditors::DeviceEditors(DeviceModel& model, DevicePage* page, RequestChannel requests,
                             QObject* parent)
    : QObject(parent), m_model(model), m_page(page), m_requests(requests),
      m_separator(localeDecimalSeparator())
{
    for (Param p : kNumberBoxes)
        page->editFor(p)->installEventFilter(this);

    linkArrows(Param::LED, page->ledArrows());
    linkArrows(Param::decp, page->decpArrows());
    connect(page->ledArrows(), &QSpinBox::valueChanged, this, &DeviceEditors::UpDown1Click);
    connect(page->decpArrows(), &QSpinBox::valueChanged, this, &DeviceEditors::UpDown4Click);

    // activated: the operator's choice only; a reply's selection is not a choice.
    connect(page->modeCombo(), &QComboBox::activated, this, &DeviceEditors::ComboBox1Click);
    connect(page->beepBox(), &QCheckBox::toggled, this, &DeviceEditors::CheckBox15Click);
    connect(page->range10V(), &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(page->range5V(), &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
    connect(page->editFor(Param::D1), &QLineEdit::textChanged, this, &DeviceEditors::Edit12Change);
    connect(page->editFor(Param::D2), &QLineEdit::textChanged, this, &DeviceEditors::Edit13Change);
    connect(page->restoreDefaultsButton(), &QPushButton::clicked, this,
            &DeviceEditors::BitBtn3Click);
}

QColor DeviceEditors::typingColour()
{
    return QApplication::palette().color(QPalette::ToolTipBase);
}

// The arrows step from the number in the box beside them; keep them on it silently.
void DeviceEditors::linkArrows(Param p, QSpinBox* arrows)
{
    QLineEdit* box = m_page->editFor(p);
    auto follow = [box, arrows] {
        if (const auto n = parseWholeNumber(box->text().toStdString())) {
            const QSignalBlocker quiet(arrows);
            arrows->setValue(std::clamp(*n, arrows->minimum(), arrows->maximum()));
        }
    };
    connect(box, &QLineEdit::textChanged, arrows, follow);
    follow();
}

bool DeviceEditors::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // Only keys that give a character (or Enter) count, not Shift or the arrow keys.
    if (!enter && key->text().isEmpty())
        return false;
    for (Param p : kNumberBoxes)
        if (watched == m_page->editFor(p))
            return numberBoxKey(p, key->key());
    return false;
}

bool DeviceEditors::numberBoxKey(Param p, int key)
{
    const bool gated = p != Param::PK1 && p != Param::PK2;
    // A reply is being taken in: the key goes to the box as it is, nothing is committed.
    if (gated && m_model.ReplyReceived)
        return false;
    QLineEdit* box = m_page->editFor(p);
    DevicePage::setBoxColour(box, typingColour());
    bool swallowed = false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        commit(p, box);
        swallowed = true;
    }
    if (isGeometry(p)) {
        Edit12Change();
        Edit13Change();
    }
    return swallowed;
}

void DeviceEditors::commit(Param p, QLineEdit* box)
{
    DevicePage::setBoxColour(box, kCommittedSkyBlue);
    const std::string text = box->text().toStdString();
    ParamSet& set = m_model.Set;
    if (isWholeNumberBox(p)) {
        // A text that is not a whole number leaves the desired value as it was.
        if (const auto n = parseWholeNumber(text)) {
            if (ParamSet::isReal(p))
                set.setReal(p, static_cast<float>(*n));
            else
                set.setInteger(p, *n);
        }
        return;
    }
    if (const auto x = parseDecimal(text, m_separator))
        set.setReal(p, static_cast<float>(p == Param::PK2 ? *x : RoundTo3(*x)));
}

void DeviceEditors::arrowClick(Param p, QSpinBox* arrows)
{
    QLineEdit* box = m_page->editFor(p);
    box->setText(QString::number(arrows->value()));
    if (m_model.ReplyReceived)
        return;
    DevicePage::setBoxColour(box, kCommittedSkyBlue);
    if (const auto n = parseWholeNumber(box->text().toStdString()))
        m_model.Set.setInteger(p, *n);
}

void DeviceEditors::UpDown1Click()
{
    arrowClick(Param::LED, m_page->ledArrows());
}

void DeviceEditors::UpDown4Click()
{
    arrowClick(Param::decp, m_page->decpArrows());
}

void DeviceEditors::ComboBox1Click(int index)
{
    if (m_model.ReplyReceived)
        return;
    m_model.Set.mode = index;
}

void DeviceEditors::CheckBox15Click(bool checked)
{
    m_model.Set.Beep = checked ? 1 : 0;
}

void DeviceEditors::RadioButton1Click()
{
    m_model.Set.VoltageRange = 0;
}

void DeviceEditors::RadioButton2Click()
{
    m_model.Set.VoltageRange = 1;
}

void DeviceEditors::Edit12Change()
{
    const FieldCaptions c = field1Captions(m_model.Stan.D1);
    m_page->placeField1Captions(c.minLeft, c.maxLeft);
}

void DeviceEditors::Edit13Change()
{
    const FieldCaptions c = field2Captions(m_model.Stan.D2);
    m_page->placeField2Captions(c.maxLeft, c.minLeft);
}

void DeviceEditors::BitBtn3Click()
{
    SendWriteCmd(m_requests, Cmd::RestoreDefaults, {0, 0, 0, 0});
}

} // namespace kx
