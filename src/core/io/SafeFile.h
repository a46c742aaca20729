#pragma once
// Replacing a file without ever leaving it half written: the new content goes
// to a file beside it, which is renamed over the old one only when complete.

#include <cstdint>
#include <span>
#include <string>

namespace pictoform {

[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                                       std::string& reason);

} // namespace pictoform
