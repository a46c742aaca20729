// The project file: the whole layered document out and back, and every kind
// of damage refused with a reason.

#include <gtest/gtest.h>

#include <libdeflate.h>

#include <cstring>
#include <random>
#include <tuple>

#include "icon/IconBytes.h"
#include "icon/ProjectFile.h"
#include "support/TestSupport.h"

using namespace pictoform;
using namespace pictoform::test;

namespace {

// Three formats of three layers, every plane of every layer random (coverage
// too: fills leave values above 1), one hidden layer each, names, opacities,
// hot spots, times and an animation.
struct Sample {
    LayerCounter counter;
    std::vector<std::unique_ptr<CIconFormat>> formats;
    AnimationInfo animation{{2, 0, 1, 0}, "Spin", "Someone", {0, 7, 0, 9}};

    Sample() {
        std::mt19937 random(7);
        const struct {
            int w, h;
            int32_t depth;
        } kinds[] = {{16, 16, kDepth32}, {24, 20, kDepth256}, {32, 32, kDepth24}};
        int n = 0;
        for (const auto& k : kinds) {
            auto format = std::make_unique<CIconFormat>(8, k.w, k.h, k.depth, counter);
            (void)format->AddLayer(counter, true);
            (void)format->AddLayer(counter, true);
            std::vector<LayerEntry> layers = format->TakeLayers();
            for (size_t i = 0; i < layers.size(); ++i, ++n) {
                CIconLayer& layer = *layers[i].layer;
                layers[i].visible = i != 1;
                layer.SetOpacity(0.2f * static_cast<float>(i + 1) + 0.05f);
                if (n % 4 == 1) layer.SetName("Sky \xc3\xa9t\xc3\xa9");
                CLayerImage& p = layer.Working();
                for (int y = 0; y < p.Height(); ++y) {
                    for (int x = 0; x < 3 * p.Width(); ++x)
                        p.ColourBits()[y * p.Stride() + x] = static_cast<uint8_t>(random());
                }
                for (size_t b = 0; b < size_t(p.Width()) * size_t(p.Height()); ++b) {
                    p.AlphaPlane()[b] = static_cast<uint8_t>(random());
                    p.CoveragePlane()[b] = static_cast<uint8_t>(random() % 4);
                }
                (void)p.CopyTo(layer.Committed());
            }
            format->ReturnLayers(std::move(layers));
            format->SetCursorHotSpot(HotSpot{static_cast<uint16_t>(k.w - 3), 2});
            format->SetFrameTime(5 + n);
            format->SetStoredAsPng(k.w == 16);
            // One format read without a delay: none must come back as none.
            format->SetAsReadFromXcursor(
                {static_cast<uint32_t>(k.w),
                 k.w == 24 ? std::nullopt : std::optional<uint32_t>(30u + uint32_t(k.h))});
            formats.push_back(std::move(format));
        }
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes;
        std::string reason;
        EXPECT_TRUE(EncodeProject(ProjectRefsOf(formats), animation, "ani", bytes, reason))
            << reason;
        return bytes;
    }
};

bool SamePlanes(const CLayerImage& a, const CLayerImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.ColourBits() + y * a.Stride(), b.ColourBits() + y * b.Stride(),
                        3 * static_cast<size_t>(a.Width())) != 0) {
            return false;
        }
    }
    return std::memcmp(a.AlphaPlane(), b.AlphaPlane(),
                       2 * size_t(a.Width()) * size_t(a.Height())) == 0;
}

// Chunks by offset, so that a test can damage one part of a file.
struct ChunkAt {
    size_t offset;
    std::string type;
    uint32_t length;
};
std::vector<ChunkAt> Chunks(const std::vector<uint8_t>& bytes) {
    std::vector<ChunkAt> chunks;
    for (size_t at = 8; at + 12 <= bytes.size(); at += 12 + size_t{U32At(bytes, at)}) {
        chunks.push_back(
            {at, std::string(bytes.begin() + at + 4, bytes.begin() + at + 8), U32At(bytes, at)});
    }
    return chunks;
}
// Mends the checksum of the chunk at `at` after its bytes were changed.
void Reseal(std::vector<uint8_t>& bytes, size_t at) {
    const uint32_t length = U32At(bytes, at);
    PutU32At(bytes, at + 8 + length, libdeflate_crc32(0, &bytes[at + 4], length + 4));
}

bool Decodes(const std::vector<uint8_t>& bytes, std::string& reason) {
    LayerCounter counter;
    ProjectDocument document;
    return DecodeProject(bytes, counter, document, reason);
}

} // namespace

