// The project reader on any bytes: it must refuse or read within the
// document's limits, and what it reads must write and read back alike.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "icon/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictoform;
    LayerCounter counter;
    ProjectDocument document;
    std::string reason;
    if (!DecodeProject(std::span<const uint8_t>(data, size), counter, document, reason)) return 0;
    std::vector<uint8_t> again;
    if (!EncodeProject(ProjectRefsOf(document.formats), document.animation, document.kind, again,
                       reason, document.originPath, document.originKind)) {
        std::abort();
    }
    // Read back and written again, the same bytes: nothing read is lost.
    ProjectDocument second;
    std::vector<uint8_t> third;
    if (!DecodeProject(again, counter, second, reason) ||
        !EncodeProject(ProjectRefsOf(second.formats), second.animation, second.kind, third, reason,
                       second.originPath, second.originKind) ||
        third != again) {
        std::abort();
    }
    return 0;
}
