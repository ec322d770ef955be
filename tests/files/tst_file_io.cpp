// Whole setting files on disk: the kind refusals by length, malformed and vanished files that
// leave the caller's data untouched, saves that never destroy a good file, the dialog steps
// and the factory adjustment data.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "FactoryAdjData.h"
#include "FileChoice.h"
#include "FileCodePage.h"
#include "FileMessages.h"
#include "FilesTestEnvironment.h"
#include "PLM_INC.h"
#include "RecordFile.h"
#include "SettingFileIo.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace PLM_INC;

Q_DECLARE_METATYPE(PLM_INC::LoadStatus)

namespace {

// A marker-form channel file of exactly `length` bytes (the unit row takes up the rest).
QByteArray channelFileOfLength(int length)
{
    ChannelRows rows;
    rows.fill(QStringLiteral("1"));
    const int base = ChannelFileBytes(rows).size() - 1;
    rows[31] = QString(length - base, QLatin1Char('x'));
    return ChannelFileBytes(rows);
}

std::vector<RawSettingRecord> records(int count, const QString &unit = QStringLiteral("%"))
{
    std::vector<RawSettingRecord> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        out[size_t(i)].values.fill(int16_t(i));
        out[size_t(i)].values[kConnectedIndex] = 1;
        out[size_t(i)].unit = unit;
    }
    return out;
}

ChannelRows sentinelRows()
{
    ChannelRows rows;
    rows.fill(QStringLiteral("untouched"));
    return rows;
}

// Files may grow no larger than `bytes` while it lives: a disk that is full.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class FileIoTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FilesTestEnvironment> env;

