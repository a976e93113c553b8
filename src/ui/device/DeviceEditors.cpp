#include "ui/device/DeviceEditors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "core/device/DeviceModel.h"
#include "core/device/ReplyDispatch.h"
#include "core/device/TextToNumber.h"
#include "core/text/RoundTo3.h"
#include "ui/common/LocaleSeparator.h"
#include "ui/device/DevicePage.h"

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

DeviceEditors::DeviceEditors(DeviceModel& model, DevicePage* page, QObject* parent)
    : QObject(parent), m_model(model), m_page(page), m_separator(localeDecimalSeparator())
{
    for (Param p : kNumberBoxes)
        page->editFor(p)->installEventFilter(this);

    connect(page, &DevicePage::arrowsStepped, this, &DeviceEditors::arrowClick);
    connect(page, &DevicePage::modeChosen, this, &DeviceEditors::ComboBox1Click);
    connect(page, &DevicePage::beepToggled, this, &DeviceEditors::CheckBox15Click);
    connect(page, &DevicePage::voltageRangeChosen, this, [this](int range) {
        if (range == 0)
            RadioButton1Click();
        else
            RadioButton2Click();
    });
    connect(page->editFor(Param::D1), &QLineEdit::textChanged, this, &DeviceEditors::Edit12Change);
    connect(page->editFor(Param::D2), &QLineEdit::textChanged, this, &DeviceEditors::Edit13Change);
}

QColor DeviceEditors::typingColour()
{
    return QApplication::palette().color(QPalette::ToolTipBase);
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
        // A text that is not a whole number leaves the desired value as it was; LED and decp
        // are held within the device's limits.
        if (const auto n = parseWholeNumberFor(p, text)) {
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

void DeviceEditors::arrowClick(Param p)
{
    if (m_model.ReplyReceived)
        return;
    QLineEdit* box = m_page->editFor(p);
    DevicePage::setBoxColour(box, kCommittedSkyBlue);
    if (const auto n = parseWholeNumberFor(p, box->text().toStdString()))
        m_model.Set.setInteger(p, *n);
}

void DeviceEditors::UpDown1Click()
{
    arrowClick(Param::LED);
}

void DeviceEditors::UpDown4Click()
{
    arrowClick(Param::decp);
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
    m_page->placeFieldCaptions(1, field1Captions(m_model.Stan.D1));
}

void DeviceEditors::Edit13Change()
{
    m_page->placeFieldCaptions(2, field2Captions(m_model.Stan.D2));
}

} // namespace kx
