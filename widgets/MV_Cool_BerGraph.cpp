#include "MV_Cool_BerGraph.h"

MV_Cool_BerGraph::MV_Cool_BerGraph(QWidget *parent)
    : MvBarGraphBase(120, {225, 420, 615, 825, 1020, 1215, 1425, 1620, 1815, 2025, 2220}, parent)
{
    setObjectName(QStringLiteral("MV_Cool_BerGraph"));
}
