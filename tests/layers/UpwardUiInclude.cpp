// Deliberately wrong: the completion reaching up into the main window's feature, beside a
// feature below it that it may use.
#include "ui/main/MainDlg.h"
#include "ui/platform/GuiText.h"
