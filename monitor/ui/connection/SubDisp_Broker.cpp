#include "SubDisp_Broker.h"

#include "BrokerSettings.h"
#include "Prompter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *field(QWidget *parent, const char *name, const QString &accessible)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessible);
    return e;
}

} // namespace

SubDisp_Broker::SubDisp_Broker(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SubDisp_Broker"));
    setWindowTitle(QStringLiteral("Broker"));
    Text_Host = field(this, "Text_Host", QStringLiteral("Broker host"));
    Text_Host->setPlaceholderText(QStringLiteral("empty: nothing is published"));
    Text_Port = field(this, "Text_Port", QStringLiteral("Broker port"));
    Text_Port->setPlaceholderText(QStringLiteral("1883"));
    Text_Prefix = field(this, "Text_Prefix", QStringLiteral("Topic prefix"));
    Text_Prefix->setPlaceholderText(QStringLiteral("plm870"));
    Text_User = field(this, "Text_User", QStringLiteral("Broker user"));
    Text_Password = field(this, "Text_Password", QStringLiteral("Broker password"));
    Text_Password->setEchoMode(QLineEdit::Password);
    Text_CAFile = field(this, "Text_CAFile", QStringLiteral("TLS CA file"));
    Text_CAFile->setPlaceholderText(QStringLiteral("empty: no TLS"));
    Text_CertFile = field(this, "Text_CertFile", QStringLiteral("TLS client certificate file"));
    Text_CertFile->setPlaceholderText(QStringLiteral("empty: none (the broker does not ask for one)"));
    Text_KeyFile = field(this, "Text_KeyFile", QStringLiteral("TLS client key file"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Host"), Text_Host);
    form->addRow(QStringLiteral("Port"), Text_Port);
    form->addRow(QStringLiteral("Topic prefix"), Text_Prefix);
    form->addRow(QStringLiteral("User"), Text_User);
    form->addRow(QStringLiteral("Password"), Text_Password);
    form->addRow(QStringLiteral("CA file"), Text_CAFile);
    form->addRow(QStringLiteral("Certificate"), Text_CertFile);
    form->addRow(QStringLiteral("Key file"), Text_KeyFile);
    auto *note = new QLabel(QStringLiteral("The monitor only publishes; nothing received from the broker changes a setting."), this);
    note->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command_OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command_Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SubDisp_Broker::Command_OK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void SubDisp_Broker::openWindow()
{
    const BrokerSettingsResult r = ReadBrokerSettings();
    Text_Host->setText(r.settings.host);
    Text_Port->setText(r.settings.host.isEmpty() ? QString() : QString::number(r.settings.port));
    Text_Prefix->setText(r.settings.prefix);
    Text_User->setText(r.settings.user);
    Text_Password->setText(r.settings.password);
    Text_CAFile->setText(r.settings.caFile);
    Text_CertFile->setText(r.settings.certFile);
    Text_KeyFile->setText(r.settings.keyFile);
    show();
    raise();
}

void SubDisp_Broker::Command_OK_Click()
{
    const BrokerSettingsResult r = CheckBrokerSettings(Text_Host->text(), Text_Port->text(), Text_Prefix->text(),
                                                       Text_User->text(), Text_Password->text(), Text_CAFile->text(),
                                                       Text_CertFile->text(), Text_KeyFile->text());
    if (!r.error.isEmpty()) {
        PLM_INC::prompter().message(r.error, QStringLiteral("broker"));
        return;
    }
    QString why;
    if (!StoreBrokerSettings(r.settings, &why)) {
        PLM_INC::prompter().message(why, QStringLiteral("broker"));
        return;
    }
    accept();
    emit applied();
}
