// The main menu: the title, the version, six items walked with Up and Down
// (wrapping), and a one-line notice at the bottom. Carriage return opens the
// selected item's screen, or ends the program on Quit; Escape does nothing.
#pragma once

#include "client/menus/MenuScreen.h"

class CMainMenu : public CMenuScreen
{
public:
    static constexpr int kItemCount = 6;
    enum Item
    {
        kJoinLan = 1,
        kJoinInternet = 2,
        kInstructions = 3,
        kOptions = 4,
        kCredits = 5,
        kQuit = 6,
    };

    explicit CMainMenu(CClientContext& context) : CMenuScreen(ScreenId::MainMenu, context) {}

    ScreenId OnKey(int key) override;
    ScreenId OnChar(char c) override;

    void Previous();
    void Next();
    // 1..6: the item carriage return acts on.
    int GetSelected() const { return m_selected; }

protected:
    void DrawContents(float hh) override;

private:
    int m_selected = 1;
};
