#pragma once
// The device tab's editors: they change the desired values (Set) from the operator's input.
// The device's answers come back through the reply dispatch and the synchronisation cycle.
// The box colours tell where a value stands: tooltip colour while typed, sky blue once
// committed, white or orange once the device has reported it.

#include <QObject>

#include "core/protocol/Param.h"

class QLineEdit;

namespace kx {

class DevicePage;
struct DeviceModel;

class DeviceEditors : public QObject
{
    Q_OBJECT

public:
    DeviceEditors(DeviceModel& model, DevicePage* page, QObject* parent = nullptr);

    // The colour of a box the operator has typed into.
    static QColor typingColour();

    // What a key in a number box does; returns true when the key is swallowed (a committed
    // Enter). The shared handler of the geometry boxes is Edit12KeyPress.
    bool numberBoxKey(Param p, int key);

public slots:
    void UpDown1Click(); // the LED arrows
    void UpDown4Click(); // the decp arrows
    // An arrow click of LED or decp: the box beside the arrows already shows the new value.
    void arrowClick(Param p);
    void ComboBox1Click(int index);
    void CheckBox15Click(bool checked);
    // The voltage-range buttons: run whenever the selection changes, by a click or by the
    // program, never when it stays.
    void RadioButton1Click();
    void RadioButton2Click();
    // The min/max captions follow the device-reported widths, never the typed text.
    void Edit12Change();
    void Edit13Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commit(Param p, QLineEdit* box);

    DeviceModel& m_model;
    DevicePage* m_page;
    char m_separator;
};

} // namespace kx
