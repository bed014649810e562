#pragma once
// The application icon at the sizes window managers ask for, made from src/res/icons/quillo.svg.

#include <QIcon>

QIcon AppIcon();
