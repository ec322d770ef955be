// Cost of formatting one 80-channel page (the overview tab refreshed after every poll step)
// with MakeItemText, for a mix of inputs, as a share of the 1 ms link timer tick.
#include "ItemTable.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <QElapsedTimer>
#include <cstdio>

using namespace PLM_INC;

int main()
{
    ResetImage();
    const int divisors[] = {1, 10, 100, 1000, 10000};
    for (int n = 0; n < kChannels; ++n) {
        InputType[n] = int16_t(n % 14); // temperature and linear inputs alike
        DecimalDivisor[n] = int16_t(divisors[n % 5]);
        for (int item = 0; item < kDisplayItems; ++item)
            if (const ItemInfo *info = ItemByDisplay(item); info && info->field && item != 33)
                (*info->field)[n] = int16_t((n * 37 + item * 101) % 20000 - 10000);
        UnitText[n] = QStringLiteral("%");
    }

    constexpr int kPages = 2000;
    constexpr int kRows = 80;
    qint64 characters = 0;
    QElapsedTimer timer;
    timer.start();
    for (int page = 0; page < kPages; ++page) {
        const int item = page % kDisplayItems;
        const int group = page % 4;
        for (int row = 0; row < kRows; ++row)
            characters += MakeItemText(item, group * kRows + row).size();
    }
    const double nsPerPage = double(timer.nsecsElapsed()) / kPages;
    const double tickNs = 1e6;
    std::printf("MakeItemText, 80-channel page, all 37 items in turn (%d pages, %lld characters)\n", kPages,
                static_cast<long long>(characters));
    std::printf("  one page: %.1f us = %.4f of a 1 ms link tick\n", nsPerPage / 1000.0, nsPerPage / tickNs);
    std::printf("  one value: %.0f ns\n", nsPerPage / kRows);
    return 0;
}
