#pragma once
// The fixture of the HTTP client's tests: certificate stores in a fresh folder, default
// time-outs, no cookies, no string overrides, and the shutdown flag clear, before and after.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "base/Paths.h"
#include "base/Shutdown.h"
#include "net/Internet.h"
#include "net/InternetException.h"
#include "res/StringTable.h"
#include "support/TempDir.h"
#include "support/TestCa.h"

class NetTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        SetCertificateStoreRootForTests(m_stores.path());
    }
    void TearDown() override {
        Reset();
        SetCertificateStoreRootForTests({});
    }

    static void Reset() {
        ResetShutdownForTests();
        ResetStringOverridesForTests();
        inet::ResetNetworkTimeoutsForTests();
        inet::ClearCookiesForTests();
    }

    // Puts `pem` into store `store` ("MY", "ROOT", ...) as file `file`.
    void AddToStore(const std::string& store, const std::string& file, const std::string& pem) {
        WritePemFile(m_stores.path() / store / file, pem);
    }

    TempDir m_stores;
};

// The code of the CInternetException that `call` throws; 0 when it throws none.
inline std::uint32_t ThrownCode(const std::function<void()>& call) {
    try {
        call();
    } catch (const CInternetException& e) {
        return e.Code();
    }
    return 0;
}

inline std::chrono::milliseconds ElapsedSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}
