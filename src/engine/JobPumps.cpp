#include "engine/JobPumps.h"

#include <QCoreApplication>

bool EventLoopPump::pump()
{
    QCoreApplication::processEvents();
    return true;
}
