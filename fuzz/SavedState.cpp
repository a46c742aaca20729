// The readers of what the program keeps between runs, on any bytes: the first
// byte chooses the reader, the rest is the file. Mask files, colour presets,
// the pen's saved state, "sysiconinfo.ini", the registry stand-in and undo
// history files must each refuse or read without a fault, within bounds.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "colour/MultiColorPen.h"
#include "history/HistoryFile.h"
#include "image/LayerImage.h"
#include "panels/MaskLibrary.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/SysIconSet.h"

namespace {

// The readers that take a path read it from a file of this process's own.
std::string AsFile(std::span<const uint8_t> bytes) {
    static const std::string path = "/tmp/pictoform-fuzz-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path;
    if (!bytes.empty()) (void)std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictoform;
    if (size == 0) return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    const std::string text(bytes.begin(), bytes.end());
    std::string reason;
    switch (data[0] % 6) {
    case 0: {
        MaskImage mask;
        (void)ReadMaskFile(AsFile(bytes), mask, &reason);
        break;
    }
    case 1: {
        CMultiColorPen pen;
        (void)pen.LoadStops(AsFile(bytes), reason);
        break;
    }
    case 2: {
        CMultiColorPen pen;
        (void)pen.RestoreState(bytes);
        break;
    }
    case 3:
        (void)ParseSysIconInfo(text);
        break;
    case 4: {
        RegistryData registry;
        (void)ParseRegistryFile(text, registry, reason);
        break;
    }
    default: {
        // History files are read back into the picture that wrote them.
        CLayerImage picture;
        if (picture.Create(18, 12)) (void)ReadHistoryFile(AsFile(bytes), picture);
        break;
    }
    }
    return 0;
}
