#include "delivery/QueueThread.h"

// The message handlers arrive with the delivery work.
bool CQueueThread::Dispatch(Message&) { return false; }
