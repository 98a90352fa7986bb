#include "client/ClientMain.h"
#include "gfx/RenderBackend.h"
#include "gfx/gl/GLBackend.h"

int main(int argc, char** argv)
{
    CGLBackend backend;
    SetRenderBackend(&backend);
    int status = ClientMain(argc, argv);
    SetRenderBackend(nullptr);
    return status;
}
