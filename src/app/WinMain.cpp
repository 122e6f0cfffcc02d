// Process entry of Setup.exe: the application object's start-up and exit hooks, in that order.
#include "app/CSetupApp.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    CSetupApp app(lpCmdLine);
    app.Startup();
    return app.Shutdown();
}
