#pragma once
// Base of the secondary windows: a tool window of a fixed client size that opens centred on
// the screen, and that closing only hides (each is created once and lives for the run).

#include <QWidget>

namespace kx {

class ToolWindow : public QWidget
{
    Q_OBJECT

public:
    ToolWindow(QWidget* parent, const QString& caption, QSize clientSize);

    // Moves a window, frame included, to the centre of its screen.
    static void centreOnScreen(QWidget* window);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_centred = false;
};

} // namespace kx
