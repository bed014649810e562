#include "ui/platform/ControlName.h"

#include <QObject>
#include <QVariant>

namespace {

constexpr const char* kIdProperty = "controlId";

}  // namespace

void NameControl(QObject* control, ControlName name) {
    if (name.name == nullptr)
        return;
    control->setObjectName(QString::fromLatin1(name.name));
    control->setProperty(kIdProperty, name.id);
}

int ControlIdOf(const QObject* control) {
    return control ? control->property(kIdProperty).toInt() : 0;
}
