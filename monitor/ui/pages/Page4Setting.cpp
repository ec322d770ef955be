// Page 4 "Setting Disp": one setting item for the 20 channels of a block. The toolbars choose
// the item; rows 0..9 sit in Frame_sub1 and rows 10..19 in Frame_sub2, each in three variants
// (0 numeric entry, 1 selection, 2 control output and auto-tuning) of which one is shown.
#include "Controls.h"
#include "ItemTable.h"
#include "Lamp.h"
#include "MainDisp.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

using Controls::indexed;

namespace {

constexpr int kRowHeight = 24;
constexpr int kRowSpacing = 1;

QVBoxLayout *rowColumn(QWidget *w)
{
    auto *v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(kRowSpacing);
    return v;
}

// A row of one sub-frame, as high as every other row of the page so the columns line up.
QHBoxLayout *subRow(QVBoxLayout *column, QWidget *frame, const QString &name)
{
    auto *row = new QWidget(frame);
    row->setObjectName(name);
    row->setFixedHeight(kRowHeight);
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    column->addWidget(row);
    return h;
}

QToolBar *settingToolbar(QWidget *parent, const QString &name, const QStringList &texts, int firstSettingItem,
                         const std::vector<int> &settingItems, QAction **buttons)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setAccessibleName(QStringLiteral("Setting items"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setStyleSheet(QStringLiteral("QToolButton { padding: 1px 2px; border: 1px solid #a0a0a0; border-radius: 2px; margin: 0px; }"
                                    "QToolButton:checked { background: #2a6fb0; color: white; border-color: #1d4f80; }"));
    for (int i = 0; i < texts.size(); ++i) {
        QAction *a = bar->addAction(texts[i]);
        a->setObjectName(indexed(name + QStringLiteral("_Button"), i + 1));
        a->setCheckable(true); // the chosen setting item stays marked
        const int item = settingItems.empty() ? firstSettingItem + i : settingItems[size_t(i)];
        if (const PLM_INC::ItemInfo *info = PLM_INC::ItemBySetting(item))
            a->setToolTip(info->caption);
        buttons[i + 1] = a;
    }
    return bar;
}

} // namespace

QWidget *MainDisp::buildPage4Setting()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page4"));
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(3);

    Toolbar2 = settingToolbar(page, QStringLiteral("Toolbar2"),
                              {QStringLiteral("SV"), QStringLiteral("AL1"), QStringLiteral("AL2"), QStringLiteral("HB"),
                               QStringLiteral("P"), QStringLiteral("I"), QStringLiteral("D"), QStringLiteral("ARW"),
                               QStringLiteral("CYC"), QStringLiteral("PD"), QStringLiteral("HYS"), QStringLiteral("A1HY"),
                               QStringLiteral("A2HY"), QStringLiteral("A1MD"), QStringLiteral("A2MD"), QStringLiteral("OH"),
                               QStringLiteral("OL"), QStringLiteral("FILT"), QStringLiteral("SO"), QStringLiteral("H/C"),
                               QStringLiteral("C/F"), QStringLiteral("LPT"), QStringLiteral("LPS"), QStringLiteral("OUT/AT")},
                              1, {}, Toolbar2_Button.data());
    Toolbar4 = settingToolbar(page, QStringLiteral("Toolbar4"),
                              {QStringLiteral("C-P"), QStringLiteral("C-CYC"), QStringLiteral("DB"), QStringLiteral("C-MD"),
                               QStringLiteral("C-HYS"), QStringLiteral("SC-H"), QStringLiteral("SC-L"), QStringLiteral("DP"),
                               QStringLiteral("UNIT")},
                              0, {25, 26, 27, 28, 29, 32, 33, 34, 35}, Toolbar4_Button.data());
    Toolbar3 = settingToolbar(page, QStringLiteral("Toolbar3"), {QStringLiteral("LP2T"), QStringLiteral("LP2S")}, 30, {},
                              Toolbar3_Button.data());
    layout->addWidget(Toolbar2);
    auto *second = new QHBoxLayout;
    second->addWidget(Toolbar4);
    second->addSpacing(16);
    second->addWidget(Toolbar3);
    second->addStretch(1);
    second->addWidget(Controls::caption(page, QStringLiteral("tb4_BName_caption"), QStringLiteral("Block")));
    tb4_BName = Controls::selector(page, QStringLiteral("tb4_BName"), QStringLiteral("Block of the setting page"));
    tb4_BName->setMinimumContentsLength(12);
    second->addWidget(tb4_BName);
    layout->addLayout(second);

    Frame_main = new QGroupBox(page);
    Frame_main->setObjectName(QStringLiteral("Frame_main"));
    auto *mainLayout = new QVBoxLayout(Frame_main);
    mainLayout->setSpacing(6);

