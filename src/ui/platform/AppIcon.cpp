#include "ui/platform/AppIcon.h"

#include <QString>

// The resource lives in this static library; a program linking it must register it explicitly.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

QIcon AppIcon() {
    RegisterIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillo-%1.png").arg(size), QSize(size, size));
    return icon;
}
