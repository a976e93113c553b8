#include "ui/common/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>

namespace kx {

namespace {

Dialogs* g_installed = nullptr;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Dialogs& dialogs()
{
    static QtDialogs qtDialogs;
    return g_installed ? *g_installed : qtDialogs;
}

void setDialogs(Dialogs* d)
{
    g_installed = d;
}

void QtDialogs::showMessage(const QString& text)
{
    messageBox(text, QApplication::applicationName(), MessageIcon::None);
}

void QtDialogs::messageBox(const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

bool QtDialogs::question(const QString& text, const QString& caption)
{
    return QMessageBox::question(dialogParent(), caption, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString QtDialogs::openFileName(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(dialogParent(), title, QString(), filter);
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter,
                                QString* selectedFilter)
{
    return QFileDialog::getSaveFileName(dialogParent(), title, QString(), filter, selectedFilter);
}

QString QtDialogs::openExistingFile(const QString& title, const QString& filter,
                                    const QString& defaultSuffix)
{
    QFileDialog dialog(dialogParent(), title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

QString QtDialogs::exportFileName(const QString& title, const QStringList& filters, QString* chosen)
{
    // The window: the formats, and the way on to the file name.
    QDialog window(dialogParent());
    window.setWindowTitle(title);
    auto* list = new QListWidget(&window);
    list->setObjectName("ExportFormats");
    list->setAccessibleName(QString::fromUtf8("Format pliku"));
    list->addItems(filters);
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(&window);
    buttons->addButton(QString::fromUtf8("Zapisz..."), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &window, &QDialog::accept);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QString::fromUtf8("Zapisz wykres jako:"), &window));
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (window.exec() != QDialog::Accepted || !list->currentItem())
        return {};
    const QString filter = list->currentItem()->text();
    if (chosen)
        *chosen = filter;
    return QFileDialog::getSaveFileName(dialogParent(), title, QString(), filter);
}

void reportUnwritable(const QString& path)
{
    dialogs().showMessage(
        QString::fromUtf8("Nie można zapisać pliku:\n%1").arg(QDir::toNativeSeparators(path)));
}

} // namespace kx
