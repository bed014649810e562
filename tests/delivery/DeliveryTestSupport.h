#pragma once
// Helpers shared by the delivery tests.

#include <chrono>
#include <memory>
#include <string>

#include "app/QueueThread.h"
#include "delivery/SendJob.h"
#include "runtime/PostToTarget.h"
#include "runtime/WorkerThread.h"

inline CSendJob MakeJob(std::string number, std::string text, std::int32_t carrier,
                        std::string replyNumber = "5550001111") {
    CSendJob job;
    job.number = std::move(number);
    job.senderName = "Ann";
    job.replyNumber = std::move(replyNumber);
    job.text = std::move(text);
    job.carrier = carrier;
    return job;
}

// Queues a batch of one job as the main window does.
inline void QueueJob(CSendJob job) {
    QueueBatch({std::move(job)});
}

// Starts a worker and registers it as `target`.
template <class Worker>
std::shared_ptr<Worker> StartWorker(PostTarget target) {
    auto worker = std::make_shared<Worker>();
    if (!worker->CreateThread())
        return nullptr;
    RegisterWorker(target, worker);
    return worker;
}

// Unregisters and ends a worker; true when it ended in time.
inline bool StopWorker(PostTarget target, const std::shared_ptr<CWorkerThread>& worker) {
    RegisterWorker(target, nullptr);
    if (!worker)
        return true;
    worker->PostQuitMessage();
    return worker->Join(std::chrono::seconds(10));
}

// A form value as it appears in a body (still encoded): the bytes after the first "name=".
inline std::string FieldValue(const std::string& body, const std::string& name) {
    std::size_t at = 0;
    if (body.rfind(name + "=", 0) != 0) {
        at = body.find("&" + name + "=");
        if (at == std::string::npos)
            return "<absent>";
        ++at;
    }
    at += name.size() + 1;
    return body.substr(at, body.find('&', at) - at);
}
