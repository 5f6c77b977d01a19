// The colour profile a picture carries, found where each format keeps it and named as the profile
// names itself; sRGB, no profile and damaged places are no warning.
#include "picture/colour_profile.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "tests/picture/made_files.h"
#include "tests/support/png_file.h"

namespace orbskin::picture {
namespace {

using namespace made;

void put(Bytes& to, std::string_view text) {
    to.insert(to.end(), text.begin(), text.end());
}
void put32(Bytes& to, std::uint32_t value, bool big = true) {
    for (int k = 0; k < 4; ++k)
        to.push_back(std::uint8_t(value >> (big ? 24 - 8 * k : 8 * k)));
}

// An ICC profile naming itself `name` in a version 2 ("desc") or version 4 ("mluc") tag.
Bytes icc(std::string_view kind, std::string_view name) {
    Bytes tag;
    put(tag, kind), put32(tag, 0);
    if (kind == "desc") {
        put32(tag, std::uint32_t(name.size() + 1)), put(tag, name), tag.push_back(0);
    } else {
        put32(tag, 1), put32(tag, 12), put(tag, "enUS");
        put32(tag, std::uint32_t(2 * name.size())), put32(tag, 28);
        for (const char c : name)
            tag.insert(tag.end(), {0, std::uint8_t(c)});
    }
    Bytes profile(36, 0);
    put(profile, "acsp"), profile.resize(128), put32(profile, 1);
    put(profile, "desc"), put32(profile, 144), put32(profile, std::uint32_t(tag.size()));
    profile.insert(profile.end(), tag.begin(), tag.end());
    return profile;
}

using test::png::chunk;

Bytes png(std::vector<Bytes> chunks) {
    chunks.push_back(chunk("IDAT", {1, 2, 3}));
    return test::png::file(chunks);
}

Bytes iccp(const Bytes& profile) {  // the name, its zero, the method; the "stream" as it is
    return chunk("iCCP", joined({'i', 'c', 'c', 0, 0}, profile));
}

Bytes jpeg(const Bytes& profile, bool after_scan = false) {  // JFIF, a scan if asked, then APP2
    Bytes file{0xFF, 0xD8, 0xFF, 0xE0, 0, 7, 'J', 'F', 'I', 'F', 0};
    if (after_scan) file.insert(file.end(), {0xFF, 0xDA, 0, 4, 0, 0});
    const std::size_t length = profile.size() + 16;
    file.insert(file.end(), {0xFF, 0xE2, std::uint8_t(length >> 8), std::uint8_t(length)});
    put(file, std::string_view("ICC_PROFILE\0\1\1", 14));
    return joined(file, profile);
}

Bytes tiff(const Bytes& profile) {  // little-endian: one entry, the profile after the directory
    Bytes file{'I', 'I', '*', 0};
    put32(file, 8, false), file.insert(file.end(), {1, 0, 0x73, 0x87, 7, 0});
    put32(file, std::uint32_t(profile.size()), false), put32(file, 26, false), put32(file, 0);
    return joined(file, profile);
}

Bytes webp(const Bytes& profile) {
    Bytes file;
    put(file, "RIFF"), put32(file, 0, false), put(file, "WEBPVP8X"), put32(file, 10, false);
    file.resize(file.size() + 10);
    put(file, "ICCP"), put32(file, std::uint32_t(profile.size()), false);
    return joined(file, profile);
}

Bytes bmp(const Bytes& profile, std::string_view kind = "DEBM") {  // "MBED", stored backwards
    Bytes file{'B', 'M'};
    file.resize(14), put32(file, 124, false), file.resize(70), put(file, kind);
    file.resize(126), put32(file, 124, false), put32(file, std::uint32_t(profile.size()), false);
    file.resize(138);
    return joined(file, profile);
}

// A PNG's gamma (gAMA, here as stored) is named as a profile is, unless it is sRGB's near enough
// or a profile or an sRGB part overrules it.
TEST(colour_profile, is_found_where_each_format_keeps_it_and_named_unless_srgb) {
    const Bytes adobe = icc("desc", "Adobe RGB (1998)"), p3 = icc("mluc", "Display P3");
    const std::tuple<const char*, Bytes, std::optional<std::string>> cases[] = {
        // and the name
        {"PNG iCCP", png({chunk("IHDR", Bytes(13)), iccp(adobe)}), "Adobe RGB (1998)"},
        {"PNG iCCP and sRGB", png({iccp(adobe), chunk("sRGB", {0})}), std::nullopt},
        {"PNG iCCP of sRGB", png({iccp(icc("desc", "GIMP built-in sRGB"))}), std::nullopt},
        {"PNG, a linear sRGB", png({iccp(icc("desc", "Linear sRGB"))}), "Linear sRGB"},
        {"PNG, an esRGB", png({iccp(icc("desc", "Artifex esRGB"))}), "Artifex esRGB"},
        {"PNG, the grey of sRGB", png({iccp(icc("desc", "Artifex sGray ICC Profile"))}),
         std::nullopt},
        {"PNG iCCP after the data", joined(png({}), iccp(adobe)), std::nullopt},
        {"PNG iCCP cut short", first(png({iccp(adobe)}), 60), std::nullopt},
        {"JPEG APP2", jpeg(p3), "Display P3"},
        {"JPEG c2, an sRGB", jpeg(icc("desc", "c2")), std::nullopt},
        {"JPEG APP2 after the scan", jpeg(p3, true), std::nullopt},
        {"JPEG, a profile with no name", jpeg(icc("mluc", "")), ""},
        {"JPEG, not a profile", jpeg(Bytes(200, 7)), ""},
        {"TIFF tag 34675", tiff(p3), "Display P3"},
        {"WebP ICCP", webp(adobe), "Adobe RGB (1998)"},
        {"BMP embedded", bmp(p3), "Display P3"},
        {"BMP of sRGB", bmp(p3, "BGRs"), std::nullopt},
        {"PNG gAMA 1.0", png({chunk("gAMA", {0, 1, 0x86, 0xA0})}), "gAMA 100000"},
        {"PNG gAMA 0.3", png({chunk("gAMA", {0, 0, 0x75, 0x30})}), "gAMA 30000"},
        {"PNG gAMA 0.45455", png({chunk("gAMA", {0, 0, 0xB1, 0x8F})}), std::nullopt},
        {"PNG gAMA 0.45, near enough", png({chunk("gAMA", {0, 0, 0xAF, 0xC8})}), std::nullopt},
        {"PNG gAMA 1.0 and sRGB", png({chunk("gAMA", {0, 1, 0x86, 0xA0}), chunk("sRGB", {0})}),
         std::nullopt},
        {"PNG gAMA 1.0 and a profile", png({iccp(adobe), chunk("gAMA", {0, 1, 0x86, 0xA0})}),
         "Adobe RGB (1998)"},
    };
    const ProfileInflater as_it_is = [](std::span<const std::uint8_t> stream) {
        return std::optional(Bytes(stream.begin(), stream.end()));
    };
    for (const auto& [what, file, named] : cases) {
        const ProfilePlace place = profile_place(skin::FieldReader(file));
        std::optional<std::string> said = foreign_profile(place, as_it_is);
        if (place.gamma) said = (said ? *said + ", " : "") + "gAMA " + std::to_string(place.gamma);
        EXPECT_EQ(said, named) << what;
    }
    const ProfileInflater refusing = [](std::span<const std::uint8_t>) { return std::nullopt; };
    EXPECT_EQ(foreign_profile(profile_place(skin::FieldReader(png({iccp(adobe)}))), refusing),
              std::nullopt);
}

}  // namespace
}  // namespace orbskin::picture
