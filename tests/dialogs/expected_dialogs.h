// The seven editor dialogs as an author sees them at 96 dots per inch: caption,
// client size and every control in creation order with its window class,
// position, size and text (labels and buttons; nullptr for fields and lists).
#pragma once

#include <string>
#include <vector>

struct ExpectedControl {
    const wchar_t* className; // "Static", "Edit", "Button", "ComboBox"
    int x, y, width, height;
    const wchar_t* text;
};

struct ExpectedDialog {
    int action;
    const wchar_t* caption;
    int clientWidth, clientHeight;
    std::vector<ExpectedControl> controls;
};

inline std::vector<ExpectedControl> ExpectedRectangleRow(int fieldWidth, int browseX) {
    return {{L"Static", 12, 14, 100, 22, L"Rectangle:"},
            {L"Edit", 110, 12, fieldWidth, 24, nullptr},
            {L"Button", browseX, 12, 75, 24, L"Browse..."}};
}

inline std::vector<ExpectedControl> Joined(std::vector<ExpectedControl> first,
                                           const std::vector<ExpectedControl>& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

inline const std::vector<ExpectedDialog>& ExpectedDialogs() {
    static const std::vector<ExpectedDialog> dialogs = {
        {1, L"Define Vexlar: Layer Create", 480, 290,
         Joined(ExpectedRectangleRow(270, 390),
                {
                    {L"Static", 12, 50, 100, 22, L"SVG File:"},
                    {L"Edit", 110, 48, 270, 24, nullptr},
                    {L"Button", 390, 48, 75, 24, L"Browse..."},
                    {L"Static", 12, 86, 100, 22, L"Layout:"},
                    {L"ComboBox", 110, 84, 200, 24, nullptr},
                    {L"Static", 12, 122, 100, 22, L"Opacity (0-255):"},
                    {L"Edit", 110, 120, 80, 24, nullptr},
                    {L"Static", 210, 122, 70, 22, L"Margin:"},
                    {L"Edit", 280, 120, 180, 24, nullptr},
                    {L"Static", 12, 158, 100, 22, L"Tint Preset:"},
                    {L"ComboBox", 110, 156, 220, 24, nullptr},
                    {L"Static", 12, 200, 460, 40,
                     L"Vector graphics re-rasterize crisp at any host size.\r"
                     L"Margin: ''/'10'/'10 20'/'10 20 30 40' (T R B L, CSS-style)."},
                    {L"Button", 290, 250, 85, 28, L"OK"},
                    {L"Button", 385, 250, 85, 28, L"Cancel"},
                })},
        {2, L"Define Vexlar: Layer Destroy", 400, 110,
         Joined(ExpectedRectangleRow(190, 308),
                {
                    {L"Button", 210, 70, 85, 28, L"OK"},
                    {L"Button", 300, 70, 85, 28, L"Cancel"},
                })},
        {3, L"Define Vexlar: Show/Hide", 400, 140,
         Joined(ExpectedRectangleRow(190, 308),
                {
                    {L"Static", 12, 50, 100, 22, L"Visible:"},
                    {L"ComboBox", 110, 48, 190, 24, nullptr},
                    {L"Button", 210, 100, 85, 28, L"OK"},
                    {L"Button", 300, 100, 85, 28, L"Cancel"},
                })},
        {4, L"Define Vexlar: Set Opacity", 400, 140,
         Joined(ExpectedRectangleRow(190, 308),
                {
                    {L"Static", 12, 50, 100, 22, L"Opacity (0-255):"},
                    {L"Edit", 110, 48, 90, 24, nullptr},
                    {L"Button", 210, 100, 85, 28, L"OK"},
                    {L"Button", 300, 100, 85, 28, L"Cancel"},
                })},
        {5, L"Define Vexlar: Set Tint", 440, 260,
         Joined(ExpectedRectangleRow(235, 353),
                {
                    {L"Static", 12, 50, 100, 22, L"Tint Preset:"},
                    {L"ComboBox", 110, 48, 220, 24, nullptr},
                    {L"Static", 12, 92, 420, 22,
                     L"Custom RGB + Strength (used when preset is blank or 'Custom'):"},
                    {L"Static", 22, 122, 22, 22, L"R:"},
                    {L"Edit", 44, 120, 60, 24, nullptr},
                    {L"Static", 114, 122, 22, 22, L"G:"},
                    {L"Edit", 136, 120, 60, 24, nullptr},
                    {L"Static", 206, 122, 22, 22, L"B:"},
                    {L"Edit", 228, 120, 60, 24, nullptr},
                    {L"Static", 12, 156, 200, 22, L"Strength (0=none, 255=full):"},
                    {L"Edit", 200, 154, 80, 24, nullptr},
                    {L"Button", 250, 220, 85, 28, L"OK"},
                    {L"Button", 343, 220, 85, 28, L"Cancel"},
                })},
        {7,
         L"Define Vexlar: Overlay Pause",
         380,
         130,
         {
             {L"Static", 12, 14, 100, 22, L"Pause:"},
             {L"ComboBox", 110, 12, 200, 24, nullptr},
             {L"Static", 12, 50, 360, 30,
              L"Use Pause=1 before showing modal dialogs so overlays don't sit on top."},
             {L"Button", 190, 90, 85, 28, L"OK"},
             {L"Button", 280, 90, 85, 28, L"Cancel"},
         }},
        {9, L"Define Vexlar: Set Rotation", 400, 160,
         Joined(ExpectedRectangleRow(190, 308),
                {
                    {L"Static", 12, 50, 100, 22, L"Angle (deg):"},
                    {L"Edit", 110, 48, 90, 24, nullptr},
                    {L"Static", 12, 84, 380, 30,
                     L"Positive = clockwise. Rotates around the visual center of the layer.\r"
                     L"Set in a Timer loop for continuous rotation (mandalas, spinners, etc)."},
                    {L"Button", 210, 122, 85, 28, L"OK"},
                    {L"Button", 300, 122, 85, 28, L"Cancel"},
                })},
    };
    return dialogs;
}

// The tint preset names the lists show, in this order.
inline std::vector<std::wstring> ExpectedTintNames() {
    return {L"No Tint",          L"Warm Sunset",    L"Cool Night",      L"Sepia Old Photo",
            L"Red Danger",       L"Blue Ice",       L"Green Toxic",     L"Purple Magic",
            L"Orange Fire",      L"Yellow Gold",    L"Cyan Underwater", L"Pink Dream",
            L"Lime Radioactive", L"Amber Warm",     L"Teal Matrix",     L"Magenta Neon",
            L"Desaturate 50%",   L"Desaturate 75%", L"Deep Blue Night", L"Sunset Pink"};
}

// Every drop-down list's items, by action and control index.
struct ExpectedItems {
    int action;
    int control;
    std::vector<std::wstring> items;
};

inline std::vector<ExpectedItems> ExpectedDropDownItems() {
    std::vector<std::wstring> createTints = ExpectedTintNames();
    createTints.insert(createTints.begin(), L"");
    std::vector<std::wstring> setTints = ExpectedTintNames();
    setTints.insert(setTints.begin(), {L"", L"Custom"});
    return {
        {1, 7, {L"Fit", L"Stretch", L"Original"}},
        {1, 13, createTints},
        {3, 4, {L"1 (Show)", L"0 (Hide)"}},
        {5, 4, setTints},
        {7, 1, {L"1 (Pause - hide all)", L"0 (Resume - show all)"}},
    };
}
