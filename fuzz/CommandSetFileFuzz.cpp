// Any bytes as "CmdPadF.ini".
#include "cmdpad/CommandSetFile.h"
#include "fuzz/SettingsRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    keyrelay::readSaveAndReadAgain<keyrelay::CommandSetFile, keyrelay::CommandSet>(data, size);
    return 0;
}
