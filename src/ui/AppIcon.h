#pragma once
// The application icon, drawn at the sizes window managers ask for.

#include <QIcon>

QIcon AppIcon();
