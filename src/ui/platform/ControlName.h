#pragma once
// A control's id, the number the program's behaviour knows it by (a notification carries it,
// the layout comes from it), and the name code and tests find the control by. The Qt object
// name is the name; the id rides along as a property.

class QObject;

struct ControlName {
    int id = 0;
    const char* name = nullptr;  // null: a control nobody looks up
};

// The buttons every dialog has.
inline constexpr ControlName kOkButton{1, "ok"};
inline constexpr ControlName kCancelButton{2, "cancel"};

// Gives `control` its object name and id; an unnamed ControlName leaves it as it is.
void NameControl(QObject* control, ControlName name);
// The id NameControl gave, or 0.
int ControlIdOf(const QObject* control);
