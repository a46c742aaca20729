// The open path on whole files: whatever the bytes are (an icon, cursor,
// animated cursor, Xcursor file or program), reading them, taking a
// program's groups out as they are, and making the
// formats an editor would edit, or the thumbnail a file manager asks for,
// must finish within the limits. Run with
// -malloc_limit_mb and -rss_limit_mb so that memory out of proportion to
// the input is a finding, not only a memory fault.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "icon/IconFile.h"
#include "icon/IconFormat.h"
#include "icon/IconLayer.h"
#include "icon/ModuleIcons.h"
#include "icon/ModuleResources.h"
#include "sysicons/Thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictoform;
    const std::span<const uint8_t> bytes(data, size);
    CIconFile file;
    const bool module = IsModuleData(bytes);
    BgraPicture thumbnail;
    std::string why;
    (void)MakeThumbnail(bytes, 1 + static_cast<int>(size % 256), thumbnail, why);
    if (module) {
        ModuleResources resources;
        std::string reason;
        // Taking every group out as it stands, as the command line does.
        std::vector<uint8_t> ico;
        if (resources.Read(bytes, reason)) {
            for (const IconGroup& group : IconGroupsOf(resources))
                (void)ModuleGroupAsIconFile(resources, group, ico, reason);
        }
    }
    if (!(module ? file.LoadModuleIconData(bytes, 0) : file.ReadIconData(bytes))) return 0;
    // As the editor opens a file: the cost is counted first, and only a
    // document within it is made.
    if (!DocumentTooLarge(file.Images()).empty()) return 0;
    LayerCounter counter;
    std::vector<std::unique_ptr<CIconFormat>> formats;
    (void)CreateFormatsFromImages(file.Images(), counter, formats);
    return 0;
}
