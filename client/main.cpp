#include "client/ClientMain.h"
#include "gfx/gl/GLBackend.h"
#include "gfx/RenderBackend.h"

int main(int argc, char** argv)
{
    CGLBackend backend;
    SetRenderBackend(&backend);
    int status = ClientMain(argc, argv);
    SetRenderBackend(nullptr);
    return status;
}
