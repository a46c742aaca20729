#include "icon/ProjectFile.h"

#include <libdeflate.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "icon/PngCodec.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"
#include "io/Limits.h"

namespace pictoform {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'F', 'I', '\r', '\n', 0x1a, '\n'};
constexpr uint16_t kVersion = 1;
// A zoom that fits the format in the view, as a format made any other way.
constexpr int kBaseZoom = 400;

void PutU8(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
}
void PutBytes(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}
void PutText(std::vector<uint8_t>& out, const std::string& text) {
    PutBytes(out, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}
void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], std::span<const uint8_t> data) {
    PutU32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32(out, libdeflate_crc32(0, out.data() + start, data.size() + 4));
}

uint32_t FloatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool EncodeLayer(const CLayerImage& picture, bool visible, float opacity, const std::string& name,
                 std::vector<uint8_t>& out, std::string& reason) {
    const int w = picture.Width(), h = picture.Height();
    const size_t width = static_cast<size_t>(w);
    const auto fill = [&](size_t y, uint8_t* rgba) {
        const uint8_t* bgr = picture.ColourBits() + y * static_cast<size_t>(picture.Stride());
        const uint8_t* alpha = picture.AlphaPlane() + y * width;
        for (size_t x = 0; x < width; ++x) {
            rgba[4 * x] = bgr[3 * x + 2];
            rgba[4 * x + 1] = bgr[3 * x + 1];
            rgba[4 * x + 2] = bgr[3 * x];
            rgba[4 * x + 3] = alpha[x];
        }
    };
    std::vector<uint8_t> colour, coverage;
    if (!EncodeRgbaRows(w, h, fill, colour, reason) ||
        !EncodeGreyPng(w, h, picture.CoveragePlane(), width, coverage, reason)) {
        return false;
    }
    out.clear();
    PutU8(out, visible ? 1 : 0);
    PutU32(out, FloatBits(opacity));
    PutText(out, name);
    PutBytes(out, colour);
    PutBytes(out, coverage);
    return true;
}

// What a format of this size with this many layers takes to edit.
uint64_t EditBytes(int32_t width, int32_t height, uint64_t layers) {
    const uint64_t layerBytes = 2 * CLayerImage::BytesFor(3 * width, 3 * height);
    return FormatEditBytes(width, height) + (layers - 1) * layerBytes;
}

std::string TooLargeToEdit() {
    return "its layers would need more than " + Gigabytes(kMaxDocumentBytes) +
           " to edit, more than Pictoform opens";
}

// Reads a length-prefixed run of bytes.
bool ReadBytes(ByteReader& in, std::span<const uint8_t>& out) {
    uint32_t length = 0;
    return in.ReadU32(length) && in.ReadSpan(length, out);
}
bool ReadText(ByteReader& in, std::string& out) {
    std::span<const uint8_t> bytes;
    if (!ReadBytes(in, bytes)) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}
bool ReadNumbers(ByteReader& in, std::vector<uint32_t>& out) {
    uint32_t count = 0;
    // Each number is four bytes of what is left: a count cannot ask for more.
    if (!in.ReadU32(count) || count > in.Remaining() / 4) return false;
    out.resize(count);
    for (uint32_t& v : out) (void)in.ReadU32(v);
    return true;
}

// The format whose layers are being read, and what it still expects.
struct FormatInProgress {
    std::unique_ptr<CIconFormat> format;
    uint32_t layers = 0;
    std::vector<LayerEntry> entries;
    std::unique_ptr<CIconLayer> first;
};

bool LoadPicture(std::span<const uint8_t> colourPng, std::span<const uint8_t> coveragePng,
                 CLayerImage& picture, std::string& reason) {
    PngPixels colour;
    GreyPixels coverage;
    const int w = picture.Width(), h = picture.Height();
    const int32_t side = std::max(w, h);
    if (!DecodePng(colourPng, side, colour, reason) ||
        !DecodeGreyPng(coveragePng, side, coverage, reason)) {
        return false;
    }
    if (colour.width != w || colour.height != h || coverage.width != w || coverage.height != h) {
        reason = "a layer's picture is not the size of its format";
        return false;
    }
    const size_t width = static_cast<size_t>(w);
    for (size_t y = 0; y < static_cast<size_t>(h); ++y) {
        uint8_t* bgr = picture.ColourBits() + y * static_cast<size_t>(picture.Stride());
        uint8_t* alpha = picture.AlphaPlane() + y * width;
        const uint8_t* bgra = colour.bgra.data() + y * width * 4;
        for (size_t x = 0; x < width; ++x) {
            std::memcpy(bgr + 3 * x, bgra + 4 * x, 3);
            alpha[x] = bgra[4 * x + 3];
        }
    }
    std::memcpy(picture.CoveragePlane(), coverage.grey.data(), coverage.grey.size());
    return true;
}

