// Page 6 "Data logging": the logging page is a class of its own.
#include "LoggingPage.h"
#include "MainDisp.h"

QWidget *MainDisp::buildPage6Logging()
{
    loggingPage = new LoggingPage(*this);
    resumeLogging = [this] { loggingPage->resume(); };
    return loggingPage;
}