TEST(ProjectFile, TheWholeDocumentComesBackExactly) {
    Sample sample;
    const std::vector<uint8_t> bytes = sample.Bytes();
    LayerCounter counter;
    ProjectDocument document;
    std::string reason;
    ASSERT_TRUE(DecodeProject(bytes, counter, document, reason)) << reason;
    EXPECT_EQ(document.kind, "ani");
    EXPECT_EQ(document.animation, sample.animation);
    ASSERT_EQ(document.formats.size(), 3u);
    for (size_t f = 0; f < 3; ++f) {
        const CIconFormat& was = *sample.formats[f];
        const CIconFormat& is = *document.formats[f];
        const auto fields = [](const CIconFormat& f) {
            return std::tuple(f.Width(), f.Height(), f.Depth(), f.StoredAsPng(), f.CursorHotSpot(),
                              f.FrameTime(), f.AsReadFromXcursor());
        };
        EXPECT_TRUE(fields(is) == fields(was)) << f;
        ASSERT_EQ(is.Layers().size(), 3u);
        ASSERT_EQ(is.VisibleLayers().size(), 2u);
        for (size_t l = 0; l < 3; ++l) {
            const CIconLayer& a = *was.Layers()[l];
            const CIconLayer& b = *is.Layers()[l];
            EXPECT_EQ(std::pair(b.Name(), b.Opacity()), std::pair(a.Name(), a.Opacity()));
            EXPECT_TRUE(SamePlanes(b.Committed(), a.Committed())) << f << "/" << l;
            EXPECT_TRUE(SamePlanes(b.Working(), a.Working())) << f << "/" << l;
        }
        EXPECT_EQ(is.VisibleLayers()[1], is.Layers()[2].get());
        // Composed as the original would be.
        const_cast<CIconFormat&>(was).Compose();
        EXPECT_TRUE(SamePlanes(is.Final(), was.Final()));
    }
    // The next layer is numbered after the file's highest.
    EXPECT_EQ(counter.Next(), sample.counter.Value() + 1);
    // Written again, the same bytes.
    std::vector<uint8_t> again;
    ASSERT_TRUE(
        EncodeProject(ProjectRefsOf(document.formats), document.animation, "ani", again, reason));
    EXPECT_TRUE(again == bytes);
}

TEST(ProjectFile, EveryCutIsRefusedWithAReason) {
    // A small project: one 4 x 4 format, one layer.
    LayerCounter counter;
    std::vector<std::unique_ptr<CIconFormat>> formats;
    formats.push_back(std::make_unique<CIconFormat>(8, 4, 4, kDepth32, counter));
    std::vector<uint8_t> bytes;
    std::string reason;
    ASSERT_TRUE(EncodeProject(ProjectRefsOf(formats), {}, "", bytes, reason));
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        reason.clear();
        const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
        EXPECT_FALSE(Decodes(part, reason)) << cut;
        EXPECT_FALSE(reason.empty()) << cut;
    }
}

TEST(ProjectFile, DamageIsRefusedAndLaterAdditionsAreRead) {
    const std::vector<uint8_t> good = Sample().Bytes();
    const std::vector<ChunkAt> chunks = Chunks(good);
    const auto first = [&](const std::string& type) {
        for (const ChunkAt& c : chunks) {
            if (c.type == type) return c;
        }
        ADD_FAILURE() << type;
        return chunks.front();
    };
    const ChunkAt head = first("HEAD"), format = first("FRMT"), layer = first("LAYR"),
                  animation = first("ANIM");
    // Sets the 32-bit field `at` bytes into the chunk.
    const auto put = [](const ChunkAt& c, size_t at, uint32_t v) {
        return [=](std::vector<uint8_t>& b) { PutU32At(b, c.offset + at, v); };
    };
    const std::vector<uint8_t> grid = {3, 0, 0, 0, 'g', 'r', 'i', 'd', 1, 2, 3, 0, 0, 0, 0};
    const auto at = [](size_t offset) { return static_cast<ptrdiff_t>(offset); };
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        const ChunkAt* sealed; // the chunk whose checksum is mended after, if any
        const char* reason;    // empty: still read
    };
    const std::vector<Case> cases = {
        {"a length past the end", put(layer, 0, 0xfffffff0u), nullptr,
         "the project file is damaged (a part runs past the end of the file)"},
        {"a flipped byte", [&](auto& b) { b[layer.offset + 200] ^= 1; }, nullptr,
         "the project file is damaged (a part's checksum does not match its contents)"},
        {"a newer version", [&](auto& b) { b[head.offset + 8] = 2; }, &head,
         "the project was made by a newer version of Pictoform (file version 2)"},
        {"an unknown part that must be understood",
         [&](auto& b) { std::memcpy(&b[format.offset + 4], "GRID", 4); }, &format,
         "the project was made by a newer version of Pictoform"},
        {"an unknown part that may be passed over",
         [&](auto& b) { b.insert(b.begin() + at(layer.offset), grid.begin(), grid.end()); }, &layer,
         ""},
        {"a format too large to edit",
         [&](auto& b) {
             for (size_t field : {8, 12}) PutU32At(b, format.offset + field, 1024);
             PutU32At(b, format.offset + 8 + 31, 200);
         },
         &format, "its layers would need more than 1 GB to edit, more than Pictoform opens"},
        {"a layer of another size", put(format, 8, 17), &format,
         "the project file is damaged (layer \"Layer 1\": a layer's picture is not the size "
         "of its format)"},
        {"a format without its layers",
         [&](auto& b) {
             b.erase(b.begin() + at(layer.offset),
                     b.begin() + at(layer.offset + 12 + layer.length));
         },
         nullptr, "the project file is damaged (a format with fewer layers than it says)"},
        {"more formats than it says", put(head, 12, 2), &head,
         "the project file is damaged (more formats than it says)"},
        {"an order naming a frame that is not there", put(animation, 12, 3), &animation,
         "the project file is damaged (the order of frames names a frame that is not there)"},
        {"not a project", [](auto& b) { b[1] = 'X'; }, nullptr, "not a Pictoform project"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        if (c.sealed) Reseal(bytes, c.sealed->offset);
        std::string reason;
        EXPECT_EQ(Decodes(bytes, reason), std::string(c.reason).empty()) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
    }
}
