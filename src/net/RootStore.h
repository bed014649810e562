#pragma once
// The certificates of the ROOT store, trusted beside the system bundle. They are read once and
// read again only when the store's folder or one of its files has changed since.

#include <memory>
#include <vector>

#include "net/CertificateStore.h"

namespace inet {

class RootStore {
public:
    using Certificates = std::vector<X509Ptr>;

    // The store's certificates as they are now; safe from any thread.
    static std::shared_ptr<const Certificates> Current();
};

}  // namespace inet
