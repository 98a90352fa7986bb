// The real QuorvexClient under test: ClientTest is the fixture that gives it
// a virtual X display of its own, a server named "Arena" on the shipped maps,
// a settings folder of its own and software OpenGL. The screenshots a test
// takes stay in a folder under the test's name for a person to look at.
//
// Reading texts off a screenshot: the client draws its texts in pure
// colours, in 10 x 16 glyph cells; a test knows where a text it expects
// goes, its length and its spaces, and checks every cell for the colour.
// Texts are white or green here (a menu's selected line green, the others
// white), so a cell is "blank" when it holds neither colour. The menu
// screens are read that way, so a test knows where it is on its way into
// the game.
#pragma once

#include "tests/support/ServerUnderTest.h"
#include "tests/support/XSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support
{

// For a slow, sanitized build on a busy machine.
inline constexpr std::chrono::seconds kClientPatience{30};

// Only the loopback interface is there: the namespace is private, and a LAN
// search by broadcast reaches nothing outside it.
bool InPrivateNetwork();

// The text is there, centred the client's way (x = -5 x length), its
// glyphs' lower edge at y (origin at the screen centre, y up), judged cell
// by cell: every glyph's cell holds some of the colour and none of the
// other text colour, every space's cell and the cells on either side are
// blank. Another text of another length or with its spaces elsewhere, at
// the same place, does not pass.
bool ShowsCentred(const Picture& picture, int y, std::string_view text, Colour colour);

// The two cards of the intro.
bool ShowsFirstIntroCard(const Picture& picture);
bool ShowsSecondIntroCard(const Picture& picture);

// The white title and the six items, item `selected` (1 to 6) green.
std::function<bool(const Picture&)> MainMenuWith(int selected);

// The LAN browser with exactly one server, selected: "Arena" (the name the
// client tests give their server), a gap, then "00/04" (no players, four
// places: the server's own player is not counted).
bool ShowsArenaAlone(const Picture& picture);

class ClientTest : public ::testing::Test
{
protected:
    // Screenshots go to screenshots/client/ in the build folder as "<test
    // name>-<screen>.png"; those an earlier run of the same test left there
    // are removed first. Rounds last until a map request ends one, and the
    // score screen shows for 5 s.
    ClientTest();
    void SetUp() override;

    // Starts the client searching and joining on the server's port, with more options.
    void StartClient(const std::vector<std::string>& options = {});

    // Takes screenshots until one shows what `shows` expects; that one stays
    // in the folder under the screen's name, and in `seen`. Fails when the
    // client ends first or the screen does not come in time.
    ::testing::AssertionResult WaitForScreen(const std::string& screen,
                                             const std::function<bool(const Picture&)>& shows,
                                             Picture* seen = nullptr);
    // Waits for the intro, skips it with a key and waits for the main menu.
    ::testing::AssertionResult PassIntro();
    // A quick tap, press and release in one go: the client must not miss a
    // key that went down and up between two of its frames. The exit status,
    // or -1 when the client did not end.
    int QuitWithF9();

    // A setting's bytes in the client's settings folder, or "(missing)".
    std::string Setting(const std::string& name) const;
    ::testing::AssertionResult WaitForSetting(const std::string& name, const std::string& expected) const;
    // Writes a setting as an earlier run would have saved it.
    void SaveSetting(const std::string& name, const std::string& bytes) const;

    XSession x;
    ServerUnderTest server;
    TempDir configHome; // the client's XDG_CONFIG_HOME
    std::unique_ptr<ChildProcess> client;

private:
    std::string ShotPath(const std::string& screen) const;
};

} // namespace testing_support
