#include "app/OutOfMemoryReport.h"

#include <new>

#include "platform/dialogs.h"
#include "wave/Exception.h"

void ShowOutOfMemory()
{
    Dialogs::ShowMessage(QString::fromLatin1(OutOfMemoryText));
}

bool RunReportingOutOfMemory(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const EStreamError&) {
    } catch (const std::bad_alloc&) {
    }
    ShowOutOfMemory();
    return false;
}
