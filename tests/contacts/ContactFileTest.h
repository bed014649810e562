#pragma once
// What the import tests share: contact files written into a fresh temporary folder, and a book
// to import them into.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "contacts/Contact.h"
#include "support/TempDir.h"

class ContactFileTest : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& bytes) {
        const auto path = dir / ("file" + std::to_string(++files));
        WriteFileBytes(path, bytes);
        return path;
    }

    TempDir dir;
    int files = 0;
    AddressBook book;
};
