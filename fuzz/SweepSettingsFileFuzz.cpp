// Any bytes as "QsySweep.txt".
#include "fuzz/SettingsRoundTrip.h"
#include "sweep/SweepSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    keyrelay::readSaveAndReadAgain<keyrelay::SweepSettingsFile, keyrelay::SweepSettings>(data,
                                                                                         size);
    return 0;
}
