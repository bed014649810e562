// Deliberately wrong: a lab source reaching into delivery, a layer the lab does not use.
#include "delivery/carriers/Carriers.h"
