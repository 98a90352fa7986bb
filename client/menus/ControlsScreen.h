// The controls screen, reached from the options with Tab: every bindable
// action with its keys and pad controls, then the three presets. Up and Down
// walk the lines (wrapping). Carriage return on an action listens for the
// next key: it replaces the action's keys (a pad control its pad controls),
// leaving whichever action held it before, and the screen says so; Escape
// stops listening. Carriage return on a preset applies it. Every change is
// in force and saved to controls.cfg at once. Escape returns to the options.
//
// While the screen listens no typed character and no navigation key does
// anything else, and F9 still quits (the dispatcher sees to that).
#pragma once

#include "client/menus/MenuScreen.h"

#include <string>

class CControlsScreen : public CMenuScreen
{
public:
    static constexpr int kActionLines = static_cast<int>(kBindableActions.size());
    static constexpr int kLineCount = kActionLines + 3;

    explicit CControlsScreen(CClientContext& context) : CMenuScreen(ScreenId::Controls, context) {}

    ScreenId Frame(const KeyActions& actions) override;
    ScreenId OnKey(int key) override;
    ScreenId OnChar(char c) override;
    void Leave() override;

    // 0 .. kLineCount - 1: the actions in kBindableActions' order, then
    // Classic, Arrows and WASD.
    int GetSelected() const { return m_selected; }
    bool IsListening() const { return m_listening; }

protected:
    void DrawContents(float hh) override;

private:
    void StartListening();
    // Binds the first bindable key pressed since the last look; true when
    // one was bound, which ends the listening.
    bool TakePress();
    void Rebind(KeyAction action, InputId input);
    void Keep(const CBindings& bindings);

    void DrawActions(float top) const;
    void DrawPresets(float top) const;
    void DrawPrompt(float y) const;
    void DrawHints(float hh) const;

    int m_selected = 0;
    bool m_listening = false;
    std::string m_status;
};
