#include "ui/common/RepaintPacer.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace kx::RepaintPacer {

namespace {

class Pacer : public QObject
{
public:
    Pacer()
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(kTickMs);
        connect(&m_timer, &QTimer::timeout, this, &Pacer::repaint);
    }

    void schedule(QWidget* widget, const QRect& area)
    {
        Entry& e = m_marked[widget];
        e.widget = widget;
        e.area = area.isEmpty() || e.whole ? QRect() : e.area.united(area);
        e.whole = e.whole || area.isEmpty();
        if (!m_timer.isActive())
            m_timer.start();
    }

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        QRect area;
        bool whole = false;
    };

    void repaint()
    {
        const QHash<QWidget*, Entry> marked = std::exchange(m_marked, {});
        for (const Entry& e : marked) {
            if (!e.widget)
                continue;
            if (e.whole)
                e.widget->update();
            else
                e.widget->update(e.area);
        }
    }

    QTimer m_timer;
    QHash<QWidget*, Entry> m_marked;
};

} // namespace

void schedule(QWidget* widget, const QRect& area)
{
    // Lives as long as the application's event loop may deliver its timer.
    static Pacer* pacer = new Pacer;
    pacer->schedule(widget, area);
}

} // namespace kx::RepaintPacer
