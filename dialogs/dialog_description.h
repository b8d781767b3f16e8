// What an action editor dialog is made of, as plain data: its caption, client
// size, controls in creation order, and which control feeds which parameter
// when the author presses OK. Nothing here opens a window, so the dialogs'
// contents, defaults, write-back and layout can be checked without showing
// them; dialog_framework.h turns a description into a window.
#pragma once

#include <string>
#include <vector>

enum DialogControlKind {
    DialogLabel,     // static text; may hold a carriage return
    DialogTextField, // single-line edit
    DialogButton,    // push button
    DialogDropDown,  // combo box that cannot be typed into
};

enum DialogButtonRole {
    ButtonOk,
    ButtonCancel,
    ButtonBrowse, // asks the host for a text and puts it into a text field
};

// Asks the host for a new text given the field's current one; "" when the
// author picked nothing.
typedef std::wstring (*BrowseFunction)(const std::wstring& current);

struct DialogControl {
    DialogControlKind kind;
    int x, y, width, height;         // client-area position and size at 96 dots per inch
    std::wstring text;               // label or button text; a text field's current text
    std::vector<std::wstring> items; // drop-down items in order
    int selection;                   // selected drop-down item, -1 for none
    DialogButtonRole role;           // buttons only
    int browseField;                 // the text field a browse button fills
    BrowseFunction browse;           // how a browse button asks the host
};

// How OK turns one control back into one parameter text. A text field gives
// its text. A drop-down gives its selected item's text ("" when none is
// selected), or, when itemValues is not empty, the value written for the
// selected item (noneValue when none is selected).
struct DialogParamBinding {
    int param;
    int control;
    std::vector<std::wstring> itemValues;
    std::wstring noneValue;
};

struct DialogDescription {
    std::wstring caption;
    int clientWidth, clientHeight; // at 96 dots per inch
    std::vector<DialogControl> controls;
    std::vector<DialogParamBinding> bindings; // in increasing parameter index
};

// ---- building (each returns the new control's index) ----------------------
int AddLabel(DialogDescription* dialog, int x, int y, int width, int height,
             const std::wstring& text);
int AddTextField(DialogDescription* dialog, int x, int y, int width, int height,
                 const std::wstring& text);
int AddBrowseButton(DialogDescription* dialog, int x, int y, int width, int height, int field,
                    BrowseFunction browse);
int AddDropDown(DialogDescription* dialog, int x, int y, int width, int height,
                const std::vector<std::wstring>& items, int selection);
// The row every dialog but Overlay Pause starts with: "Rectangle:", a text
// field holding the rectangle name and a "Browse..." that asks the host to
// pick an object. Returns the field's index.
int AddRectangleRow(DialogDescription* dialog, int fieldWidth, int browseX,
                    const std::wstring& name);
// "OK" and "Cancel", 85 x 28 each, on one line.
void AddOkCancel(DialogDescription* dialog, int okX, int cancelX, int y);
// Binds a text field, or a drop-down by its item text, to a parameter.
void BindParam(DialogDescription* dialog, int param, int control);
// Binds a drop-down to a parameter through the value written for each item.
void BindChoice(DialogDescription* dialog, int param, int control,
                const std::vector<std::wstring>& itemValues, const std::wstring& noneValue);

// A parameter's text as the dialog shows it: the default text when the
// parameter is empty (no default: nullptr).
std::wstring DialogParamText(char** params, int index, const wchar_t* defaultText);
// The index of the item whose whole text equals the text, ignoring letter
// case; -1 for an empty text or no such item.
int FindItemByText(const std::vector<std::wstring>& items, const std::wstring& text);
// The parameter text a binding gives for the controls' current state.
std::wstring BoundParamText(const DialogDescription& dialog, const DialogParamBinding& binding);

// ---- layout ----------------------------------------------------------------
struct ControlBox {
    int x, y, width, height;
};

// A 96-dots-per-inch value at the display's resolution, rounded to the
// nearest pixel (halves away from zero).
int ScaleToDpi(int value, int dpi);
// The client size and every control's box in pixels: horizontal values scaled
// by the horizontal resolution, vertical ones by the vertical resolution.
ControlBox ScaleDialogBox(const ControlBox& box, int dpiX, int dpiY);
ControlBox DialogClientBox(const DialogDescription& dialog, int dpiX, int dpiY);
std::vector<ControlBox> DialogControlBoxes(const DialogDescription& dialog, int dpiX, int dpiY);
// Where a window of the given outer size starts so that it is centred on a
// screen of the given size; 0 when the window is larger than the screen.
int CentredWindowStart(int screenSize, int windowSize);
