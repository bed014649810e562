#pragma once
// The carrier lab in the test process: ephemeral ports, its state and the program's certificate
// stores in the test's folder, and the program's hosts pointed at it. For tests that link
// quillo_lab.

#include <filesystem>
#include <string>

#include "base/Paths.h"
#include "carrier-lab/LabServer.h"

class InProcessLab : public lab::LabServer {
public:
    InProcessLab() = default;
    ~InProcessLab() {
        Stop();
        SetCertificateStoreRootForTests({});
    }

    // With a modem name, the lab's GSM modem listens on that abstract socket too.
    void Start(const std::filesystem::path& dir, const std::string& modemSocket = {}) {
        SetCertificateStoreRootForTests(dir / "certs");
        lab::LabOptions options;
        options.httpPort = 0;
        options.httpsPort = 0;
        options.stateDir = dir / "state";
        options.modemSocket = modemSocket;
        if (!webSecret.empty())
            options.webSecret = webSecret;
        lab::LabServer::Start(options);
        ApplyStringOverrides();
    }

    // Set before Start: the secret the web-service stand-ins accept in place of the default.
    std::string webSecret;
};
