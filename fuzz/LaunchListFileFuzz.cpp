// Any bytes as "StartApps.txt".
#include "fuzz/SettingsRoundTrip.h"
#include "launcher/LaunchListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    keyrelay::readSaveAndReadAgain<keyrelay::LaunchListFile, keyrelay::LaunchList>(data, size);
    return 0;
}