// The number N of a layer named "Layer N", or 0.
int LayerNumber(const std::string& name) {
    static const std::string kPrefix = "Layer ";
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 9 ||
        name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return 0;
    }
    int n = 0;
    for (size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

class ProjectReader {
public:
    ProjectReader(LayerCounter& counter, std::string& reason)
        : m_counter(counter), m_reason(reason) {}

    bool Read(std::span<const uint8_t> data, ProjectDocument& out);

private:
    bool Damaged(const std::string& what) {
        m_reason = "the project file is damaged (" + what + ")";
        return false;
    }
    bool Chunk(const std::string& type, std::span<const uint8_t> body);
    bool Head(ByteReader& in);
    bool Format(ByteReader& in);
    bool Layer(ByteReader& in);
    bool Animation(ByteReader& in);
    bool FinishFormat();

    LayerCounter& m_counter;
    std::string& m_reason;
    bool m_head = false;
    bool m_done = false;
    uint32_t m_formatCount = 0;
    uint64_t m_bytes = 0;
    int m_highestLayer = 0;
    FormatInProgress m_current;
    ProjectDocument m_document;
};

bool ProjectReader::Read(std::span<const uint8_t> data, ProjectDocument& out) {
    if (!IsProjectData(data)) {
        m_reason = "not a Pictoform project";
        return false;
    }
    ByteReader in(data.subspan(sizeof kSignature));
    while (!m_done) {
        uint32_t length = 0;
        std::span<const uint8_t> typeAndBody;
        uint32_t crc = 0;
        if (!in.ReadU32(length)) return Damaged("it ends before its last part");
        if (length > in.Remaining() || in.Remaining() - length < 8 ||
            !in.ReadSpan(size_t{length} + 4, typeAndBody) || !in.ReadU32(crc)) {
            return Damaged("a part runs past the end of the file");
        }
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        if (libdeflate_crc32(0, typeAndBody.data(), typeAndBody.size()) != crc) {
            return Damaged("a part's checksum does not match its contents");
        }
#endif
        const std::string type(typeAndBody.begin(), typeAndBody.begin() + 4);
        if (!Chunk(type, typeAndBody.subspan(4))) return false;
    }
    out = std::move(m_document);
    // New layers are numbered after the file's own.
    m_counter.ContinueAfter(m_highestLayer);
    return true;
}

bool ProjectReader::Chunk(const std::string& type, std::span<const uint8_t> body) {
    ByteReader in(body);
    if (!m_head && type != "HEAD") return Damaged("it does not begin with its header");
    if (type == "HEAD") return !m_head ? Head(in) : Damaged("a second header");
    if (type == "FRMT") return Format(in);
    if (type == "LAYR") return Layer(in);
    if (type == "ANIM") return Animation(in);
    if (type == "path") {
        return (ReadText(in, m_document.originPath) && ReadText(in, m_document.originKind)) ||
               Damaged("where the work came from is cut short");
    }
    if (type == "DONE") {
        if (!FinishFormat()) return false;
        if (m_document.formats.size() != m_formatCount) return Damaged("formats are missing");
        if (!SequenceFits(m_document.animation, m_formatCount)) {
            return Damaged("the order of frames names a frame that is not there");
        }
        m_done = true;
        return true;
    }
    // Parts a later version may add and an older one may pass over.
    if (type[0] >= 'a' && type[0] <= 'z') return true;
    m_reason = "the project was made by a newer version of Pictoform";
    return false;
}

bool ProjectReader::Head(ByteReader& in) {
    uint16_t version = 0, flags = 0;
    if (!in.ReadU16(version) || !in.ReadU16(flags) || !in.ReadU32(m_formatCount) ||
        !ReadText(in, m_document.kind)) {
        return Damaged("its header is cut short");
    }
    if (version > kVersion) {
        m_reason = "the project was made by a newer version of Pictoform (file version " +
                   std::to_string(version) + ")";
        return false;
    }
    // An icon file holds at most 65535 images.
    if (m_formatCount == 0 || m_formatCount > 65535) {
        return Damaged("it says it holds " + std::to_string(m_formatCount) + " formats");
    }
    m_head = true;
    return true;
}

bool ProjectReader::Format(ByteReader& in) {
    if (!FinishFormat()) return false;
    if (m_document.formats.size() >= m_formatCount) return Damaged("more formats than it says");
    int32_t width = 0, height = 0, depth = 0, frameTime = 0;
    uint8_t png = 0, hasHotSpot = 0, hasDelay = 0;
    uint16_t hotX = 0, hotY = 0;
    uint32_t nominal = 0, delay = 0, layers = 0;
    if (!in.ReadI32(width) || !in.ReadI32(height) || !in.ReadI32(depth) || !in.ReadU8(png) ||
        !in.ReadU8(hasHotSpot) || !in.ReadU16(hotX) || !in.ReadU16(hotY) ||
        !in.ReadI32(frameTime) || !in.ReadU32(nominal) || !in.ReadU8(hasDelay) ||
        !in.ReadU32(delay) || !in.ReadU32(layers)) {
        return Damaged("a format's description is cut short");
    }
    // Only 32-bit formats are stored compressed, and only those go above 256.
    const int32_t maxSide = depth == kDepth32 ? kMaxPngSide : 256;
    if (width < 1 || height < 1 || width > maxSide || height > maxSide ||
        !IsValidDepthCode(depth) || layers == 0) {
        return Damaged("a format of " + std::to_string(width) + " x " + std::to_string(height) +
                       ", depth " + std::to_string(depth) + " with " + std::to_string(layers) +
                       " layers");
    }
    // What the formats will take to edit is counted before any is made, as
    // for any file: a small project can name many large layers.
    m_bytes += EditBytes(width, height, layers);
    if (m_bytes > kMaxDocumentBytes) {
        m_reason = TooLargeToEdit();
        return false;
    }
    auto format = std::make_unique<CIconFormat>(std::max(kBaseZoom / width, 1), width, height,
                                                depth, m_counter);
    if (!format->IsValid()) {
        m_reason = "there is not enough memory to open it";
        return false;
    }
    format->SetStoredAsPng(png != 0);
    if (hasHotSpot) format->SetCursorHotSpot(HotSpot{hotX, hotY});
    if (frameTime > 0) format->SetFrameTime(frameTime);
    XcursorAsRead xcursor;
    xcursor.nominalSize = nominal;
    if (hasDelay) xcursor.delay = delay;
    format->SetAsReadFromXcursor(xcursor);
    // The layer the format was made with becomes the file's first: the
    // format knows it as its first layer.
    std::vector<LayerEntry> made = format->TakeLayers();
    m_current.first = std::move(made.front().layer);
    m_current.format = std::move(format);
    m_current.layers = layers;
    return true;
}

bool ProjectReader::Layer(ByteReader& in) {
    if (!m_current.format) return Damaged("a layer outside any format");
    if (m_current.entries.size() >= m_current.layers) {
        return Damaged("a format with more layers than it says");
    }
    uint8_t visible = 0;
    uint32_t opacityBits = 0;
    std::string name;
    std::span<const uint8_t> colour, coverage;
    if (!in.ReadU8(visible) || !in.ReadU32(opacityBits) || !ReadText(in, name) ||
        !ReadBytes(in, colour) || !ReadBytes(in, coverage)) {
        return Damaged("a layer is cut short");
    }
    std::unique_ptr<CIconLayer> layer = std::move(m_current.first);
    if (!layer) layer = std::make_unique<CIconLayer>(m_counter);
    if (layer->Committed().IsNull() &&
        !layer->Create(m_current.format->Width(), m_current.format->Height())) {
        m_reason = "there is not enough memory to open it";
        return false;
    }
    std::string why;
    if (!LoadPicture(colour, coverage, layer->Committed(), why)) {
        // A name is told as far as a person reads one.
        return Damaged("layer \"" + name.substr(0, 64) + "\": " + why);
    }
    (void)layer->Committed().CopyTo(layer->Working());
    float opacity = 0;
    std::memcpy(&opacity, &opacityBits, sizeof opacity);
    layer->SetOpacity(opacity);
    m_highestLayer = std::max(m_highestLayer, LayerNumber(name));
    layer->SetName(std::move(name));
    m_current.entries.push_back({std::move(layer), visible != 0});
    return true;
}

bool ProjectReader::FinishFormat() {
    if (!m_current.format) return true;
    if (m_current.entries.size() != m_current.layers) {
        return Damaged("a format with fewer layers than it says");
    }
    m_current.format->ReturnLayers(std::move(m_current.entries));
    m_current.format->Compose();
    m_document.formats.push_back(std::move(m_current.format));
    m_current = {};
    return true;
}

bool ProjectReader::Animation(ByteReader& in) {
    AnimationInfo& info = m_document.animation;
    if (!ReadNumbers(in, info.sequence) || !ReadNumbers(in, info.stepRates) ||
        !ReadText(in, info.title) || !ReadText(in, info.author)) {
        return Damaged("the animation's description is cut short");
    }
    // Times are given per step of the order, or not at all.
    if (!info.stepRates.empty() && info.stepRates.size() != info.sequence.size()) {
        return Damaged("the animation's times do not match its order");
    }
    return true;
}

} // namespace

