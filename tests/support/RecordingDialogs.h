#pragma once
// Answers the program's dialogs in tests and records what they said.

#include <QStringList>

#include <functional>
#include <utility>

#include "ui/common/Dialogs.h"

struct RecordingDialogs : kx::Dialogs
{
    struct Message
    {
        QString text;
        QString caption; // empty for a plain message box
        kx::MessageIcon icon = kx::MessageIcon::None;
    };
    QList<Message> messages;
    // Runs inside a message box, as the operator's time spent reading it.
    std::function<void()> whileShown;
    bool answer = true;
    QString fileName;
    QString filter;

    RecordingDialogs() { kx::setDialogs(this); }
    ~RecordingDialogs() override { kx::setDialogs(nullptr); }

    QStringList texts() const
    {
        QStringList t;
        for (const auto& m : messages)
            t << m.text;
        return t;
    }

    void showMessage(const QString& text) override
    {
        messages.append({text, {}, {}});
        shown();
    }
    void messageBox(const QString& text, const QString& caption, kx::MessageIcon icon) override
    {
        messages.append({text, caption, icon});
        shown();
    }
    void shown()
    {
        if (whileShown)
            std::exchange(whileShown, nullptr)();
    }
    bool question(const QString& text, const QString& caption) override
    {
        messages.append({text, caption, kx::MessageIcon::None});
        return answer;
    }
    QString openFileName(const QString&, const QString&) override { return fileName; }
    QString saveFileName(const QString&, const QString&, QString* selectedFilter) override
    {
        if (selectedFilter)
            *selectedFilter = filter;
        return fileName;
    }
};
