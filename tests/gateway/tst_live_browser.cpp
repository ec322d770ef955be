// The live view in a real headless Chromium (live_browser.py, driven by Selenium) on a gateway
// polling the simulator: this test acts on the simulator and the gateway when the script asks.
#include "GatewayOnSim.h"

#include <QtTest>

class TestLiveBrowser : public QObject {
    Q_OBJECT

    GatewayOnSim plant_;

    bool act(const QByteArray &what)
    {
        if (what == "raise alarm 1 of Ch005") {
            plant_.sim().withModel([](sim::DeviceModel &m) { m.value(0, "0083", 4) = 0x0002; });
            return true;
        }
        if (what == "silence the line") {
            sim::Faults faults;
            faults.drop = 1.0;
            plant_.sim().setFaults(faults);
            return true;
        }
        if (what == "bring the line back with Ch001 one degree up") {
            plant_.sim().withModel([](sim::DeviceModel &m) { ++m.value(0, "0080", 0); });
            plant_.sim().setFaults(sim::Faults{});
            return true;
        }
        if (what == "restart the gateway")
            return plant_.stopGateway() && plant_.startGateway();
        return false;
    }

private slots:
    void initTestCase() { QVERIFY(plant_.start()); }

    void operatorSeesTheLine()
    {
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        script.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(PLM_LIVE_BROWSER_SCRIPT), QStringLiteral("http://127.0.0.1:%1/").arg(plant_.port()),
                      QStringLiteral("213"), QStringLiteral("10.0")});
        QVERIFY(script.waitForStarted(10000));
        QStringList asked;
        // A limit only: the script gives up on each of its waits by itself long before.
        const bool ended = QTest::qWaitFor([&] {
            while (script.canReadLine()) {
                const QByteArray line = script.readLine().trimmed();
                if (!line.startsWith("ASK "))
                    continue;
                asked << QString::fromLatin1(line.mid(4));
                script.write(act(line.mid(4)) ? "OK\n" : "NO\n");
            }
            return script.state() == QProcess::NotRunning;
        }, 900000);
        QVERIFY2(ended, "the browser script did not end");
        if (script.exitCode() == 77)
            QSKIP("Chromium, its driver or Selenium is not installed (scripts/install-deps.sh installs them)");
        QCOMPARE(script.exitCode(), 0);
        QCOMPARE(asked.size(), 4); // every step was reached
    }
};

QTEST_GUILESS_MAIN(TestLiveBrowser)
#include "tst_live_browser.moc"
