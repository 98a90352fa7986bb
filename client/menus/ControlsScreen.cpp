#include "client/menus/ControlsScreen.h"

#include "client/controls/ControlsFile.h"
#include "client/menus/KeyLabels.h"

#include <array>

namespace
{
struct PresetLine
{
    Preset preset;
    const char* text;
};
constexpr std::array<PresetLine, CControlsScreen::kLineCount - CControlsScreen::kActionLines> kPresetLines = {
    {
        {Preset::Classic, "Reset to Classic Keys"},
        {Preset::Arrows, "Arrows Preset"},
        {Preset::WASD, "WASD Preset"},
    }};

// The list is one block 760 units wide, centred: labels from its left edge,
// the inputs from a column after the longest label.
constexpr float kLabelX = -380;
constexpr float kInputsX = -110;
constexpr size_t kInputsRoom = 49;
constexpr float kLineStep = 20;
// Characters of a centred line on the narrowest screen, 800 units wide.
constexpr size_t kStatusRoom = 78;

const RenderColour& LineColour(bool selected)
{
    return selected ? kMenuGreen : kMenuWhite;
}
} // namespace

ScreenId CControlsScreen::Frame(const KeyActions& actions)
{
    // Keys without a window event of their own (Ctrl, Shift) are only
    // seen here.
    if (m_listening)
        TakePress();
    return CMenuScreen::Frame(actions);
}

ScreenId CControlsScreen::OnKey(int key)
{
    // A navigation key pressed while listening is the key to bind.
    if (m_listening)
    {
        if (!TakePress() && key == platform::kVkEscape)
            m_listening = false;
        return Id();
    }
    if (key == platform::kVkEscape)
        return ScreenId::Options;
    if (key == platform::kVkUp)
        m_selected = m_selected == 0 ? kLineCount - 1 : m_selected - 1;
    else if (key == platform::kVkDown)
        m_selected = m_selected == kLineCount - 1 ? 0 : m_selected + 1;
    return Id();
}

ScreenId CControlsScreen::OnChar(char c)
{
    if (m_listening)
        TakePress();
    else if (c == platform::kCharReturn && m_selected < kActionLines)
        StartListening();
    else if (c == platform::kCharReturn)
    {
        CBindings bindings;
        bindings.Apply(kPresetLines[static_cast<size_t>(m_selected - kActionLines)].preset);
        m_status.clear();
        Keep(bindings);
    }
    return Id();
}

void CControlsScreen::Leave()
{
    m_listening = false;
    m_status.clear();
}

void CControlsScreen::StartListening()
{
    // The carriage return that started it is down already: it does not count.
    m_context.input.NewPresses();
    m_listening = true;
    m_status.clear();
}

bool CControlsScreen::TakePress()
{
    // Escape and F9 are not bindable: Escape's own window event stops the
    // listening, and F9 never reaches a screen.
    for (InputId input : m_context.input.NewPresses())
    {
        if (IsBindableInput(input) && !ShownInputName(input).empty())
        {
            m_listening = false;
            Rebind(kBindableActions[static_cast<size_t>(m_selected)].action, input);
            return true;
        }
    }
    return false;
}

// The new input takes the place of the action's inputs of its kind; those
// of the other kind stay bound.
void CControlsScreen::Rebind(KeyAction action, InputId input)
{
    CBindings bindings = m_context.input.Bindings();
    std::vector<InputId> kept;
    for (InputId held : bindings.InputsOf(action))
        if (IsPadInput(held) != IsPadInput(input))
            kept.push_back(held);
    bindings.Clear(action);
    const CBindings::BindResult result = bindings.Bind(action, input);
    for (InputId held : kept)
        bindings.Bind(action, held);
    m_status.clear();
    if (result.lost != KEY_NONE)
        m_status = ShownInputName(input) + " moved from " + FindBindable(result.lost)->label + " to " +
                   FindBindable(action)->label;
    Keep(bindings);
}

void CControlsScreen::Keep(const CBindings& bindings)
{
    m_context.input.SetBindings(bindings);
    if (!SaveControls(bindings))
        m_status = std::string("Could not save ") + kControlsFileName;
}

void CControlsScreen::DrawContents(float hh)
{
    DrawCentred(hh - 50, kMenuGreen, "Controls");
    const float top = hh - 90;
    DrawActions(top);
    DrawPresets(top - kLineStep * kActionLines - 10);
    DrawPrompt(hh - 475);
    DrawHints(hh);
}

void CControlsScreen::DrawActions(float top) const
{
    const CBindings& bindings = m_context.input.Bindings();
    for (int line = 0; line < kActionLines; ++line)
    {
        const BindableAction& bindable = kBindableActions[static_cast<size_t>(line)];
        const std::vector<InputId> inputs = bindings.InputsOf(bindable.action);
        const std::string names = inputs.empty() ? "(none)" : JoinedInputNames(inputs, inputs.size());
        const float y = top - kLineStep * static_cast<float>(line);
        DrawLine(kLabelX, y, LineColour(line == m_selected), bindable.label);
        DrawLine(kInputsX, y, LineColour(line == m_selected), FittedText(names, kInputsRoom));
    }
}

void CControlsScreen::DrawPresets(float top) const
{
    for (size_t i = 0; i < kPresetLines.size(); ++i)
    {
        const bool selected = m_selected == kActionLines + static_cast<int>(i);
        DrawLine(kLabelX, top - kLineStep * static_cast<float>(i), LineColour(selected),
                 kPresetLines[i].text);
    }
}

void CControlsScreen::DrawPrompt(float y) const
{
    if (m_listening)
    {
        const char* label = kBindableActions[static_cast<size_t>(m_selected)].label;
        DrawCentred(y, kMenuGreen, std::string("Press a key for ") + label + " (Escape cancels)");
    }
    else if (!m_status.empty())
        DrawCentred(y, kMenuWhite, FittedText(m_status, kStatusRoom));
}

void CControlsScreen::DrawHints(float hh) const
{
    DrawCentred(60 - hh, kMenuWhite, "Up and Down Arrow Select a Line");
    DrawCentred(40 - hh, kMenuWhite, "Enter Changes the Keys or Applies the Preset");
    DrawCentred(20 - hh, kMenuWhite, "Escape Returns to Options");
}
