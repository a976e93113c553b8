#pragma once
#include <QStringList>

#include "ui/common/ToolWindow.h"

class QPushButton;

namespace kx {

// The About window: the program's name, version, what it does, when and with which Qt it was
// built, its licence, the maker's block a distributor supplied (none without one) and a
// picture of the device with its two measuring fields. Shown without blocking; "OK" hides it.
class TO_programieForm : public ToolWindow
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 478;
    static constexpr int kClientHeight = 183;

    explicit TO_programieForm(QWidget* parent = nullptr);

    // "wersja 1.00": the program's version, the minor number in two digits.
    static QString versionLine();
    // "zbudowano 2024-12-11 z Qt 6.4.2": the build's date and the Qt it was built with, and
    // the Qt the program runs with when that is another.
    static QString buildLine();
    // The maker's block from the distributor's file in folder: its lines that are not blank,
    // trimmed, at most about::kMostMakerLines. Nothing when there is no readable file.
    static QStringList makerLines(const QString& folder);

public slots:
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* m_ok = nullptr;
};

} // namespace kx
