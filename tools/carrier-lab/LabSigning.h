#pragma once
// The key the lab signs the installer it serves with, kept in its state folder. A fresh state
// folder gets the lab's fixed test key, whose public half the default deployment carries, so a
// program built from the default deployment accepts the lab's installer on any machine. A
// deployment of its own puts its own key (a PEM private key) at SigningKeyFile().

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace lab {

// `bytes` in base64, one line.
std::string Base64(std::string_view bytes);

class LabSigning {
public:
    // Loads the state folder's key, writing the lab's test key there first when it has none.
    // Throws LabError.
    static LabSigning LoadOrCreate(const std::filesystem::path& stateDir);
    static std::filesystem::path SigningKeyFile(const std::filesystem::path& stateDir);

    LabSigning(LabSigning&&) noexcept;
    LabSigning& operator=(LabSigning&&) noexcept;
    ~LabSigning();

    // The detached signature of `bytes`, base64, as the program fetches it.
    std::string Sign(std::string_view bytes) const;
    // The public key as the deployment file holds it (base64 of the DER SubjectPublicKeyInfo).
    std::string PublicKey() const;

    struct Key;

private:
    explicit LabSigning(std::unique_ptr<Key> key);
    std::unique_ptr<Key> m_key;
};

}  // namespace lab
