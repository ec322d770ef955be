// The "Broker" dialog under Setting and the start of publishing from the window: usable
// settings are stored and publishing follows them; unusable ones give one message, nothing
// stored, nothing published, no crash.
#include "BrokerSettings.h"
#include "MainDisp.h"
#include "Preferences.h"
#include "Publisher.h"
#include "SubDisp_Broker.h"
#include "UiValuesFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>
#include <sys/stat.h>

class TestBrokerDialog : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        m_win = std::make_unique<MainDisp>();
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    void dialogChecksWhatItStores_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("caFile");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("a broker on the loopback") << "127.0.0.1" << "1" << "" << "" << true << "";
        QTest::newRow("with a password: the owner's file only") << "127.0.0.1" << "1" << "" << "pw" << true << "";
        QTest::newRow("publishing off") << "" << "" << "" << "" << true << "";
        QTest::newRow("port not a number") << "127.0.0.1" << "x" << "" << "" << false
                                           << "The broker port \"x\" is not a number from 1 to 65535. Nothing is published.";
        QTest::newRow("missing CA file") << "127.0.0.1" << "8883" << "/nonexistent/ca.pem" << "" << false
                                         << "The CA file \"/nonexistent/ca.pem\" cannot be read. Nothing is published.";
    }
    void dialogChecksWhatItStores()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, caFile);
        QFETCH(QString, password);
        QFETCH(bool, stored);
        QFETCH(QString, message);
        ::umask(022); // the usual desktop's: a new file is 0644
        QAction *menu = m_win->menuAction(QStringLiteral("mnuBroker"));
        QVERIFY(menu);
        menu->trigger();
        SubDisp_Broker *d = m_win->subDispBroker;
        QVERIFY(d->isVisible());
        d->Text_Host->setText(host);
        d->Text_Port->setText(port);
        d->Text_CAFile->setText(caFile);
        d->Text_Prefix->setText(QStringLiteral("line7"));
        d->Text_User->setText(password.isEmpty() ? QString() : QStringLiteral("u"));
        d->Text_Password->setText(password);
        d->Command_OK_Click();
        QCOMPARE(d->isVisible(), !stored);
        QCOMPARE(m_env->prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(Prefs::get(QString::fromLatin1(kMqttPrefixKey)), stored ? QStringLiteral("line7") : QString());
        QCOMPARE(Prefs::get(QString::fromLatin1(kMqttHostKey)), stored ? host : QString());
        Prefs::sync();
        if (!password.isEmpty()) // the owner's only
            QCOMPARE(QFile::permissions(Prefs::storePath()) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        // Port 1 on the loopback has no broker: publishing runs all the same and retries.
        QCOMPARE(m_win->publisher->running(), stored && !host.isEmpty());
    }

    // The client certificate and key as the operator gives them: stored, and shown again.
    void clientCertificateIsStoredAndShown()
    {
        const QString file = QCoreApplication::applicationFilePath(); // any readable file
        m_win->menuAction(QStringLiteral("mnuBroker"))->trigger();
        SubDisp_Broker *d = m_win->subDispBroker;
        d->Text_Host->setText(QStringLiteral("127.0.0.1"));
        d->Text_Port->setText(QStringLiteral("1"));
        d->Text_CAFile->setText(file);
        d->Text_CertFile->setText(file);
        d->Command_OK_Click(); // a certificate without its key
        QCOMPARE(m_env->prompter.messages,
                 QStringList{"A client certificate needs its key file, and a key file its certificate. Nothing is published."});
        d->Text_KeyFile->setText(file);
        d->Command_OK_Click();
        QVERIFY(!d->isVisible());
        QCOMPARE(Prefs::get(QString::fromLatin1(kMqttKeyFileKey)), file);
        d->Text_CertFile->clear();
        d->openWindow();
        QCOMPARE(d->Text_CertFile->text(), file);
    }

    void storedSettingsStartPublishingOnce_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("running");
        QTest::newRow("usable") << "1" << "p" << 0 << true;
        QTest::newRow("port text") << "eighteen" << "p" << 1 << false;
        QTest::newRow("wildcard prefix") << "1883" << "a/+/b" << 1 << false;
    }
    void storedSettingsStartPublishingOnce()
    {
        QFETCH(QString, port);
        QFETCH(QString, prefix);
        QFETCH(int, messages);
        QFETCH(bool, running);
        Prefs::set(QString::fromLatin1(kMqttHostKey), QStringLiteral("127.0.0.1"));
        Prefs::set(QString::fromLatin1(kMqttPortKey), port);
        Prefs::set(QString::fromLatin1(kMqttPrefixKey), prefix);
        m_win->startPublishing();
        QCOMPARE(m_env->prompter.messages.size(), messages);
        QCOMPARE(m_win->publisher->running(), running);
    }

    void nothingIsPublishedByDefault()
    {
        m_win->startPublishing();
        QVERIFY(!m_win->publisher->running());
        QVERIFY(m_env->prompter.messages.isEmpty());
    }
};

QTEST_MAIN(TestBrokerDialog)
#include "tst_broker_dialog.moc"
