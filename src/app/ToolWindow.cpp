#include "app/ToolWindow.h"

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
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace kx
