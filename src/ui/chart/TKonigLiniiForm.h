#pragma once
// The window "Konfiguracja linii wyjsc na wykresie": height H and offset F of the chart's
// output lines, for the outputs PK1 … PK4. It edits the program's one LineSettings: the
// stored values are copied into the fields whenever the window is shown, and every change of
// a field, typed or with the arrows, reaches them at once, so closing the window loses
// nothing.

#include <array>

#include "core/chart/LineSettings.h"
#include "ui/common/ToolWindow.h"

class QPushButton;
class QSpinBox;

namespace kx {

class TKonigLiniiForm : public ToolWindow
{
    Q_OBJECT

public:
    static constexpr int kOutputs = kLineOutputs;

    // stored is the program's LineSettings; it must outlive the window.
    explicit TKonigLiniiForm(LineSettings& stored, QWidget* parent = nullptr);

    // The eight fields in the order PK1 H, PK1 F, PK2 H, PK2 F, PK3 H, PK3 F, PK4 H, PK4 F.
    LineSettings lineSettings() const;
    // Sets the fields, and with them the stored values.
    void setLineSettings(const LineSettings& values);
    // The stored values into the fields (on showing, and at the start-up tick).
    void copyIn();

    // output 0 … 3 is PK1 … PK4; nullptr outside that range.
    QSpinBox* heightField(int output) const; // "wysokość H="
    QSpinBox* offsetField(int output) const; // "offset      F="
    QPushButton* okButton() const;           // "OK"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void copyOut();

    LineSettings& m_stored;
    bool m_copyingIn = false;
    std::array<QSpinBox*, kOutputs> m_height{};
    std::array<QSpinBox*, kOutputs> m_offset{};
    QPushButton* m_ok = nullptr;
};

} // namespace kx
