#pragma once
// Faults waiting for the requests they are meant for, each taken as often as its count says.
// Shared by the gateways, the modem and the web services; safe from any thread.

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace lab {

template <typename F>
class FaultList {
public:
    void Add(F fault) {
        std::lock_guard lock(m_mutex);
        m_faults.push_back(std::move(fault));
    }
    std::vector<F> All() const {
        std::lock_guard lock(m_mutex);
        return m_faults;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_faults.clear();
    }

    // One use of the first fault `matches` accepts; it is gone once `count(fault)`, the uses
    // left, comes down to zero.
    template <typename Match, typename Count>
    std::optional<F> Take(Match matches, Count count) {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_faults.begin(), m_faults.end(), matches);
        if (it == m_faults.end())
            return std::nullopt;
        F taken = *it;
        if (--count(*it) <= 0)
            m_faults.erase(it);
        return taken;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<F> m_faults;
};

}  // namespace lab
