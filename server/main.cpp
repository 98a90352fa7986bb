#include "server/ServerMain.h"

int main(int argc, char** argv)
{
    return server::ServerMain(argc, argv);
}
