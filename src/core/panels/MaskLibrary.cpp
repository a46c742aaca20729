#include "panels/MaskLibrary.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pictoform {

namespace {

namespace fs = std::filesystem;

constexpr size_t kHeaderBytes = 7;

bool Refuse(std::string* whyRefused, std::string reason) {
    if (whyRefused) *whyRefused = std::move(reason);
    return false;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), Lower);
    return s;
}

// ".msk" in any case, and something before it.
bool HasMaskEnding(const std::string& name) {
    return name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".msk";
}

} // namespace

bool ReadMaskFile(const std::string& path, MaskImage& mask, std::string* whyRefused) {
    std::error_code ec;
    // Only regular files: opening a pipe or a device could block or never end.
    if (!fs::is_regular_file(path, ec)) return Refuse(whyRefused, "is not a readable file");
    const uintmax_t fileSize = fs::file_size(path, ec);
    if (ec) return Refuse(whyRefused, "cannot be sized: " + ec.message());

    std::ifstream in(path, std::ios::binary);
    if (!in) return Refuse(whyRefused, "cannot be opened");
    std::array<char, kHeaderBytes> header{};
    if (fileSize < kHeaderBytes || !in.read(header.data(), kHeaderBytes))
        return Refuse(whyRefused, "is shorter than a mask header");
    if (header[0] != 'p' || header[1] != 'a' || header[2] != 't')
        return Refuse(whyRefused, "does not start with \"pat\"");

    auto byteAt = [&](size_t i) { return static_cast<unsigned>(static_cast<uint8_t>(header[i])); };
    const int width = static_cast<int>(byteAt(3) << 8 | byteAt(4));
    const int height = static_cast<int>(byteAt(5) << 8 | byteAt(6));
    const uintmax_t pixelBytes = static_cast<uintmax_t>(width) * static_cast<uintmax_t>(height);
    if (fileSize - kHeaderBytes < pixelBytes) {
        return Refuse(whyRefused, "claims " + std::to_string(width) + " x " +
                                      std::to_string(height) + " pixels but holds only " +
                                      std::to_string(fileSize - kHeaderBytes) + " bytes of them");
    }

    std::vector<uint8_t> pixels(static_cast<size_t>(pixelBytes));
    if (!pixels.empty() &&
        !in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixelBytes)))
        return Refuse(whyRefused, "ended before its pixels did");

    mask.width = width;
    mask.height = height;
    mask.pixels = std::move(pixels);
    return true;
}

std::vector<MaskEntry> ListMaskFolder(const std::string& folder) {
    struct Found {
        std::string key; // the name in lower case
        std::string name;
        MaskEntry entry;
    };
    std::vector<Found> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const char letter = name.empty() ? '\0' : Lower(name[0]);
        if (letter < 'a' || letter > 'z' || !HasMaskEnding(name)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        found.push_back({Lowered(name), name, {it->path().stem().string(), it->path().string()}});
    }
    // The directory gives its entries in no useful order. Ignoring case puts
    // them by initial letter first; exact names break ties, so the list is
    // the same every time.
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });
    std::vector<MaskEntry> list;
    list.reserve(found.size());
    for (Found& f : found) list.push_back(std::move(f.entry));
    return list;
}

std::vector<MaskEntry> ListMaskLibrary(const AppPaths& paths) {
    return ListMaskFolder(paths.MasksDir());
}

} // namespace pictoform
