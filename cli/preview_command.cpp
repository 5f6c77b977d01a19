// orbskin-cli preview: one PNG sheet of a skin, to look at before copying it to the handheld.
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/whole_files.h"
#include "picture/platform.h"
#include "picture/preview.h"
#include "runtime/utf8_path.h"

namespace orbskin::cli {
namespace {

struct PreviewOptions {
    std::string skin = std::string(skin::kSkinFileName);
    std::string output;
    bool force = false;
};

int preview(runtime::Os& os, const PreviewOptions& options, std::ostream& out) {
    const std::filesystem::path skin_file = runtime::path_from_utf8(options.skin);
    const std::filesystem::path output =
        options.output.empty() ? std::filesystem::path(skin_file).replace_extension(".png")
                               : runtime::path_from_utf8(options.output);
    refuse_to_overwrite(os, output, options.force);
    const std::vector<std::uint8_t> bytes = disk::read_skin_file(os, skin_file);
    const skin::UnpackedSkin skin = skin::unpack_skin(bytes);

    const picture::Sheet sheet =
        picture::draw_preview(skin, runtime::utf8_of(skin_file.filename()) + " preview");
    disk::replace_file(os, output, picture::render_png(sheet));
    out << "wrote " << runtime::utf8_of(output) << " ("
        << skin::size_text(sheet.width, sheet.height) << ")\n";
    return kExitSuccess;
}

}  // namespace

Command add_preview(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(picture_commands_help()[1].name,
                                          picture_commands_help()[1].description);
    auto options = std::make_shared<PreviewOptions>();
    app->add_option("SKIN", options->skin, "The skin file (default: ORBSKIN.000)");
    app->add_option("-o,--output", options->output, "The PNG to write (default: SKIN with .png)")
        ->type_name("FILE.png");
    app->add_flag("--force", options->force, "Replace the PNG if it already exists");

    return {app, [options](runtime::Os& os, std::ostream& out, std::ostream& err) {
                return report_failures(err, [&] { return preview(os, *options, out); });
            }};
}

}  // namespace orbskin::cli
