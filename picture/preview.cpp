// Lays out and draws the preview sheet at fixed places, so that it reads the same for every skin.
#include "picture/preview.h"

#include <algorithm>
#include <array>

#include "picture/looks.h"

namespace orbskin::picture {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 16;
constexpr int kCaptionHeight = 20;  // room for a caption above each picture
constexpr int kCaptionWidth = 400;
constexpr int kTitleHeight = 32;
constexpr int kIconColumn = 80;  // an icon's column is at least this wide, for its caption
constexpr int kSmallIconScale = 4;
constexpr int kSwatchWidth = 64;
constexpr int kSwatchHeight = 32;
constexpr int kSwatchLabelGap = 8;
constexpr int kLineHeight = 18;
constexpr int kPositionsPerLine = 3;
constexpr std::size_t kFirstSmallIcon = skin::kPictures.size() - kSmallIconCount;
constexpr std::uint32_t kBackground = 0xFFECECEC;
constexpr std::uint32_t kBlack = 0xFF000000;

// Faces for each CJK script, as Windows names them (the UI faces of Windows 8 and later first,
// then Windows 7's), then as Debian's fonts-noto-cjk and fonts-wqy-* do.
struct ScriptFaces {
    std::string_view language;
    std::array<std::string_view, 5> faces;
};
constexpr ScriptFaces kCjkFaces[] = {
    {"ja", {"Yu Gothic UI", "Meiryo UI", "MS UI Gothic", "Noto Sans CJK JP"}},
    {"zh_CN",
     {"Microsoft YaHei UI", "Microsoft YaHei", "SimSun", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}},
    {"zh_TW", {"Microsoft JhengHei UI", "Microsoft JhengHei", "PMingLiU", "Noto Sans CJK TC"}},
    {"ko", {"Malgun Gothic", "Gulim", "Noto Sans CJK KR"}},
};

// The script of a text's CJK characters as the language of kCjkFaces it takes: "ja" for kana,
// "ko" for Hangul, `language` for Han (and CJK punctuation) alone; "" where it has none.
std::string_view cjk_script(std::string_view text, std::string_view language) {
    bool han = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i++]);
        const int more = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = more ? lead & (0x3Fu >> more) : lead;
        for (int n = 0; n < more && i < text.size(); ++n)
            c = c << 6 | (static_cast<unsigned char>(text[i++]) & 0x3Fu);
        if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
            (c >= 0xFF66 && c <= 0xFF9F))
            return "ja";
        if ((c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) ||
            (c >= 0xAC00 && c <= 0xD7AF))
            return "ko";
        han = han || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
              (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || c >= 0x20000;
    }
    return han ? language : "";
}

Rect rect_of(int left, int top, const skin::Picture& picture, int scale = 1) {
    return {left, top, static_cast<int>(picture.width) * scale,
            static_cast<int>(picture.height) * scale};
}

// The row of icons under the screens; gives the row's height.
int lay_out_icons(PreviewLayout& layout, int top) {
    int x = kMargin;
    int tallest = 0;
    for (std::size_t i = kScreenCount; i < skin::kPictures.size(); ++i) {
        const Rect& icon = layout.actual_size[i] = rect_of(x, top, skin::kPictures[i]);
        x += std::max(icon.width, kIconColumn) + kGap;
        tallest = std::max(tallest, icon.height);
        if (i >= kFirstSmallIcon) {
            const Rect& big = layout.small_icons_enlarged[i - kFirstSmallIcon] = rect_of(
                icon.left + icon.width + kGap / 2, top, skin::kPictures[i], kSmallIconScale);
            x += big.width + kGap;
            tallest = std::max(tallest, big.height);
        }
    }
    return tallest;
}

