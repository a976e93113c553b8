#pragma once
// What the operator, or a screen reader, finds on a control.

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "ui/common/ValueLabel.h"

// A label's or button's text, a group's title, a combo's shown item, a box's text.
inline QString shownText(const QWidget* w)
{
    if (auto* value = qobject_cast<const kx::ValueLabel*>(w))
        return value->text();
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title();
    if (auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    return {};
}

inline QString accessibleName(QWidget* w)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// The control called name exists under root, is of its class and shows its text.
inline void checkNamedControl(const QWidget& root, const QString& name, const QString& className,
                              const QString& text)
{
    auto* w = root.findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QVERIFY2(w->inherits(qPrintable(className)), w->metaObject()->className());
    QCOMPARE(shownText(w), text);
}