ProjectFormatRef ProjectRefOf(const CIconFormat& format) {
    ProjectFormatRef ref{&format, {}};
    const std::vector<CIconLayer*>& shown = format.VisibleLayers();
    for (const auto& layer : format.Layers()) {
        ref.layers.push_back(
            {layer.get(), std::find(shown.begin(), shown.end(), layer.get()) != shown.end()});
    }
    return ref;
}

std::vector<ProjectFormatRef>
ProjectRefsOf(const std::vector<std::unique_ptr<CIconFormat>>& formats) {
    std::vector<ProjectFormatRef> refs;
    for (const auto& format : formats) refs.push_back(ProjectRefOf(*format));
    return refs;
}

bool IsProjectData(std::span<const uint8_t> data) {
    return data.size() >= sizeof kSignature &&
           std::memcmp(data.data(), kSignature, sizeof kSignature) == 0;
}

bool EncodeProject(std::span<const ProjectFormatRef> formats, const AnimationInfo& animation,
                   const std::string& kind, std::vector<uint8_t>& out, std::string& reason,
                   const std::string& originPath, const std::string& originKind) {
    // What is written must open again: a document beyond what the reader
    // takes is refused here, while its work is still open.
    uint64_t bytes = 0;
    for (const ProjectFormatRef& ref : formats) {
        if (ref.layers.empty()) {
            reason = "a format has no layers";
            return false;
        }
        bytes += EditBytes(ref.format->Width(), ref.format->Height(), ref.layers.size());
    }
    if (formats.empty() || formats.size() > 65535 || bytes > kMaxDocumentBytes) {
        reason = formats.empty() ? "there is no format" : TooLargeToEdit();
        return false;
    }
    out.assign(std::begin(kSignature), std::end(kSignature));
    std::vector<uint8_t> body;
    PutU16(body, kVersion);
    PutU16(body, 0);
    PutU32(body, static_cast<uint32_t>(formats.size()));
    PutText(body, kind);
    PutChunk(out, "HEAD", body);
    for (const ProjectFormatRef& ref : formats) {
        const CIconFormat& f = *ref.format;
        body.clear();
        PutU32(body, static_cast<uint32_t>(f.Width()));
        PutU32(body, static_cast<uint32_t>(f.Height()));
        PutU32(body, static_cast<uint32_t>(f.Depth()));
        PutU8(body, f.StoredAsPng() ? 1 : 0);
        PutU8(body, f.CursorHotSpot() ? 1 : 0);
        PutU16(body, f.CursorHotSpot() ? f.CursorHotSpot()->x : 0);
        PutU16(body, f.CursorHotSpot() ? f.CursorHotSpot()->y : 0);
        PutU32(body, static_cast<uint32_t>(f.FrameTime()));
        PutU32(body, f.AsReadFromXcursor().nominalSize);
        PutU8(body, f.AsReadFromXcursor().delay ? 1 : 0);
        PutU32(body, f.AsReadFromXcursor().delay.value_or(0));
        PutU32(body, static_cast<uint32_t>(ref.layers.size()));
        PutChunk(out, "FRMT", body);
        for (const ProjectLayerRef& layer : ref.layers) {
            if (!EncodeLayer(layer.layer->Working(), layer.visible, layer.layer->Opacity(),
                             layer.layer->Name(), body, reason)) {
                return false;
            }
            PutChunk(out, "LAYR", body);
        }
    }
    if (animation != AnimationInfo{}) {
        body.clear();
        PutU32(body, static_cast<uint32_t>(animation.sequence.size()));
        for (uint32_t v : animation.sequence) PutU32(body, v);
        PutU32(body, static_cast<uint32_t>(animation.stepRates.size()));
        for (uint32_t v : animation.stepRates) PutU32(body, v);
        PutText(body, animation.title);
        PutText(body, animation.author);
        PutChunk(out, "ANIM", body);
    }
    if (!originPath.empty()) {
        body.clear();
        PutText(body, originPath);
        PutText(body, originKind);
        PutChunk(out, "path", body);
    }
    PutChunk(out, "DONE", {});
    return true;
}

bool DecodeProject(std::span<const uint8_t> data, LayerCounter& counter, ProjectDocument& out,
                   std::string& reason) {
    LayerCounter working = counter;
    ProjectReader reader(working, reason);
    ProjectDocument document;
    if (!reader.Read(data, document)) return false;
    out = std::move(document);
    counter = working;
    return true;
}

} // namespace pictoform
