// Sessions that once failed, shrunk, kept for good: each runs first in every test run. Add a
// failing session in the form the test prints ("as a kept regression"), with what it found.
#pragma once

#include "WriteSession.h"

#include <vector>

namespace session {

struct Regression {
    const char *what;
    Setup setup;
    Steps steps;
};

inline const std::vector<Regression> &Regressions()
{
    static const std::vector<Regression> kept = {
        {"a write of item 0006 carried a later alarm value of Ch004 ahead of the action code set before it",
         {{0}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, -1},
         {{{Kind::Wait, 3, 0, 0}, {Kind::SendChannel, 0, 0, 0}, {Kind::Wait, 7, 0, 0}, {Kind::Edit, 0, 32, 0},
           {Kind::Wait, 3, 0, 0}, {Kind::Select, 503, 526, 1}, {Kind::Wait, 5, 0, 0}, {Kind::Edit, 263, 812, 0},
           {Kind::Wait, 1, 0, 0}}}},
        {"a write of item 0001 held for a silent block went again after a load and overwrote it",
         {{1, 2, 4}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, -1},
         {{{Kind::Wait, 3, 0, 0}, {Kind::BlockDies, 272, 0, 0}, {Kind::Wait, 6, 0, 0}, {Kind::Edit, 548, 0, 0},
           {Kind::Wait, 2, 0, 0}, {Kind::SendAll, 461, 0, 0}}}},
        {"a transfer's refused action code was not told",
         {{0, 1}, 19200, 0u, {7, 5, 5, 9, 0, 0}, 1409247u, 0},
         {{{Kind::Wait, 27, 0, 0}, {Kind::Edit, 3, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0},
           {Kind::Wait, 20, 0, 0}, {Kind::SendChannel, 0, 63, 0}, {Kind::Wait, 11, 0, 0}}}},
        {"a refusal that came after the time-out is no refusal the program can tell",
         {{0, 1, 2}, 19200, 1230u, {0, 0, 4, 12, 0, 0}, 109395361u, 2},
         {{{Kind::ToggleAutoTuning, 281, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::ToggleAutoTuning, 281, 0, 0},
           {Kind::Wait, 9, 0, 0}}}},
        {"the second phase of a transfer went ahead of a re-read waiting for its held block",
         {{0, 1}, 19200, 0u, {0, 7, 11, 14, 5, 0}, 469420116u, -1},
         {{{Kind::Wait, 1, 0, 0}, {Kind::SendChannel, 0, 3, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Edit, 0, 0, 0},
           {Kind::Wait, 11, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0}, {Kind::Wait, 24, 0, 0},
           {Kind::Edit, 0, 0, 0}, {Kind::Wait, 30, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0},
           {Kind::Edit, 0, 2, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 4, 0},
           {Kind::Wait, 5, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Wait, 28, 0, 0}, {Kind::Wait, 30, 0, 0},
           {Kind::PanelChange, 3, 0, 0},
           {Kind::Wait, 24, 0, 0}}}},
        {"a channel file's alarm action row, as the page showed it, is what the operator sent",
         {{0}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, 0},
         {{{Kind::Wait, 6, 0, 0}, {Kind::PanelChange, 10, 122, 0}, {Kind::Wait, 13, 0, 0},
           {Kind::SendChannel, 0, 410, 0}}}},
        {"a re-read found a value the program had sent unanswered before a later unanswered one, and recorded it as "
         "a change at the unit",
         {{0, 1, 2}, 19200, 3571373944u, {13, 14, 9, 15, 3, 14}, 2480230909u, -1},
         {{{Kind::Wait, 5, 983, 554}, {Kind::Wait, 30, 97, 382}, {Kind::ToggleAutoTuning, 313, 27, 884},
           {Kind::Edit, 709, 634, 490}, {Kind::SendBlock, 755, 420, 255}, {Kind::Wait, 4, 876, 833},
           {Kind::Select, 461, 362, 106}, {Kind::Wait, 16, 646, 131}, {Kind::BlockDies, 321, 794, 535},
           {Kind::Select, 726, 564, 131}, {Kind::Wait, 29, 612, 455}, {Kind::Wait, 27, 584, 271},
           {Kind::Select, 806, 787, 508}, {Kind::Edit, 623, 929, 335}, {Kind::Wait, 18, 975, 782},
           {Kind::Wait, 5, 275, 809}, {Kind::Wait, 15, 292, 691}, {Kind::Wait, 26, 294, 259},
           {Kind::Wait, 23, 137, 704}, {Kind::Unplug, 393, 674, 734}, {Kind::Unplug, 981, 370, 152},
           {Kind::Wait, 23, 761, 18}, {Kind::SendChannel, 707, 681, 774}, {Kind::PanelChange, 953, 342, 727},
           {Kind::Wait, 13, 337, 601}, {Kind::SendChannel, 805, 519, 654}, {Kind::Select, 58, 936, 97},
           {Kind::ToggleAutoTuning, 794, 979, 906}, {Kind::Wait, 23, 584, 832}, {Kind::BlockDies, 372, 361, 949},
           {Kind::Wait, 27, 280, 813}, {Kind::BlockDies, 343, 595, 850}, {Kind::Wait, 7, 580, 117},
           {Kind::Wait, 26, 289, 981}, {Kind::Wait, 9, 919, 192}, {Kind::Unplug, 522, 885, 67},
           {Kind::Edit, 412, 71, 494}, {Kind::ToggleOutput, 360, 453, 174}, {Kind::Edit, 855, 853, 37},
           {Kind::Wait, 29, 300, 150}}}},
        {"a front-panel change made during a re-read went unseen: the retry of a configuration read without answer "
         "cleared the unit's settings-changed bit and read nothing else",
         {{0, 1, 3}, 9600, 7u, {0, 8, 12, 9, 10, 11}, 837197507u, -1},
         {{{Kind::Wait, 1, 0, 0}, {Kind::SendChannel, 0, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 1, 0, 0},
           {Kind::Wait, 6, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 24, 0, 0}, {Kind::Edit, 0, 0, 0},
           {Kind::Edit, 0, 2, 0}, {Kind::Wait, 11, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 8, 0, 0},
           {Kind::Wait, 1, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::PanelChange, 70, 0, 0}, {Kind::Wait, 1, 0, 0},
           {Kind::Wait, 1, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 1, 0, 0},
           {Kind::Wait, 1, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Wait, 8, 0, 0}, {Kind::Wait, 18, 0, 0},
           {Kind::PanelChange, 280, 0, 0}}}},
        {"a line that raised errors used up a re-read's tries: a write then carried a count older than the one the "
         "controller had taken",
         {{4}, 9600, 3349035254u, {4, 10, 2, 6, 8, 15}, 2983259214u, 4},
         {{{Kind::Edit, 983, 661, 499}, {Kind::SendBlock, 654, 750, 120}, {Kind::Wait, 24, 512, 998},
           {Kind::Wait, 6, 784, 831}, {Kind::Wait, 14, 271, 417}, {Kind::Wait, 23, 22, 224},
           {Kind::Wait, 24, 500, 563}, {Kind::LineFails, 160, 58, 600}, {Kind::PanelChange, 224, 960, 738},
           {Kind::Factory, 914, 88, 559}, {Kind::SendBlock, 996, 577, 767}, {Kind::SendAll, 619, 152, 819},
           {Kind::Edit, 976, 690, 170}, {Kind::ToggleAutoTuning, 880, 124, 373}, {Kind::Select, 169, 124, 77},
           {Kind::Edit, 703, 534, 374}, {Kind::Edit, 984, 851, 702}, {Kind::Wait, 2, 923, 189},
           {Kind::Wait, 12, 656, 752}, {Kind::LineFails, 569, 540, 531}, {Kind::Wait, 13, 537, 898},
           {Kind::Wait, 22, 968, 766}, {Kind::PanelChange, 898, 375, 374}, {Kind::ToggleOutput, 198, 441, 994},
           {Kind::Wait, 17, 33, 102}, {Kind::Wait, 25, 463, 884}, {Kind::ToggleOutput, 835, 386, 125},
           {Kind::Edit, 457, 46, 337}, {Kind::Unplug, 386, 823, 986}, {Kind::SendChannel, 533, 324, 643},
           {Kind::Edit, 301, 739, 878}, {Kind::Wait, 1, 552, 186}, {Kind::Wait, 29, 29, 340},
           {Kind::ToggleAutoTuning, 70, 27, 857}, {Kind::PanelChange, 992, 861, 526},
           {Kind::ToggleAutoTuning, 229, 109, 909}, {Kind::Wait, 11, 113, 281}, {Kind::Wait, 10, 221, 35},
           {Kind::ToggleOutput, 447, 77, 468}, {Kind::BlockDies, 476, 651, 186}, {Kind::Select, 553, 221, 190},
           {Kind::BlockDies, 147, 651, 5}, {Kind::Edit, 867, 967, 127}, {Kind::Wait, 11, 555, 237},
           {Kind::SendChannel, 318, 32, 960}, {Kind::Select, 474, 320, 47}, {Kind::LineFails, 869, 153, 624},
           {Kind::Edit, 402, 444, 288}, {Kind::Wait, 27, 557, 722}, {Kind::ToggleAutoTuning, 792, 249, 360}}}},
    };
    return kept;
}

} // namespace session
