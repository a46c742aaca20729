// pictoform-cli thumbnail: what file managers show for icon and cursor files.

#include <iostream>

#include "Commands.h"
#include "icon/PngCodec.h"
#include "io/ByteReader.h"
#include "io/SafeFile.h"
#include "sysicons/Thumbnail.h"

namespace pictoform::cli {

int RunThumbnail(const std::string& input, const std::string& output, int size, std::ostream& err) {
    std::vector<uint8_t> bytes, png;
    BgraPicture picture;
    std::string reason;
    if (!ReadWholeFile(input, kMaxModuleFileBytes, bytes, reason) ||
        !MakeThumbnail(bytes, size, picture, reason) || !EncodePng(picture, png, reason) ||
        !WriteFileAtomically(output, png, reason)) {
        err << "pictoform-cli: cannot make a thumbnail of '" << input << "': " << reason << "\n";
        return 1;
    }
    return 0;
}

} // namespace pictoform::cli
