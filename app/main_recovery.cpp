#include "app/SessionRecovery.h"
#include "app/main.h"

void TForm1::KeepForRecovery(TSessionRecovery& recovery)
{
    recovery.Attach(Document, WorkingPane, FinalPane);
}
