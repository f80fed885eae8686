// Sonovane: an editor for short sound effects.
#include "app/Application.h"
#include "app/Startup.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TStartup startup = RunStartup(app.arguments().mid(1));
    return app.exec();
}
