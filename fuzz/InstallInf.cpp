// install.inf files come with cursor packs from anywhere: parsing one must
// never fail on its bytes, whatever their encoding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sysicons/CursorTheme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pictoform::CursorSet scheme;
    std::string reason;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (pictoform::ParseInstallInf(text, scheme, reason)) {
        (void)pictoform::InstallInfText(scheme);
    }
    return 0;
}
