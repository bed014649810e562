// Deliberately wrong: a contacts source reaching up into the application layer.
#include "app/SendCommand.h"
