#pragma once
// The application messages and the targets they are posted to.

#include <cstdint>

// Only what crosses threads (windows <-> workers) travels as a message; windows tell each other
// by Qt signals. 0x8004, 0x8005, 0x8007 and 0x8008 are reserved: they were the windows' own.
enum MessageId : std::uint32_t {
    WM_APP_SEND_JOB = 0x8000,          // queue thread -> core thread: deliver a job
    WM_APP_JOB_DONE = 0x8001,          // core -> queue: a job's number and result
    WM_APP_SEND_REPORT = 0x8002,       // queue -> main window: the batch's failures
    WM_APP_QUEUE_JOB = 0x8003,         // main window or core -> queue: a new QueueEntry
    WM_APP_CARRIER_FOUND = 0x8006,     // core -> main window: number, detected carrier
    WM_APP_FIFTIETH_MESSAGE = 0x8009,  // queue -> main window: donation prompt
    WM_APP_NEW_VERSION = 0x800A,       // core -> main window: offer the upgrade
    WM_APP_SHUTDOWN = 0x800B,          // core -> new-version dialog and main window: close
    WM_APP_UPGRADE_STATUS = 0x800C,    // core -> new-version dialog: status text (lParam 1: final)
    WM_APP_UPGRADE = 0x800D,           // new-version dialog -> core: download and install
    WM_APP_SITE_INFO = 0x800E,         // main window -> core: site information, counter, version
    WM_APP_DELIVERY_REPORT = 0x800F,   // core -> queue: a DeliveryReport for the history
};

inline constexpr std::uint32_t kFirstAppMessage = WM_APP_SEND_JOB;
inline constexpr std::uint32_t kLastAppMessage = WM_APP_DELIVERY_REPORT;

constexpr bool IsAppMessage(std::uint32_t id) noexcept {
    return id >= kFirstAppMessage && id <= kLastAppMessage;
}

enum class PostTarget : std::int32_t {
    AppThread = 0,
    MainWindow = 1,
    CoreThread = 2,
    QueueThread = 3,
};
