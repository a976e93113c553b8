#pragma once
// A page as the main window shows it, and the check that its controls fit: nothing sticks out,
// nothing is cut off, nothing overlaps.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <qcustomplot.h>

#include "WidgetTexts.h"
#include "ui/common/CGauge.h"
#include "ui/common/ValueLabel.h"

// A page the way the main window hosts it: in a tab widget of the window's fixed size. The tab
// widget takes the page (created with new) over.
struct HostedPage
{
    QTabWidget tabs;

    explicit HostedPage(QWidget* page)
    {
        tabs.setFixedSize(947, 638);
        tabs.addTab(page, QStringLiteral("page"));
        tabs.show();
    }
};

inline bool isLaidOutControl(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const kx::ValueLabel*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const kx::CGauge*>(w) || qobject_cast<const QTableView*>(w) ||
           qobject_cast<const QCustomPlot*>(w);
}

// A control's own parts (a spin box's text, a table's corner button, the chart's page
// indicator) belong to it and are not checked on their own.
inline bool insideControl(const QWidget* w, const QWidget* top)
{
    for (const QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
        if (isLaidOutControl(p))
            return true;
    return false;
}

// Arrows beside an edit box: a spin box whose own text field is hidden shows no number.
inline bool showsItsNumber(const QAbstractSpinBox* spin)
{
    const auto* text = spin->findChild<QLineEdit*>();
    return !text || text->isVisibleTo(spin);
}

// Every visible control of page lies inside it; a label that does not wrap shows its whole
// text, a button is at least its minimum size hint wide, a spin box that shows a number is at
// least 40 pixels wide, and no two controls overlap. Fewer than minimumControls controls means
// the page was not built (or not shown) and fails too. The page must be shown.
inline void checkFitsWithoutOverlap(QWidget* page, int minimumControls)
{
    QVERIFY(page);
    QList<QWidget*> controls;
    for (QWidget* c : page->findChildren<QWidget*>())
        if (c->isVisibleTo(page) && isLaidOutControl(c) && !insideControl(c, page))
            controls << c;
    QVERIFY2(controls.size() >= minimumControls, qPrintable(QString::number(controls.size())));

    const QRect area = page->rect();
    auto onPage = [page](QWidget* c) { return QRect(c->mapTo(page, QPoint(0, 0)), c->size()); };
    for (QWidget* c : controls) {
        const QRect r = onPage(c);
        QVERIFY2(area.contains(r),
                 qPrintable(c->objectName() + " " + c->metaObject()->className() + " outside"));
        if (auto* label = qobject_cast<QLabel*>(c); label && !label->wordWrap()) {
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(label->contentsRect().width() >= needed,
                     qPrintable("cut off: " + label->text()));
        }
        if (auto* value = qobject_cast<kx::ValueLabel*>(c)) {
            const int needed = value->fontMetrics().horizontalAdvance(value->text());
            QVERIFY2(value->contentsRect().width() >= needed,
                     qPrintable("cut off: " + value->text()));
        }
        if (auto* button = qobject_cast<QAbstractButton*>(c))
            QVERIFY2(button->width() >= button->minimumSizeHint().width(),
                     qPrintable("cut off: " + button->text()));
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(c); spin && showsItsNumber(spin))
            QVERIFY2(spin->width() >= 40, qPrintable(c->objectName()));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!onPage(controls[i]).intersects(onPage(controls[j])),
                     qPrintable(QString("%1 \"%2\" overlaps %3 \"%4\"")
                                    .arg(controls[i]->objectName(), shownText(controls[i]),
                                         controls[j]->objectName(), shownText(controls[j]))));
}