    for (int half = 0; half < 2; ++half) {
        auto *block = new QWidget(Frame_main);
        block->setObjectName(indexed(QStringLiteral("Frame_main_rows"), half));
        auto *grid = new QGridLayout(block);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(8);

        auto *names = new QWidget(block);
        auto *namesColumn = rowColumn(names);
        auto *notes = new QWidget(block);
        auto *notesColumn = rowColumn(notes);
        std::array<QWidget *, 3> &subs = half == 0 ? Frame_sub1 : Frame_sub2;
        const QString subName = half == 0 ? QStringLiteral("Frame_sub1") : QStringLiteral("Frame_sub2");
        std::array<QVBoxLayout *, 3> subColumns{};
        for (int f = 0; f < 3; ++f) {
            subs[size_t(f)] = new QWidget(block);
            subs[size_t(f)]->setObjectName(indexed(subName, f));
            subColumns[size_t(f)] = rowColumn(subs[size_t(f)]);
            grid->addWidget(subs[size_t(f)], 0, 1, Qt::AlignTop | Qt::AlignLeft);
        }
        for (int r = 0; r < 10; ++r) {
            const int c = half * 10 + r;
            const size_t i = size_t(c);
            label_setdata[i] = Controls::caption(names, indexed(QStringLiteral("label_setdata"), c), QString());
            label_setdata[i]->setFixedHeight(kRowHeight);
            // Both halves as wide as the longest name (12 characters), so their columns line up.
            label_setdata[i]->setFixedWidth(label_setdata[i]->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W'))) + 6);
            namesColumn->addWidget(label_setdata[i]);

            QHBoxLayout *h0 = subRow(subColumns[0], subs[0], indexed(subName + QStringLiteral("_0_row"), c));
            Setdata_Para[i] = Controls::valueField(subs[0], indexed(QStringLiteral("Setdata_Para"), c), QString(), 90);
            Command_change[i] = Controls::button(subs[0], indexed(QStringLiteral("Command_change"), c), QStringLiteral("Change"));
            h0->addWidget(Setdata_Para[i]);
            h0->addWidget(Command_change[i]);
            h0->addStretch(1);

            QHBoxLayout *h1 = subRow(subColumns[1], subs[1], indexed(subName + QStringLiteral("_1_row"), c));
            Select_comand[i] = Controls::valueField(subs[1], indexed(QStringLiteral("Select_comand"), c), QString(), 270);
            Select_comand[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            Command_change2[i] = Controls::button(subs[1], indexed(QStringLiteral("Command_change2"), c), QStringLiteral("Change"));
            h1->addWidget(Select_comand[i]);
            h1->addWidget(Command_change2[i]);
            h1->addStretch(1);

            QHBoxLayout *h2 = subRow(subColumns[2], subs[2], indexed(subName + QStringLiteral("_2_row"), c));
            Command_OUT[i] = Controls::button(subs[2], indexed(QStringLiteral("Command_OUT"), c), QStringLiteral("Control ON/OFF"));
            Shape_OUT[i] = Controls::lamp(subs[2], indexed(QStringLiteral("Shape_OUT"), c), QString());
            Command_AT[i] = Controls::button(subs[2], indexed(QStringLiteral("Command_AT"), c), QStringLiteral("AT ON/OFF"));
            Shape_AT[i] = Controls::lamp(subs[2], indexed(QStringLiteral("Shape_AT"), c), QString());
            h2->addWidget(Command_OUT[i]);
            h2->addWidget(Shape_OUT[i]);
            h2->addSpacing(12);
            h2->addWidget(Command_AT[i]);
            h2->addWidget(Shape_AT[i]);
            h2->addStretch(1);

            settin_inf[i] = Controls::caption(notes, indexed(QStringLiteral("settin_inf"), c), QString());
            settin_inf[i]->setFixedHeight(kRowHeight);
            settin_inf[i]->setMinimumWidth(300);
            // A hidden note keeps its place, so the notes below stay beside their rows.
            QSizePolicy keepPlace = settin_inf[i]->sizePolicy();
            keepPlace.setRetainSizeWhenHidden(true);
            settin_inf[i]->setSizePolicy(keepPlace);
            notesColumn->addWidget(settin_inf[i]);
        }
        grid->addWidget(names, 0, 0, Qt::AlignTop);
        grid->addWidget(notes, 0, 2, Qt::AlignTop);
        grid->setColumnMinimumWidth(1, 370);
        grid->setColumnStretch(3, 1);
        subs[1]->hide();
        subs[2]->hide();
        mainLayout->addWidget(block);
    }
    mainLayout->addStretch(1);
    layout->addWidget(Frame_main, 1);
    return page;
}
