#pragma once
// The address-book panel's controls, placed on the main window after its own (so they come last
// in the tab order): the frame, the list and the four flat buttons.

#include "ui/addressbook/AddressBookPanel.h"

// Places them on `window`; the returned set names the window's To field, its completion and the
// "Address Book" button that collapses the panel.
AddressBookControls PlacePanelControls(QWidget* window, QComboBox* to,
                                       CAutoCompleteField* completion, QPushButton* toggle);