private slots:
    void init() { env = std::make_unique<FilesTestEnvironment>(); }
    void cleanup() { env.reset(); }

    void kindsAreToldApartByLength_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("wanted");
        QTest::addColumn<PLM_INC::LoadStatus>("status");
        const QByteArray block = RecordFileBytes(records(20));
        const QByteArray all = RecordFileBytes(records(320));
        QTest::newRow("channel file of exactly 1000 bytes") << channelFileOfLength(1000) << 0 << LoadStatus::Ok;
        QTest::newRow("1001 bytes is no channel file") << channelFileOfLength(1001) << 0 << LoadStatus::WrongKind;
        QTest::newRow("block file") << block << 1 << LoadStatus::Ok;
        QTest::newRow("channel file offered as a block file") << channelFileOfLength(900) << 1 << LoadStatus::WrongKind;
        QTest::newRow("block file offered as a channel file") << block << 0 << LoadStatus::WrongKind;
        QTest::newRow("block file offered as an all-channel file") << block << 2 << LoadStatus::WrongKind;
        QTest::newRow("all-channel file") << all << 2 << LoadStatus::Ok;
        QTest::newRow("all-channel file offered as a block file") << all << 1 << LoadStatus::WrongKind;
    }
    void kindsAreToldApartByLength()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, wanted);
        QFETCH(PLM_INC::LoadStatus, status);
        const QString path = env->file(QStringLiteral("kind.dat"));
        QVERIFY(WriteBytes(path, bytes));
        if (wanted == kChannelFileKind) {
            ChannelRows rows = sentinelRows();
            QCOMPARE(LoadChannelFile(path, rows), status);
            QCOMPARE(rows == sentinelRows(), status != LoadStatus::Ok);
        } else {
            std::vector<RawSettingRecord> read = records(1, QStringLiteral("sentinel"));
            const int count = wanted == kBlockFileKind ? 20 : 320;
            QCOMPARE(LoadRecordFile(path, wanted, count, read), status);
            QCOMPARE(read == records(1, QStringLiteral("sentinel")), status != LoadStatus::Ok);
        }
    }

    void malformedFilesAreRefusedAndChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<PLM_INC::LoadStatus>("status");
        QByteArray binary(5000, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 131 + 7) % 256);
        QByteArray blockHuge = RecordFileBytes(records(20));
        blockHuge.replace("\r\n3\r\n", "\r\n99999999999999999999\r\n");
        QByteArray allEarly = RecordFileBytes(records(320));
        allEarly.chop(400);
        QByteArray channelWord = channelFileOfLength(600);
        channelWord.replace("\"1\"", "\"one\"");
        QTest::newRow("empty channel file") << QByteArray() << 0 << LoadStatus::Unreadable;
        QTest::newRow("empty file is no block file") << QByteArray() << 1 << LoadStatus::WrongKind;
        QTest::newRow("binary bytes as a channel file") << binary.left(700) << 0 << LoadStatus::Unreadable;
        QTest::newRow("binary bytes as a block file") << binary << 1 << LoadStatus::Unreadable;
        QTest::newRow("ten million digits") << QByteArray(10'000'000, '5') << 2 << LoadStatus::Unreadable;
        QTest::newRow("a quote that never closes") << QByteArray("\"V203data\"\r\n\"12\r\n") + QByteArray(2000, '3') << 1
                                                 << LoadStatus::Unreadable;
        QTest::newRow("huge number in a block file") << blockHuge << 1 << LoadStatus::Unreadable;
        QTest::newRow("all-channel file ending early") << allEarly << 2 << LoadStatus::Unreadable;
        QTest::newRow("a word in a channel file's number row") << channelWord << 0 << LoadStatus::Unreadable;
        QTest::newRow("beyond the size limit") << QByteArray(int(kMaxSettingFileBytes + 1), '1') << 2 << LoadStatus::Unreadable;
    }
    void malformedFilesAreRefusedAndChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(PLM_INC::LoadStatus, status);
        const QString path = env->file(QStringLiteral("bad.dat"));
        QVERIFY(WriteBytes(path, bytes));
        if (kind == kChannelFileKind) {
            ChannelRows rows = sentinelRows();
            QCOMPARE(LoadChannelFile(path, rows), status);
            QVERIFY(rows == sentinelRows());
        } else {
            std::vector<RawSettingRecord> read = records(1, QStringLiteral("sentinel"));
            QCOMPARE(LoadRecordFile(path, kind, kind == kBlockFileKind ? 20 : 320, read), status);
            QVERIFY(read == records(1, QStringLiteral("sentinel")));
        }
    }

    // Files Windows writes: Notepad's and Excel's "UTF-8" begins with a byte-order mark, which
    // is no part of the text or of the length; "Unicode" (UTF-16) is refused as such.
    void filesWindowsWrites_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<PLM_INC::LoadStatus>("status");
        QTest::addColumn<QString>("unit");
        const QByteArray mark = "\xEF\xBB\xBF";
        ChannelRows rows;
        rows.fill(QStringLiteral("1"));
        rows[31] = QStringLiteral("\u00b0C \u20ac");
        const QString channelText = FromFileCodePage(ChannelFileBytes(rows));
        const QString blockText = FromFileCodePage(RecordFileBytes(records(20, QStringLiteral("\u00b5A"))));
        QByteArray le(reinterpret_cast<const char *>(channelText.utf16()), channelText.size() * 2);
        QByteArray be = le;
        for (qsizetype i = 0; i + 1 < be.size(); i += 2)
            std::swap(be[i], be[i + 1]);
        QTest::newRow("UTF-8 with a mark") << mark + channelText.toUtf8() << 0 << LoadStatus::Ok << rows[31];
        QTest::newRow("UTF-8 with a mark, ASCII only, 1000 bytes after it")
            << mark + channelFileOfLength(1000) << 0 << LoadStatus::Ok << ReadChannelFile(channelFileOfLength(1000)).value()[31];
        QTest::newRow("block file in UTF-8 with a mark") << mark + blockText.toUtf8() << 1 << LoadStatus::Ok << "\u00b5A";
        QTest::newRow("UTF-16 little-endian") << "\xFF\xFE" + le << 0 << LoadStatus::Utf16 << QString();
        QTest::newRow("UTF-16 big-endian") << "\xFE\xFF" + be << 0 << LoadStatus::Utf16 << QString();
        QTest::newRow("UTF-16 block file offered as a channel file") << "\xFF\xFE" + le + le << 0 << LoadStatus::Utf16 << QString();
    }
    void filesWindowsWrites()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(PLM_INC::LoadStatus, status);
        QFETCH(QString, unit);
        const QString path = env->file(QStringLiteral("windows.dat"));
        QVERIFY(WriteBytes(path, bytes));
        if (kind == kChannelFileKind) {
            ChannelRows rows = sentinelRows();
            QCOMPARE(LoadChannelFile(path, rows), status);
            QCOMPARE(rows[31], status == LoadStatus::Ok ? unit : QStringLiteral("untouched"));
            QCOMPARE(rows[0], status == LoadStatus::Ok ? QStringLiteral("1") : QStringLiteral("untouched"));
        } else {
            std::vector<RawSettingRecord> read;
            QCOMPARE(LoadRecordFile(path, kind, 20, read), status);
            QCOMPARE(read.back().unit, unit);
        }
    }

    void aFileThatIsGoneIsUnreadable()
    {
        const QString path = env->file(QStringLiteral("gone.dat"));
        QVERIFY(WriteBytes(path, RecordFileBytes(records(20))));
        QVERIFY(QFile::remove(path)); // removed between the dialog and the read
        std::vector<RawSettingRecord> read;
        QCOMPARE(LoadRecordFile(path, kBlockFileKind, 20, read), LoadStatus::Unreadable);
        ChannelRows rows = sentinelRows();
        QCOMPARE(LoadChannelFile(path, rows), LoadStatus::Unreadable);
        QCOMPARE(LoadChannelFile(QString(), rows), LoadStatus::Unreadable);
        QCOMPARE(LoadChannelFile(env->setdata(), rows), LoadStatus::Unreadable); // a folder
        if (QFile::exists(QStringLiteral("/dev/zero")))
            QCOMPARE(LoadChannelFile(QStringLiteral("/dev/zero"), rows), LoadStatus::Unreadable);
        QVERIFY(rows == sentinelRows());
    }

    void savesWriteTheWholeFileAndReplaceTheOld()
    {
        const QString path = env->file(QStringLiteral("block.dat"));
        QVERIFY(WriteBytes(path, QByteArray("old contents")));
        const auto recs = records(20);
        QVERIFY(SaveRecordFile(path, recs));
        QCOMPARE(ReadBytes(path), RecordFileBytes(recs));
        ChannelRows rows = sentinelRows();
        QVERIFY(SaveChannelFile(path, rows));
        QCOMPARE(ReadBytes(path), ChannelFileBytes(rows));
        QVERIFY(!SaveChannelFile(env->dir.path() + QStringLiteral("/no/such/folder/x.dat"), rows));
        QVERIFY(!SaveChannelFile(QString(), rows));
    }

    // Whether the new file is larger than the writer's buffer or not: on a full disk the save
    // fails and the old file stays, with no half-written copy beside it.
    void aFullDiskLeavesTheOldFileIntact_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("all-channel file") << RecordFileBytes(records(320));
        QTest::newRow("block file") << RecordFileBytes(records(20));
        QTest::newRow("channel file") << channelFileOfLength(900);
    }
    void aFullDiskLeavesTheOldFileIntact()
    {
        QFETCH(QByteArray, bytes);
        const QString path = env->file(QStringLiteral("all.dat"));
        const QByteArray good = "old contents, larger than the disk's room: " + QByteArray(600, 'x');
        QVERIFY(WriteBytes(path, good));
        bool saved = true;
        {
            FullDisk disk(512);
            saved = SaveSettingFileBytes(path, bytes);
        }
        QVERIFY(!saved);
        QCOMPARE(ReadBytes(path), good);
        const QStringList left = QDir(env->setdata()).entryList(QDir::Files);
        QCOMPARE(left, QStringList{QStringLiteral("all.dat")}); // no half-written copy beside it
    }

    void saveDialogSteps_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("messages");
        const QStringList overwrite = {QString::fromLatin1(FileMessages::kOverwrite)};
        QTest::newRow("cancelled") << "" << false << 0 << "" << QStringList{} << QStringList{};
        QTest::newRow("new name gets .dat") << "new" << false << 0 << "new.dat" << QStringList{} << QStringList{};
        QTest::newRow("own extension kept") << "new.txt" << false << 0 << "new.txt" << QStringList{} << QStringList{};
        QTest::newRow("overwrite accepted") << "old.dat" << true << int(Answer::Yes) << "old.dat" << overwrite << QStringList{};
        QTest::newRow("overwrite declined") << "old.dat" << true << int(Answer::No) << "" << overwrite
                                            << QStringList{QString::fromLatin1(FileMessages::kNewFileName)};
        QTest::newRow("name without .dat of an existing file")
            << "old" << true << int(Answer::No) << "" << overwrite << QStringList{QString::fromLatin1(FileMessages::kNewFileName)};
    }
    void saveDialogSteps()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, exists);
        QFETCH(int, answer);
        QFETCH(QString, result);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, messages);
        if (exists)
            QVERIFY(WriteBytes(env->file(QStringLiteral("old.dat")), "x"));
        env->prompter.saveNames << (chosen.isEmpty() ? QString() : env->file(chosen));
        env->prompter.answer = Answer(answer);
        QCOMPARE(ChooseSaveFile(), result.isEmpty() ? QString() : env->file(result));
        QCOMPARE(env->prompter.questions, questions);
        // The overwrite question asks for the operator's choice: the question icon.
        QCOMPARE(env->prompter.questionIcons, QList<QuestionIcon>(questions.size(), QuestionIcon::Question));
        QCOMPARE(env->prompter.messages, messages);
        QCOMPARE(env->prompter.dialogFolders, QStringList{env->setdata()});
        QVERIFY(env->prompter.dialogFilters.value(0).contains(QStringLiteral("*.dat")));
        QCOMPARE(env->prompter.dialogSuffixes, QStringList{QStringLiteral("dat")});
    }

    void openDialogSteps_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("result");
        QTest::newRow("cancelled") << "" << "";
        QTest::newRow("typed name gets .dat") << "old" << "old.dat";
        QTest::newRow("name with .dat") << "old.dat" << "old.dat";
        QTest::newRow("own extension kept") << "old.txt" << "old.txt";
    }
    void openDialogSteps()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, result);
        QVERIFY(WriteBytes(env->file(QStringLiteral("old.dat")), "x"));
        env->prompter.openNames << (chosen.isEmpty() ? QString() : env->file(chosen));
        QCOMPARE(ChooseOpenFile(), result.isEmpty() ? QString() : env->file(result));
        QVERIFY(env->prompter.questions.isEmpty());
        QCOMPARE(env->prompter.dialogFolders, QStringList{env->setdata()});
        QCOMPARE(env->prompter.dialogSuffixes, QStringList{QStringLiteral("dat")});
    }

    void factoryAdjustmentData_data()
    {
        QTest::addColumn<QList<int>>("clicks"); // unit + 1 checks it, -(unit + 1) unchecks it
        QTest::addColumn<QString>("data");
        const QString zeros8(8, QLatin1Char('0'));
        QTest::newRow("nothing chosen") << QList<int>{} << QString(80, QLatin1Char('0'));
        QTest::newRow("units 0 and 9") << QList<int>{1, 10}
                                       << QStringLiteral("0001") + QString(68, QLatin1Char('0')) + QStringLiteral("00010000");
        QTest::newRow("checked and unchecked again") << QList<int>{4, -4} << QString(80, QLatin1Char('0'));
        QTest::newRow("unit 2 only") << QList<int>{3} << zeros8 + zeros8 + QStringLiteral("00010000") + QString(56, QLatin1Char('0'));
        QTest::newRow("units outside 0..9 change nothing") << QList<int>{0, 11, -12} << QString(80, QLatin1Char('0'));
    }
    void factoryAdjustmentData()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, data);
        FactoryAdjData = QStringLiteral("garbage");
        ResetFactoryAdjData();
        for (int click : clicks)
            SetFactoryAdjUnit(std::abs(click) - 1, click > 0);
        QCOMPARE(FactoryAdjData, data);
        QCOMPARE(FactoryAdjData.size(), 80);
    }
};

QTEST_GUILESS_MAIN(FileIoTest)
#include "tst_file_io.moc"
