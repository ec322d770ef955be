#include "ChangeRecordWindow.h"

#include "ChangeRowsModel.h"
#include "ChangeVerify.h"
#include "CountText.h"
#include "Clock.h"
#include "Controls.h"
#include "ItemTable.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>
#include <set>

using namespace PLM_INC;

ChangeRecordWindow::ChangeRecordWindow(const QString &folder, QWidget *parent) : QDialog(parent), m_folder(folder)
{
    setObjectName(QStringLiteral("ChangeRecordWindow"));
    setWindowTitle(QStringLiteral("Change record"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *filters = new QGridLayout;
    Block_filter = Controls::selector(this, QStringLiteral("Block_filter"), QStringLiteral("Block filter"));
    Block_filter->addItem(QStringLiteral("All blocks"), -1);
    for (int b = 0; b < kBlocks; ++b)
        Block_filter->addItem(QStringLiteral("%1 %2").arg(b + 1).arg(Prefs::blockName(b)), b);
    Channel_filter = Controls::selector(this, QStringLiteral("Channel_filter"), QStringLiteral("Channel filter"));
    Item_filter = Controls::selector(this, QStringLiteral("Item_filter"), QStringLiteral("Item filter"));
    Item_filter->addItem(QStringLiteral("All items"), QString());
    for (const ItemInfo &item : ItemTable())
        if (!item.code.isEmpty() && !item.caption.isEmpty())
            Item_filter->addItem(QStringLiteral("%1 %2").arg(item.code, item.caption), item.code);
    Origin_filter = Controls::selector(this, QStringLiteral("Origin_filter"), QStringLiteral("Origin filter"));
    Origin_filter->addItem(QStringLiteral("All origins"), -1);
    for (const ChangeOrigin origin : AllChangeOrigins())
        Origin_filter->addItem(ChangeOriginText(origin), int(origin));
    Date_filter = Controls::checkBox(this, QStringLiteral("Date_filter"), QStringLiteral("From"));
    Date_filter->setAccessibleName(QStringLiteral("Date range filter"));
    const QDate today = PLM_INC::clock().now().date();
    From_date = new QDateEdit(today.addDays(-30), this);
    To_date = new QDateEdit(today, this);
    for (QDateEdit *edit : {From_date, To_date}) {
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    From_date->setObjectName(QStringLiteral("From_date"));
    From_date->setAccessibleName(QStringLiteral("First day"));
    To_date->setObjectName(QStringLiteral("To_date"));
    To_date->setAccessibleName(QStringLiteral("Last day"));
    filters->addWidget(Block_filter, 0, 0);
    filters->addWidget(Channel_filter, 0, 1);
    filters->addWidget(Item_filter, 0, 2);
    filters->addWidget(Origin_filter, 0, 3);
    filters->addWidget(Date_filter, 1, 0);
    filters->addWidget(From_date, 1, 1);
    filters->addWidget(Controls::caption(this, QStringLiteral("Label_to"), QStringLiteral("to")), 1, 2, Qt::AlignRight);
    filters->addWidget(To_date, 1, 3);
    layout->addLayout(filters);

    m_model = new ChangeRowsModel(this);
    Changes_table = new QTableView(this);
    Changes_table->setObjectName(QStringLiteral("Changes_table"));
    Changes_table->setAccessibleName(QStringLiteral("Setting changes, newest first"));
    Changes_table->setModel(m_model);
    Changes_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Changes_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Changes_table->verticalHeader()->setDefaultSectionSize(20);
    Changes_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(Changes_table, 1);

    Result_label = Controls::caption(this, QStringLiteral("Result_label"), QString());
    Result_label->setAccessibleName(QStringLiteral("Record status"));
    Result_label->setWordWrap(true);
    Result_label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(Result_label);

    auto *buttons = new QHBoxLayout;
    Command_read = Controls::button(this, QStringLiteral("Command_read"), QStringLiteral("Read again"));
    Command_copy = Controls::button(this, QStringLiteral("Command_copy"), QStringLiteral("Copy"),
                                    QStringLiteral("Copy the selected changes"));
    Command_verify = Controls::button(this, QStringLiteral("Command_verify"), QStringLiteral("Verify"),
                                      QStringLiteral("Verify the hash chain of every file of the folder"));
    Command_close = Controls::button(this, QStringLiteral("Command_close"), QStringLiteral("Close"));
    buttons->addWidget(Command_read);
    buttons->addStretch(1);
    for (QPushButton *b : {Command_copy, Command_verify, Command_close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    fillChannelList();
    const auto refilter = [this] { applyFilter(); };
    connect(Block_filter, &QComboBox::currentIndexChanged, this, [this] {
        fillChannelList();
        applyFilter();
    });
    for (QComboBox *c : {Channel_filter, Item_filter, Origin_filter})
        connect(c, &QComboBox::currentIndexChanged, this, refilter);
    connect(Date_filter, &QCheckBox::toggled, this, [this](bool on) {
        From_date->setEnabled(on);
        To_date->setEnabled(on);
        applyFilter();
    });
    connect(From_date, &QDateEdit::dateChanged, this, refilter);
    connect(To_date, &QDateEdit::dateChanged, this, refilter);
    connect(Command_read, &QPushButton::clicked, this, &ChangeRecordWindow::readRecord);
    connect(Command_copy, &QPushButton::clicked, this, &ChangeRecordWindow::copySelection);
    connect(Command_verify, &QPushButton::clicked, this, &ChangeRecordWindow::verifyFiles);
    connect(Command_close, &QPushButton::clicked, this, &QDialog::hide);
    resize(900, 480);
}

ChangeRecordWindow::~ChangeRecordWindow()
{
    stopWork();
}

// The threads see nothing of the window but the cancel flag and what they post to it; posted
// calls made after the window is gone are dropped with it.
void ChangeRecordWindow::stopWork()
{
    if (m_cancel)
        *m_cancel = true;
    for (std::thread *t : {&m_reader_thread, &m_verify_thread})
        if (t->joinable())
            t->join();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++m_generation;
    m_reading = false;
    m_verifying = false;
    Command_verify->setEnabled(true);
}

void ChangeRecordWindow::postIfCurrent(int generation, std::function<void()> call)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, call = std::move(call)] {
            if (generation == m_generation)
                call();
        },
        Qt::QueuedConnection);
}

QString ChangeRecordWindow::folder() const
{
    return m_folder.isEmpty() ? ChangeRecordFolder() : m_folder;
}

void ChangeRecordWindow::fillChannelList()
{
    const QSignalBlocker quiet(Channel_filter);
    const int block = Block_filter->currentData().toInt();
    const int first = block < 0 ? 0 : block * kChannelsPerBlock;
    const int end = block < 0 ? kChannels : first + kChannelsPerBlock;
    Channel_filter->clear();
    Channel_filter->addItem(QStringLiteral("All channels"), -1);
    for (int ch = first; ch < end; ++ch)
        Channel_filter->addItem(QStringLiteral("%1 %2").arg(ch + 1).arg(Prefs::channelName(ch)), ch);
}

void ChangeRecordWindow::openWindow()
{
    readRecord();
    show();
    raise();
}

void ChangeRecordWindow::readRecord()
{
    stopWork();
    m_readProblem.clear();
    m_reader.clear();
    m_reading = true;
    m_progress = QStringLiteral("Reading the record\u2026");
    applyFilter();
    const QString from = folder();
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    const int generation = m_generation;
    m_reader_thread = std::thread([this, from, cancel, generation] {
        const auto post = [this, generation](std::function<void()> call) { postIfCurrent(generation, std::move(call)); };
        QString why;
        const QStringList files = ChangeMonthFilesNewestFirst(from, &why);
        if (!why.isEmpty())
            post([this, why] { m_readProblem = why; });
        for (int i = 0; i < files.size() && !*cancel; ++i) {
            auto part = std::make_shared<ChangeFilePart>(ReadChangeFilePart(files[i]));
            const int total = int(files.size());
            post([this, part, i, total] { partRead(part, i + 1, total); });
        }
        post([this] { readingDone(); });
    });
}

void ChangeRecordWindow::partRead(const std::shared_ptr<ChangeFilePart> &part, int done, int total)
{
    if (!part->why.isEmpty() && m_readProblem.isEmpty())
        m_readProblem = part->why;
    const size_t first = m_reader.rowCount();
    m_reader.addPart(std::move(*part));
    m_model->append(m_reader.filtered(filter(), first));
    m_progress = QStringLiteral("Reading the record: %1 of %2 read\u2026")
                     .arg(done)
                     .arg(CountText(total, "month file", "month files"));
    showCounts();
}

void ChangeRecordWindow::readingDone()
{
    m_reading = false;
    if (m_reader_thread.joinable())
        m_reader_thread.join();
    m_progress.clear();
    showCounts();
}

ChangeFilter ChangeRecordWindow::filter() const
{
    ChangeFilter f;
    f.block = Block_filter->currentData().toInt();
    f.channel = Channel_filter->currentData().toInt();
    f.item = Item_filter->currentData().toString();
    if (const int origin = Origin_filter->currentData().toInt(); origin >= 0)
        f.origin = ChangeOrigin(origin);
    if (Date_filter->isChecked()) {
        f.from = QDateTime(From_date->date(), QTime(0, 0));
        f.to = QDateTime(To_date->date(), QTime(23, 59, 59, 999));
    }
    return f;
}

void ChangeRecordWindow::applyFilter()
{
    m_model->show(m_reader, m_reader.filtered(filter()));
    showCounts();
}

void ChangeRecordWindow::showCounts()
{
    QString text = QStringLiteral("%1 of %2 shown.")
                       .arg(m_model->rowCount())
                       .arg(CountText(qint64(m_reader.rowCount()), "change", "changes"));
    if (m_reader.unreadableLines() > 0)
        text += QStringLiteral(" %1 could not be read as changes.").arg(CountText(m_reader.unreadableLines(), "line", "lines"));
    if (!m_readProblem.isEmpty())
        text += QLatin1Char(' ') + m_readProblem;
    if (!m_progress.isEmpty())
        text += QLatin1Char(' ') + m_progress;
    Result_label->setText(text);
}

QString ChangeRecordWindow::selectedText() const
{
    std::set<int> rows;
    for (const QModelIndex &index : Changes_table->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty())
        return QString();
    QString text = ChangeRowsModel::columnTitles().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const int row : rows) {
        QStringList cells;
        for (int column = 0; column < m_model->columnCount(); ++column)
            cells << m_model->cellText(row, column);
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void ChangeRecordWindow::copySelection()
{
    const QString text = selectedText();
    if (text.isEmpty()) {
        Result_label->setText(QStringLiteral("No change is selected: nothing was copied."));
        return;
    }
    QApplication::clipboard()->setText(text);
    Result_label->setText(QStringLiteral("%1 copied.").arg(CountText(text.count(QLatin1Char('\n')) - 1, "change", "changes")));
}

void ChangeRecordWindow::verifyFiles()
{
    if (m_verifying)
        return;
    if (m_verify_thread.joinable())
        m_verify_thread.join();
    m_verifying = true;
    Command_verify->setEnabled(false);
    Result_label->setText(QStringLiteral("Verifying the record\u2026"));
    // Every file of the folder, whatever the filter shows: a month that yields no row (emptied,
    // overwritten) is named too.
    const QString from = folder();
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    const int generation = m_generation;
    m_verify_thread = std::thread([this, from, cancel, generation] {
        const auto post = [this, generation](std::function<void()> call) { postIfCurrent(generation, std::move(call)); };
        const auto progress = [this, cancel, post](int done, int total) {
            if (*cancel)
                return false;
            post([this, done, total] {
                Result_label->setText(QStringLiteral("Verifying the record: %1 of %2 checked\u2026")
                                          .arg(done)
                                          .arg(CountText(total, "month file", "month files")));
            });
            return true;
        };
        const auto check = std::make_shared<ChangeRecordCheck>(VerifyChangeRecord({from}, nullptr, progress));
        post([this, check, from] {
            m_verifying = false;
            Command_verify->setEnabled(true);
            if (check->files.empty())
                Result_label->setText(QStringLiteral("No change record file to verify in %1.").arg(from));
            else
                Result_label->setText(ChangeRecordCheckLines(*check).join(QLatin1Char('\n')));
        });
    });
}
