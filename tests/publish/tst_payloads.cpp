// Topics and payloads: what a consumer reads for a channel, an alarm and a block's link health,
// and which broker settings are refused with one clear message.
#include "AlarmHistory.h"
#include "BrokerSettings.h"
#include "ChangeRecord.h"
#include "LinkHealth.h"
#include "PLM_INC.h"
#include "Payloads.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QtTest>

using namespace PLM_INC;

namespace {

QJsonObject parse(const QByteArray &json)
{
    QJsonParseError e{};
    const QJsonDocument d = QJsonDocument::fromJson(json, &e);
    if (e.error != QJsonParseError::NoError)
        qFatal("not JSON: %s", json.constData());
    return d.object();
}

const QDateTime kAt(QDate(2026, 12, 6), QTime(9, 5, 7));

} // namespace

class TestPayloads : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetImage();
        FillItemCodeTable();
    }

    void topics_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first channel") << ChannelTopic(QStringLiteral("line1"), 0) << "line1/ch/001";
        QTest::newRow("last channel") << ChannelTopic(QStringLiteral("line1"), 319) << "line1/ch/320";
        QTest::newRow("first block") << HealthTopic(QStringLiteral("p/q"), 0) << "p/q/health/01";
        QTest::newRow("last block") << HealthTopic(QStringLiteral("p"), 15) << "p/health/16";
        QTest::newRow("alarms") << AlarmTopic(QStringLiteral("p")) << "p/alarm";
        QTest::newRow("status") << StatusTopic(QStringLiteral("p")) << "p/status";
        QTest::newRow("changes") << ChangeTopic(QStringLiteral("p")) << "p/changes";
    }
    void topics()
    {
        QFETCH(QString, topic);
        QFETCH(QString, expected);
        QCOMPARE(topic, expected);
    }

    void numbersKeepTheirDecimals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("whole") << "1234" << QByteArray("1234");
        QTest::newRow("tenths zero") << "0.0" << QByteArray("0.0");
        QTest::newRow("negative tenths") << "-199.9" << QByteArray("-199.9");
        QTest::newRow("four decimals") << "0.0007" << QByteArray("0.0007");
        QTest::newRow("trailing zero kept") << "150.0" << QByteArray("150.0");
        QTest::newRow("blank value") << "" << QByteArray("null");
        QTest::newRow("not a number") << "----" << QByteArray("null");
        QTest::newRow("leading zero") << "007" << QByteArray("null");
        QTest::newRow("dot only") << "1." << QByteArray("null");
    }
    void numbersKeepTheirDecimals()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, json);
        QCOMPARE(JsonNumber(text), json);
    }

    void channelPayload_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value"); // compact JSON of the field; "absent" when left out
        QTest::newRow("PV in tenths") << 8 << 0 << 0 << "pv" << "123.4";
        QTest::newRow("SV in tenths") << 8 << 0 << 0 << "sv" << "150.0";
        QTest::newRow("MV") << 8 << 0 << 0 << "mv" << "45.6";
        QTest::newRow("whole degrees") << 0 << 0 << 0 << "pv" << "1234";
        QTest::newRow("unit") << 8 << 0 << 0 << "unit" << "\"deg.C\"";
        QTest::newRow("no heater current without the option") << 8 << 0 << 0 << "heater_current" << "absent";
        QTest::newRow("heater current with the option") << 8 << int(kOptionHeaterBurnout) << 0 << "heater_current" << "12.3";
        QTest::newRow("cooling MV of a pair") << 8 << int(kOptionHeatCool) << 0 << "cool_mv" << "33.3";
        QTest::newRow("no cooling MV alone") << 8 << 0 << 0 << "cool_mv" << "absent";
        QTest::newRow("alarm 1 bit") << 8 << 0 << int(kStatusAlarm1) << "alarm1" << "true";
        QTest::newRow("alarm 1 clear") << 8 << 0 << int(kStatusAlarm2) << "alarm1" << "false";
        QTest::newRow("loop break bit") << 8 << 0 << int(kStatusLoopBreak) << "loop_break" << "true";
        QTest::newRow("status word") << 8 << 0 << int(kStatusControl | kStatusOutputOn) << "status" << "1025";
        QTest::newRow("channel number") << 8 << 0 << 0 << "ch" << "43";
        QTest::newRow("block number") << 8 << 0 << 0 << "block" << "3";
        QTest::newRow("time") << 8 << 0 << 0 << "time" << "\"2026-12-06T09:05:07\"";
    }
    void channelPayload()
    {
        QFETCH(int, inputType);
        QFETCH(int, option);
        QFETCH(int, status);
        QFETCH(QString, field);
        QFETCH(QString, value);
        constexpr int ch = 42;
        for (int n : {ch, ch + 1}) {
            ChannelConnected[n] = 1;
            InputType[n] = int16_t(inputType);
            OptionWord[n] = int16_t(option);
            DecimalDivisor[n] = 100;
        }
        ProcessValue[ch] = 1234;
        MainSetting[ch] = 1500;
        OutputValue[ch] = 456;
        OutputValue[ch + 1] = 333;
        HeaterCurrent[ch] = 123;
        StatusWord[ch] = int16_t(status);
        const QByteArray json = ChannelPayload(ch, kAt);
        const QJsonObject o = parse(json);
        if (value == QLatin1String("absent")) {
            QVERIFY2(!o.contains(field), json.constData());
            return;
        }
        // Compared as text in the payload itself, so 150.0 stays 150.0.
        const QByteArray expected = "\"" + field.toLatin1() + "\":" + value.toUtf8();
        QVERIFY2(json.contains(expected + ',') || json.contains(expected + '}'), json.constData());
    }

    void channelsPublished_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("published");
        QTest::newRow("fitted") << 10 << true << 0 << true;
        QTest::newRow("not fitted") << 10 << false << 0 << false;
        QTest::newRow("heating half of a pair") << 10 << true << int(kOptionHeatCool) << true;
        QTest::newRow("cooling half of a pair") << 11 << true << int(kOptionHeatCool) << false;
        QTest::newRow("odd channel alone") << 11 << true << 0 << true;
        QTest::newRow("beyond the installation") << 320 << true << 0 << false;
    }
    void channelsPublished()
    {
        QFETCH(int, channel);
        QFETCH(bool, connected);
        QFETCH(int, option);
        QFETCH(bool, published);
        if (channel < kChannels) {
            ChannelConnected[channel] = connected ? 1 : 0;
            OptionWord[channel] = int16_t(option);
        }
        QCOMPARE(ChannelPublished(channel), published);
    }

    void payloadWithoutTimeChangesOnlyWithValues()
    {
        ChannelConnected[0] = 1;
        ProcessValue[0] = 10;
        const QByteArray a = ChannelPayload(0, QDateTime());
        QCOMPARE(ChannelPayload(0, QDateTime()), a);
        ProcessValue[0] = 11;
        QVERIFY(ChannelPayload(0, QDateTime()) != a);
        QVERIFY(!a.contains("time"));
    }

    void alarmPayload_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QVariant>("ch");
        QTest::newRow("alarm 1 on") << "Alarm1" << true << "Alarm 1 was turned on." << "on" << QVariant(5);
        QTest::newRow("heater burnout off") << "HB" << false << "Heater burnout alarm was turned off." << "off" << QVariant(5);
        QTest::newRow("overscale") << "UPS" << true << "PV was in the state of overscale." << "on" << QVariant(5);
        QTest::newRow("checksum is an event without channel") << "CHKSUM" << false << "Checksum error occured." << "event" << QVariant();
        QTest::newRow("NAK is an event without channel") << "NAK" << false << "Received Negative acknowledgement from HRV-600." << "event" << QVariant();
    }
    void alarmPayload()
    {
        QFETCH(QString, kind);
        QFETCH(bool, on);
        QFETCH(QString, content);
        QFETCH(QString, state);
        QFETCH(QVariant, ch);
        HistoryEntry e{kind, 4, on, kAt, QStringLiteral("2026/12/6"), QStringLiteral("9:05:07 AM"),
                       kind == QLatin1String("NAK") || kind == QLatin1String("CHKSUM") ? QStringLiteral("----") : QStringLiteral("Ch005"),
                       HistoryContentText(kind, on)};
        const QJsonObject o = parse(AlarmPayload(e));
        QCOMPARE(o.value(QStringLiteral("content")).toString(), content);
        QCOMPARE(o.value(QStringLiteral("state")).toString(), state);
        QCOMPARE(o.value(QStringLiteral("kind")).toString(), kind);
        QCOMPARE(o.value(QStringLiteral("ch")).toVariant(), ch.isValid() ? QVariant(qlonglong(5)) : QVariant::fromValue(nullptr));
        QCOMPARE(o.value(QStringLiteral("date")).toString(), QStringLiteral("2026/12/6"));
        QCOMPARE(o.value(QStringLiteral("clock")).toString(), QStringLiteral("9:05:07 AM"));
    }

    // The fields of the change record's line with its number, file and hash; a value the page
    // shows as a number is one, a selection's is null beside its text; a program's start names
    // no channel.
    void changePayload()
    {
        RecordedChange line{{QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), Qt::OffsetFromUTC, 3600), 40, QStringLiteral("0001"),
                             QStringLiteral("150.0"), QStringLiteral("160.5"), ChangeOrigin::Editor, QStringLiteral("op"),
                             WriteOutcome::Taken},
                            12, QByteArray(64, 'a'), QStringLiteral("2026_12.csv")};
        QCOMPARE(ChangePayload(line),
                 QByteArray("{\"seq\":12,\"ch\":41,\"block\":3,\"item\":\"0001\",\"item_name\":\"Main setting value\","
                            "\"before\":150.0,\"after\":160.5,\"before_text\":\"150.0\",\"after_text\":\"160.5\","
                            "\"origin\":\"setting editor\",\"clock_went_back\":false,\"who\":\"op\",\"outcome\":\"taken\","
                            "\"time\":\"2026-12-06T09:05:07+01:00\",\"file\":\"2026_12.csv\",\"hash\":\"")
                     + QByteArray(64, 'a') + "\"}");
        line.change = {kAt, 0, QStringLiteral("0013"), QStringLiteral("Deviation high"), QStringLiteral("Deviation low"),
                       ChangeOrigin::AtUnit, QStringLiteral("gateway"), WriteOutcome::Taken};
        QJsonObject o = parse(ChangePayload(line));
        QVERIFY(o.value(QStringLiteral("after")).isNull());
        QCOMPARE(o.value(QStringLiteral("after_text")).toString(), QStringLiteral("Deviation low"));
        QCOMPARE(o.value(QStringLiteral("origin")).toString(), QStringLiteral("at the unit"));
        line.change = ProgramLine(ChangeOrigin::ProgramStarted, kAt, QStringLiteral("gateway"));
        o = parse(ChangePayload(line));
        QVERIFY(o.value(QStringLiteral("ch")).isNull() && o.value(QStringLiteral("item")).isNull()
                && o.value(QStringLiteral("outcome")).isNull());
        QCOMPARE(o.value(QStringLiteral("origin")).toString(), QStringLiteral("program started"));
    }

    // A block's link health; the share of polls answered in the last minute with three decimals
    // as the payload writes it (a consumer that reads the text sees 0.667, not 0.67).
    void healthPayload_data()
    {
        QTest::addColumn<int>("answered");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QByteArray>("share");
        QTest::newRow("nothing polled yet") << 0 << 0 << QByteArray("null");
        QTest::newRow("one of two") << 1 << 1 << QByteArray("0.500");
        QTest::newRow("two of three") << 2 << 1 << QByteArray("0.667");
        QTest::newRow("one of eight") << 1 << 7 << QByteArray("0.125");
        QTest::newRow("all") << 3 << 0 << QByteArray("1.000");
        QTest::newRow("none") << 0 << 2 << QByteArray("0.000");
    }
    void healthPayload()
    {
        QFETCH(int, answered);
        QFETCH(int, failed);
        QFETCH(QByteArray, share);
        LinkHealth health;
        const QJsonObject fresh = parse(HealthPayload(health, 3, true, kAt));
        QCOMPARE(fresh.value(QStringLiteral("block")).toInt(), 4);
        QVERIFY(fresh.value(QStringLiteral("last_good_reply")).isNull());
        for (int i = 0; i < answered; ++i) {
            health.noteTransaction(3, ReplyKind::Ack);
            health.notePoll(3, 0, ReplyKind::Ack);
        }
        for (int i = 0; i < failed; ++i) {
            health.noteTransaction(3, ReplyKind::ChecksumFailure);
            health.notePoll(3, 0, ReplyKind::ChecksumFailure);
        }
        const QByteArray payload = HealthPayload(health, 3, true, kAt);
        const QJsonObject o = parse(payload);
        QCOMPARE(o.value(QStringLiteral("replies")).toInt(), answered);
        QCOMPARE(o.value(QStringLiteral("checksum_errors")).toInt(), failed);
        QCOMPARE(o.value(QStringLiteral("timeouts")).toInt(), 0);
        QCOMPARE(o.value(QStringLiteral("stale")).toBool(), false);
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\"answered_1min\":([^,}]*)"))
                                              .match(QString::fromUtf8(payload));
        QVERIFY2(m.hasMatch(), payload.constData());
        QCOMPARE(m.captured(1).toUtf8(), share);
    }

    void brokerSettings_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("caFile");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("errorStart"); // empty: no message
        QTest::addColumn<QString>("certFile");
        QTest::addColumn<QString>("keyFile");
        QTest::newRow("nothing named: off, no message") << "" << "abc" << "" << "" << "" << "" << false << "" << "" << "";
        QTest::newRow("host alone: default port") << "127.0.0.1" << "" << "" << "" << "" << "" << true << "" << "" << "";
        QTest::newRow("port not a number") << "127.0.0.1" << "18x3" << "" << "" << "" << "" << false << "The broker port" << "" << "";
        QTest::newRow("port out of range") << "127.0.0.1" << "70000" << "" << "" << "" << "" << false << "The broker port" << "" << "";
        QTest::newRow("wildcard prefix") << "127.0.0.1" << "1883" << "plant/#" << "" << "" << "" << false << "The topic prefix" << "" << "";
        QTest::newRow("missing CA file") << "127.0.0.1" << "8883" << "p" << "" << "" << "/nonexistent/ca.crt" << false << "The CA file" << "" << "";
        QTest::newRow("password without user") << "127.0.0.1" << "1883" << "p" << "" << "secret" << "" << false << "A broker password" << "" << "";
        QTest::newRow("user and password") << "broker.plant" << "1883" << "line/2" << "u" << "p" << "" << true << "" << "" << "";
        const QString readable = QCoreApplication::applicationFilePath();
        QTest::newRow("certificate without its key") << "127.0.0.1" << "8883" << "p" << "" << "" << readable << false
                                                     << "A client certificate needs its key" << readable << "";
        QTest::newRow("certificate without TLS") << "127.0.0.1" << "8883" << "p" << "" << "" << "" << false
                                                 << "A client certificate is used with TLS only" << readable << readable;
        QTest::newRow("missing key file") << "127.0.0.1" << "8883" << "p" << "" << "" << readable << false << "The key file"
                                          << readable << "/nonexistent/client.key";
        QTest::newRow("CA, certificate and key") << "127.0.0.1" << "8883" << "p" << "" << "" << readable << true << ""
                                                 << readable << readable;
    }
    void brokerSettings()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, prefix);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, caFile);
        QFETCH(bool, enabled);
        QFETCH(QString, errorStart);
        QFETCH(QString, certFile);
        QFETCH(QString, keyFile);
        const BrokerSettingsResult r = CheckBrokerSettings(host, port, prefix, user, password, caFile, certFile, keyFile);
        QCOMPARE(r.enabled(), enabled);
        if (errorStart.isEmpty())
            QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        else
            QVERIFY2(r.error.startsWith(errorStart) && r.error.endsWith(QLatin1String("Nothing is published.")), qPrintable(r.error));
    }
};

QTEST_GUILESS_MAIN(TestPayloads)
#include "tst_payloads.moc"
