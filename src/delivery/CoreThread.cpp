#include "delivery/CoreThread.h"

// The message handlers arrive with the delivery work.
bool CCoreThread::Dispatch(Message&) { return false; }
