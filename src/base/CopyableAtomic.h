#pragma once
// Values shared between threads inside a record that is copied as a whole: each copies its
// current value, so the record's copy can stay the compiler's own.

#include <atomic>
#include <mutex>
#include <utility>

template <class T>
class CopyableAtomic : public std::atomic<T> {
public:
    using std::atomic<T>::atomic;
    using std::atomic<T>::operator=;
    CopyableAtomic() noexcept = default;
    CopyableAtomic(const CopyableAtomic& other) noexcept : std::atomic<T>(other.load()) {}
    CopyableAtomic& operator=(const CopyableAtomic& other) noexcept {
        this->store(other.load());
        return *this;
    }
};

// A value read and written whole under its own lock.
template <class T>
class Locked {
public:
    Locked() = default;
    Locked(const Locked& other) : m_value(other.Get()) {}
    Locked& operator=(const Locked& other) {
        if (this != &other)
            Set(other.Get());
        return *this;
    }

    T Get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void Set(T value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};
