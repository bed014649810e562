#pragma once
// The history window's controls: their ids and the names code and tests find them by.

#include "ui/platform/ControlName.h"

namespace HistoryIds {
inline constexpr ControlName kWindow{3000, "historyWindow"};
inline constexpr ControlName kSearch{3001, "historySearch"};
inline constexpr ControlName kFailuresOnly{3002, "historyFailuresOnly"};
inline constexpr ControlName kBatches{3003, "historyBatches"};
inline constexpr ControlName kRecipients{3004, "historyRecipients"};
inline constexpr ControlName kSendAgain{3005, "historySendAgain"};
inline constexpr ControlName kCopy{3006, "historyCopy"};
inline constexpr ControlName kDelete{3007, "historyDelete"};
inline constexpr ControlName kClearAll{3008, "historyClearAll"};
inline constexpr ControlName kKeep{3009, "historyKeep"};
inline constexpr ControlName kClose{3010, "historyClose"};
}  // namespace HistoryIds
