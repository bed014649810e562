#include "carrier-lab/LabFaults.h"

namespace lab {

std::string FaultKindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::Status:
            return "status";
        case FaultKind::EmptyBody:
            return "empty";
        case FaultKind::Delay:
            return "delay";
        case FaultKind::Drop:
            return "drop";
        case FaultKind::ClientCertificate:
            return "client-cert";
        case FaultKind::Short:
            return "short";
        case FaultKind::Cut:
            return "cut";
        case FaultKind::Tamper:
            return "tamper";
    }
    return "?";
}

std::string DescribeFault(const Fault& fault) {
    switch (fault.kind) {
        case FaultKind::Status:
            return "status " + std::to_string(fault.status);
        case FaultKind::Delay:
            return "delay " + std::to_string(fault.delay.count()) + " ms";
        case FaultKind::EmptyBody:
            return "empty body";
        case FaultKind::Drop:
            return "dropped connection";
        case FaultKind::ClientCertificate:
            return "client certificate demanded";
        case FaultKind::Short:
            return "body cut short of its length";
        case FaultKind::Cut:
            return "body cut, no length";
        case FaultKind::Tamper:
            return "body tampered with";
    }
    return "?";
}

}  // namespace lab
