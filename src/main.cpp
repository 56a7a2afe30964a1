#include "app/CkavriApp.h"

int main(int argc, char** argv)
{
    CkavriApp app(argc, argv);
    return app.InitInstance();
}
