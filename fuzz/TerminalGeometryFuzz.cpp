// Any bytes as "TerminalF.txt".
#include "fuzz/SettingsRoundTrip.h"
#include "telnet/TerminalGeometry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    keyrelay::readSaveAndReadAgain<keyrelay::TerminalGeometry, QList<double>>(data, size);
    return 0;
}
