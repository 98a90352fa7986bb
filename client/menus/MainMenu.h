// The main menu: the title, the version, six items walked with Up and Down
// (wrapping), and a one-line notice at the bottom.
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

    static CMainMenu& Get();

    void Previous();
    void Next();
    // 1..6: the item carriage return acts on.
    int GetSelected() const { return m_selected; }

protected:
    void DrawContents(float hh) override;

private:
    int m_selected = 1;
};
