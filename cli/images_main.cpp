// Entry point of orbskin-cli-images, the helper that orbskin-cli starts for import and preview.
#include <QtGlobal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "language/words.h"

int main(int argc, char** argv) {
    // Qt's and its plugins' own messages are not ours to show: only our one-line messages are.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const std::vector<std::string> args(argv, argv + argc);
    constexpr orbskin::cli::AddCommand kPictureCommands[] = {orbskin::cli::add_import,
                                                             orbskin::cli::add_preview};
    const orbskin::language::Words words(orbskin::language::system_preferences());
    return orbskin::cli::run(orbskin::disk::system_os(), args, std::cout, std::cerr,
                             kPictureCommands, words);
}
