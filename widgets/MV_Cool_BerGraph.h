// The cooling variant of the output bar graph: the same scale and properties, a bar that is
// always yellow and a frame set further left.
#pragma once

#include "MV_BerGraph.h"

class MV_Cool_BerGraph : public MvBarGraphBase {
    Q_OBJECT

public:
    explicit MV_Cool_BerGraph(QWidget *parent = nullptr);

protected:
    QColor barColor() const override { return QColor(255, 255, 0); }
};
