#pragma once
// The window "Konfiguracja linii wyjsc na wykresie": height H and offset F of the chart's
// output lines, for the outputs PK1 … PK4 (only PK1 and PK2 are drawn; PK3 and PK4 are kept).
// This class builds the window; copying to and from the stored settings is driven from
// outside.

#include <array>
#include <cstdint>

#include "app/ToolWindow.h"

class QPushButton;
class QSpinBox;

namespace kx {

class TKonigLiniiForm : public ToolWindow
{
    Q_OBJECT

public:
    static constexpr int kOutputs = 4;

    explicit TKonigLiniiForm(QWidget* parent = nullptr);

    // The eight fields in the order PK1 H, PK1 F, PK2 H, PK2 F, PK3 H, PK3 F, PK4 H, PK4 F.
    std::array<int32_t, 8> lineSettings() const;
    void setLineSettings(const std::array<int32_t, 8>& values);

    // output 0 … 3 is PK1 … PK4; nullptr outside that range.
    QSpinBox* heightField(int output) const; // "wysokość H="
    QSpinBox* offsetField(int output) const; // "offset      F="
    QPushButton* okButton() const;           // "OK"

private:
    std::array<QSpinBox*, kOutputs> m_height{};
    std::array<QSpinBox*, kOutputs> m_offset{};
    QPushButton* m_ok = nullptr;
};

} // namespace kx
