// orbskin-cli: the generate command for scripts and batch builds, and tools for skin makers.
#include "cli/cli.h"

#include <vector>

#include "cli/commands.h"
#include "runtime/error.h"

namespace orbskin::cli {

int report_failures(std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const CLI::ParseError&) {
        throw;
    } catch (const runtime::Error& e) {
        err << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "unexpected failure: " << e.what() << '\n';
    }
    return kExitFailure;
}

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CLI::App app{"Builds ORBSKIN.000, the menu skin of the handheld, from twelve BMP pictures.",
                 "orbskin-cli"};
    app.set_version_flag("--version", std::string("orbskin-cli ") + ORBSKIN_VERSION);
    app.require_subcommand(1);

    std::vector<Command> commands{add_pack(app), add_check(app), add_unpack(app)};
#ifdef ORBSKIN_WITH_QT_IMAGES
    commands.push_back(add_import(app));
    commands.push_back(add_preview(app));
#endif

    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend() - 1));
        for (const Command& command : commands)
            if (command.app->parsed()) return command.run(out, err);
        return kExitUsage;
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
}

}  // namespace orbskin::cli
