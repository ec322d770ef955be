#include "WidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>

namespace {
QWidget *owner()
{
    return QApplication::activeWindow();
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
    auto *box = new QMessageBox(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, owner());
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

PLM_INC::Answer WidgetPrompter::question(const QString &text)
{
    return titledQuestion(text, kTitle);
}

PLM_INC::Answer WidgetPrompter::titledQuestion(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? PLM_INC::Answer::Yes : PLM_INC::Answer::No;
}

QString WidgetPrompter::openFileName(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(owner(), title, folder, filter);
}

QString WidgetPrompter::saveFileName(const QString &title, const QString &folder, const QString &filter)
{
    // The program asks its own overwrite question; the dialog must not ask a second time.
    return QFileDialog::getSaveFileName(owner(), title, folder, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString WidgetPrompter::anyFileName(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getSaveFileName(owner(), title, folder, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}