class Canvas {
  public:
    Canvas(Sheet& sheet) : sheet_(sheet) {}
    void fill(const Rect& r, std::uint32_t colour) {
        for (int y = std::max(r.top, 0); y < std::min(r.top + r.height, sheet_.height); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.left + r.width, sheet_.width); ++x)
                sheet_.pixels[std::size_t(y) * sheet_.width + x] = colour;
    }
    // A 1-pixel black frame just outside `r`.
    void frame(const Rect& r) {
        fill({r.left - 1, r.top - 1, r.width + 2, 1}, kBlack);
        fill({r.left - 1, r.top + r.height, r.width + 2, 1}, kBlack);
        fill({r.left - 1, r.top, 1, r.height}, kBlack);
        fill({r.left + r.width, r.top, 1, r.height}, kBlack);
    }
    // Picture `index` as it looked in the editor (the section stores the bottom row first),
    // each pixel a square of `scale` pixels; only what lies inside `clip`, when given.
    void picture(const skin::UnpackedSkin& skin, std::size_t index, const Rect& at,
                 const Rect* clip = nullptr) {
        const skin::Picture& picture = skin::kPictures[index];
        const int scale = at.width / static_cast<int>(picture.width);
        for (int y = 0; y < at.height; ++y) {
            const std::size_t row = picture.height - 1 - static_cast<std::size_t>(y / scale);
            for (int x = 0; x < at.width; ++x) {
                if (clip && !clip->intersects({at.left + x, at.top + y, 1, 1})) continue;
                const skin::Rgb p =
                    skin.stored_pixels[index][row * picture.width + std::size_t(x / scale)];
                fill({at.left + x, at.top + y, 1, 1}, 0xFF000000u | std::uint32_t{p.red} << 16 |
                                                          std::uint32_t{p.green} << 8 | p.blue);
            }
        }
    }

  private:
    Sheet& sheet_;
};

std::string swatch_text(const skin::UnpackedSkin& skin, std::size_t group) {
    std::string text(skin::kSettingsGroups[group].caption);
    const char* separator = " ";
    for (const std::size_t field : skin::fields_of(group)) {
        text += separator + std::to_string(skin.values[field]);
        separator = ",";
    }
    return text;
}

std::vector<std::string> settings_lines(const skin::UnpackedSkin& skin, const Say& say) {
    std::vector<std::string> lines(1);
    int on_line = 0;
    for (std::size_t g = kColourCount; g < skin::kSettingsGroups.size(); ++g) {
        if (on_line++ == kPositionsPerLine) lines.emplace_back(), on_line = 1;
        const auto fields = skin::fields_of(g);
        lines.back() += std::string(skin::kSettingsGroups[g].caption) + ": " +
                        std::to_string(skin.values[fields.front()]) + "," +
                        std::to_string(skin.values[fields.back()]) + "    ";
    }
    lines.push_back(say(skin.show_hint ? runtime::Message("Show hint: on")
                                       : runtime::Message("Show hint: off")));
    return lines;
}

std::uint32_t colour_of(const skin::UnpackedSkin& skin, std::size_t group) {
    const auto fields = skin::fields_of(group);
    return 0xFF000000u | std::uint32_t{skin.values[fields[0]]} << 16 |
           std::uint32_t{skin.values[fields[1]]} << 8 | skin.values[fields[2]];
}

// Sample lines of the list (the second one selected) from the list position over listnds.bmp,
// and of an ebook over ebooknds.bmp, in their colours, on the screens at 2:1: a sketch in the
// platform's font of what the handheld draws in its own.
void sample_lines(const skin::UnpackedSkin& skin, const PreviewLayout& layout, Sheet& sheet,
                  const Say& say) {
    std::size_t position = 0;
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g)
        if (skin::kSettingsGroups[g].caption == "List position") position = g;
    const auto fields = skin::fields_of(position);
    const auto put = [&](const Rect& screen, int x, int y, const auto& lines) {
        for (const SampleLine& line : lines) {
            const Rect at{screen.left + 2 * x, screen.top + 2 * y,
                          std::max(0, screen.width - 2 * x), 2 * kSampleLineHeight};
            if (at.top + at.height <= screen.top + screen.height)
                sheet.texts.push_back({say(runtime::Message(line.text)), at, false,
                                       colour_of(skin, line.colour_group)});
            y += kSampleLineHeight;
        }
    };
    put(layout.double_size[1], skin.values[fields[0]], skin.values[fields[1]], kListSamples);
    put(layout.double_size[3], kEbookAt, kEbookAt, kEbookSamples);
}

}  // namespace

