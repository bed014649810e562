#pragma once
// CQueueThread: keeps the send jobs in order and reports each batch.

#include "app/WorkerThread.h"

class CQueueThread : public CWorkerThread {
public:
    const char* ClassName() const override { return "CQueueThread"; }

protected:
    bool Dispatch(Message& message) override;
};
