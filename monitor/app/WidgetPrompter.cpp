#include "WidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>

namespace {
// Questions and file dialogs are modal over whatever window the operator is in.
QWidget *owner()
{
    return QApplication::activeWindow();
}
// The boxes of timer-driven work belong to the program's main window (or to none): a dialog
// open when one comes (Browse's file dialog, a Yes/No question) would take it with it, unread,
// when it closes.
QWidget *mainWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(window) && !window->parentWidget())
            return window;
    return nullptr;
}
const QString kTitle = QStringLiteral("PLM-870 Monitoring software");
} // namespace

void WidgetPrompter::message(const QString &text, const QString &kind)
{
    if (kind.isEmpty()) {
        QMessageBox::information(owner(), kTitle, text, QMessageBox::Ok);
        return;
    }
    if (isOpen(kind))
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, mainWindow());
    box->setObjectName(QStringLiteral("PromptBox_") + kind);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_open[kind] = box;
    box->show();
}

bool WidgetPrompter::isOpen(const QString &kind) const
{
    const auto it = m_open.find(kind);
    return it != m_open.end() && !it->second.isNull() && it->second->isVisible();
}

PLM_INC::Answer WidgetPrompter::question(const QString &text, PLM_INC::QuestionIcon icon)
{
    return ask(text, kTitle, icon);
}

PLM_INC::Answer WidgetPrompter::titledQuestion(const QString &text, const QString &title)
{
    return ask(text, title, PLM_INC::QuestionIcon::Exclamation);
}

PLM_INC::Answer WidgetPrompter::ask(const QString &text, const QString &title, PLM_INC::QuestionIcon icon)
{
    const QMessageBox::Icon shown =
        icon == PLM_INC::QuestionIcon::Question ? QMessageBox::Question : QMessageBox::Warning;
    QMessageBox box(shown, title, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? PLM_INC::Answer::Yes : PLM_INC::Answer::No;
}

QString WidgetPrompter::fileName(const QString &title, const QString &folder, const QString &filter,
                                 const QString &defaultSuffix, bool existing)
{
    QFileDialog dialog(owner(), title, folder, filter);
    dialog.setAcceptMode(existing ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(existing ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The program asks its own overwrite question; the dialog must not ask a second time.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString WidgetPrompter::openFileName(const QString &title, const QString &folder, const QString &filter,
                                     const QString &defaultSuffix)
{
    return fileName(title, folder, filter, defaultSuffix, true);
}

QString WidgetPrompter::saveFileName(const QString &title, const QString &folder, const QString &filter,
                                     const QString &defaultSuffix)
{
    return fileName(title, folder, filter, defaultSuffix, false);
}

QString WidgetPrompter::anyFileName(const QString &title, const QString &folder, const QString &filter,
                                    const QString &defaultSuffix)
{
    return fileName(title, folder, filter, defaultSuffix, false);
}