PreviewLayout preview_layout() {
    PreviewLayout layout;
    const skin::Picture& screen = skin::kPictures[0];
    const int screen_w = static_cast<int>(screen.width), screen_h = static_cast<int>(screen.height);
    layout.width = kMargin * 2 + int(kScreenCount) * screen_w + (int(kScreenCount) - 1) * kGap;
    int y = kMargin + kTitleHeight + kCaptionHeight;
    for (int i = 0; i < int(kScreenCount); ++i)
        layout.actual_size[i] = rect_of(kMargin + i * (screen_w + kGap), y, screen);
    y += screen_h + kGap + kCaptionHeight;
    const int double_row = 2 * screen_h + kGap + kCaptionHeight;
    for (int i = 0; i < int(kScreenCount); ++i) {
        layout.double_size[i] =
            rect_of(kMargin + (i % 2) * (2 * screen_w + kGap), y + (i / 2) * double_row, screen, 2);
    }
    y += 2 * double_row;
    y += lay_out_icons(layout, y) + kGap + kCaptionHeight;
    layout.placed = rect_of(kMargin, y, screen, 2);
    y += layout.placed.height + kGap + kCaptionHeight;

    // The swatches share the sheet's width, each with its label to its right.
    const int column = (layout.width - 2 * kMargin + kGap) / int(kColourCount);
    for (int i = 0; i < int(kColourCount); ++i) {
        layout.swatches[i] = {kMargin + i * column, y, kSwatchWidth, kSwatchHeight};
        const int label_left = layout.swatches[i].left + kSwatchWidth + kSwatchLabelGap;
        layout.swatch_labels[i] = {label_left, y, kMargin + (i + 1) * column - kGap - label_left,
                                   kSwatchHeight};
    }
    y += kSwatchHeight + kGap;
    const int positions = int(skin::kSettingsGroups.size() - kColourCount);
    const int text_lines = (positions + kPositionsPerLine - 1) / kPositionsPerLine + 1;  // + hint
    layout.height = y + text_lines * kLineHeight + kMargin;
    return layout;
}

std::string_view caption_face(std::string_view text, std::string_view language,
                              std::string_view system, const MissingGlyphs& missing) {
    const std::string_view script = cjk_script(text, language);
    if (script.empty()) return system;
    std::string_view best = system;
    std::size_t fewest = missing(system);
    // The script's own faces first, then any other CJK face that has more of the characters.
    for (const bool own : {true, false})
        for (const ScriptFaces& group : kCjkFaces)
            for (const std::string_view face : group.faces)
                if ((group.language == script) == own && fewest > 0 && !face.empty())
                    if (const std::size_t lacks = missing(face); lacks < fewest)
                        best = face, fewest = lacks;
    return best;
}

Sheet draw_preview(const skin::UnpackedSkin& skin, const std::string& title, const Say& given) {
    const Say say = given ? given : [](const runtime::Message& m) { return m.text(); };
    const PreviewLayout layout = preview_layout();
    Sheet sheet{layout.width,
                layout.height,
                std::vector<std::uint32_t>(std::size_t(layout.width) * layout.height, kBackground),
                {},
                {}};
    Canvas canvas(sheet);
    sheet.texts.push_back(
        {title, {kMargin, kMargin, layout.width - 2 * kMargin, kTitleHeight}, true});
    const auto caption = [&](const Rect& under, const std::string& text) {
        sheet.texts.push_back({text,
                               {under.left, under.top - kCaptionHeight,
                                std::max(kCaptionWidth, under.width), kCaptionHeight}});
    };
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const std::string name(skin::kPictures[i].name);
        canvas.picture(skin, i, layout.actual_size[i]);
        caption(layout.actual_size[i], name);
        if (i < kScreenCount) {
            canvas.picture(skin, i, layout.double_size[i]);
            caption(layout.double_size[i],
                    say(runtime::Message("{picture} at 2:1", {{"picture", name}})));
        }
        if (i >= kFirstSmallIcon)  // beside the 1:1 picture, under the same caption
            canvas.picture(skin, i, layout.small_icons_enlarged[i - kFirstSmallIcon]);
    }
    canvas.picture(skin, 0, layout.placed);
    caption(layout.placed,
            say(runtime::Message("mainnds.bmp at 2:1, the icons at their positions (a sketch)")));
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        const skin::Picture* icon = skin::picture_in_any_case(skin::kSettingsGroups[g].places);
        if (!icon) continue;
        const auto fields = skin::fields_of(g);
        canvas.picture(skin, std::size_t(icon - skin::kPictures.data()),
                       rect_of(layout.placed.left + 2 * skin.values[fields[0]],
                               layout.placed.top + 2 * skin.values[fields[1]], *icon, 2),
                       &layout.placed);
    }
    sample_lines(skin, layout, sheet, say);
    for (std::size_t g = 0; g < kColourCount; ++g) {
        canvas.fill(layout.swatches[g], colour_of(skin, g));
        canvas.frame(layout.swatches[g]);
        sheet.texts.push_back({swatch_text(skin, g), layout.swatch_labels[g]});
    }
    int y = layout.swatches[0].top + kSwatchHeight + kGap;
    for (const std::string& line : settings_lines(skin, say)) {
        sheet.texts.push_back({line, {kMargin, y, layout.width - 2 * kMargin, kLineHeight}});
        y += kLineHeight;
    }
    return sheet;
}

}  // namespace orbskin::picture
