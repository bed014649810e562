// A program for the crash test: saves an address book of 100,000 contacts over and over into the
// folder it is given, the message count telling the saves apart, and says so after each save.
//   settings_save_loop <folder>

#include <cstdio>
#include <string>

#include "storage/AppSettings.h"
#include "storage/Settings.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    CAppSettings& settings = AppSettings();
    settings.ExeDirectory = std::string(argv[1]) + "/";
    for (int i = 0; i < 100000; ++i)
        settings.AddressBook.push_back(
            {"Contact " + std::to_string(i), "", std::to_string(5550000000LL + i), i % 10});
    for (int count = 1;; ++count) {
        settings.MessageCount = count;
        SaveSettings();
        std::printf("saved %d\n", count);
        std::fflush(stdout);
    }
}
