#include "ui/common/ToolWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace kx {

ToolWindow::ToolWindow(QWidget* parent, const QString& caption, QSize clientSize)
    : QWidget(parent, Qt::Tool)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
}

void ToolWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    centreOnScreen(this);
}

void ToolWindow::centreOnScreen(QWidget* window)
{
    if (QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace kx
