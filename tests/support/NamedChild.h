#pragma once
// The windows' controls carry their historical names; tests find them by those names.

#include <QObject>
#include <QString>
#include <QtGlobal>

// The child of root called name, of class T. When there is none, or the one of that name is of
// another class, a warning says which and the result is nullptr: QVERIFY it before use.
template <class T> T* child(const QObject* root, const QString& name)
{
    if (!root) {
        qWarning("no window to look for \"%s\" in", qPrintable(name));
        return nullptr;
    }
    if (T* found = root->findChild<T*>(name))
        return found;
    if (const QObject* other = root->findChild<QObject*>(name))
        qWarning("\"%s\" under %s is a %s, not a %s", qPrintable(name),
                 root->metaObject()->className(), other->metaObject()->className(),
                 T::staticMetaObject.className());
    else
        qWarning("no %s called \"%s\" under %s", T::staticMetaObject.className(), qPrintable(name),
                 root->metaObject()->className());
    return nullptr;
}

template <class T> T* child(const QObject& root, const QString& name)
{
    return child<T>(&root, name);
}
