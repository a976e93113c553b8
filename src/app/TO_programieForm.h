#pragma once
#include "ui/common/ToolWindow.h"

class QPushButton;

namespace kx {

// The About window: the program's name and version, the maker's block and a picture of the
// device with its two measuring fields. Shown without blocking; "OK" hides it.
class TO_programieForm : public ToolWindow
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 478;
    static constexpr int kClientHeight = 183;

    explicit TO_programieForm(QWidget* parent = nullptr);

    // "wersja 1.00": the program's version, the minor number in two digits.
    static QString versionLine();

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* m_ok = nullptr;
};

} // namespace kx
