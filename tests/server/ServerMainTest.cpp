#include "server/ServerMain.h"

#include <gtest/gtest.h>

TEST(ServerMain, ThreadThatCannotStartEndsTheProgramWithAnError)
{
    char program[] = "QuorvexServer";
    char* argv[] = {program, nullptr};
    testing::internal::CaptureStdout();
    int code = server::ServerMain(1, argv, [](std::function<void()>, std::thread&) { return false; });
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(code, 0);
    EXPECT_NE(out.find("Unable to create server thread for some reason.\n"), std::string::npos);
}
