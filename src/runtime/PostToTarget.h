#pragma once
// PostToTarget and the registry of its targets: the main window and the two workers.

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/Message.h"

class CWorkerThread;
class CWindowEndpoint;

// Posts without waiting. A message for a target that does not exist (yet, or any more), or for a
// target value outside 0..3, is dropped with its payload. Nothing is reported.
void PostToTarget(PostTarget target, Message message);
void PostToTarget(PostTarget target, std::uint32_t id, Payload payload = {},
                  std::intptr_t lParam = 0);
void PostToTarget(std::int32_t target, std::uint32_t id, Payload payload = {},
                  std::intptr_t lParam = 0);
// Posts several messages to a worker at once (see CWorkerThread::PostThreadMessages).
void PostAllToTarget(PostTarget target, std::vector<Message> messages);

// The registry. Registering null removes a target.
void RegisterMainWindow(std::shared_ptr<CWindowEndpoint> window);
void RegisterWorker(PostTarget target, std::shared_ptr<CWorkerThread> worker);
bool MainWindowExists();
std::shared_ptr<CWindowEndpoint> MainWindowEndpoint();
std::shared_ptr<CWorkerThread> Worker(PostTarget target);
