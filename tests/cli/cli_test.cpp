// orbskin-cli pack, check and unpack: options, output streams and exit statuses, run in-process.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <random>
#include <sstream>
#include <tuple>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "runtime/error.h"
#include "skin/settings.h"
#include "tests/support/injecting_os.h"
#include "tests/support/png_file.h"
#include "tests/support/reference_skin.h"
#include "tests/support/temp_folder.h"

namespace orbskin::cli {
namespace {

using test::Bytes;

// What orbskin-cli, run in-process, said and ended with.
struct CliResult {
    int status;
    std::string out, err;
};
CliResult run_cli(std::vector<std::string> args, std::span<const AddCommand> picture_commands = {},
                  runtime::Os& os = disk::system_os()) {
    args.insert(args.begin(), "orbskin-cli");
    std::ostringstream out, err;
    const int status = run(os, args, out, err, picture_commands);
    return {status, out.str(), err.str()};
}

// A PNG of that size, of a thousand colours far apart from their neighbours': too many for pixel
// art, with no photo's or gradient's smooth shades; `colour`, a chunk, before its data.
Bytes png(std::uint32_t width, std::uint32_t height, const Bytes& colour = {}) {
    Bytes rows;
    for (std::uint32_t i = 0; i < width * height; ++i) {
        if (i % width == 0) rows.push_back(0);  // no filter
        rows.insert(rows.end(), {std::uint8_t(i % 1000 * 97), std::uint8_t(i % 1000 >> 8), 7});
    }
    Bytes data(compressBound(uLong(rows.size())));  // compressed, as photos are told by size
    uLongf length = uLongf(data.size());
    EXPECT_EQ(compress(data.data(), &length, rows.data(), uLong(rows.size())), Z_OK);
    data.resize(length);
    using namespace test::png;
    return file({ihdr(width, height, 8, 2), colour, chunk("IDAT", data), chunk("IEND", {})});
}

// The head of a baseline JPEG of that size.
Bytes jpeg(std::uint16_t width, std::uint16_t height) {
    Bytes head{0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0, 0, 0, 0, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    head[7] = height >> 8, head[8] = height & 255, head[9] = width >> 8, head[10] = width & 255;
    return head;
}

// Every piece is somewhere in the text.
void expect_all_in(const std::string& text, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces)
        EXPECT_NE(text.find(piece), std::string::npos) << piece << "\nin\n" << text;
}

class cli_command : public testing::Test {
  protected:
    void SetUp() override { test::write_pictures(folder.path()); }
    CliResult pack(std::vector<std::string> options = {}) {
        options.insert(options.begin(), {"pack", "--dir", folder.path().string()});
        return run_cli(options);
    }
    CliResult check(runtime::Os& os = disk::system_os()) {
        return run_cli({"check", "--dir", folder.path().string()}, {}, os);
    }
    [[nodiscard]] Bytes skin() const { return test::read_file(folder / "ORBSKIN.000"); }
    test::TempFolder folder;
    // How check's table goes on under a picture's row.
    const std::string fix = "\n              fix: ", to_do = "\n              to do: ";
};

// A failure on standard error with status 1 and no skin; a warning beside "Finish!".
TEST_F(cli_command, pack_reports_failures_and_warnings_on_stderr) {
    std::filesystem::remove(folder / "movie.bmp");
    const CliResult failed = pack();
    EXPECT_EQ(std::tie(failed.status, failed.out, failed.err),
              std::tuple(1, "", "movie.bmp not found!\n"));
    EXPECT_FALSE(std::filesystem::exists(folder / "ORBSKIN.000"));
    test::write_pictures(folder.path());
    Bytes file = png(256, 192);  // a PNG padded to the length: named as check names it
    file.resize(147510);
    test::write_file(folder / "listnds.bmp", file);
    const CliResult warned = pack();
    EXPECT_EQ(std::tie(warned.status, warned.out), std::tuple(0, "Finish!\n"));
    expect_all_in(warned.err, {"warning: listnds.bmp: PNG file of 256×192, not BMP: ",
                               "; run \"orbskin-cli check --dir " + folder.path().string()});
    EXPECT_TRUE(std::filesystem::exists(folder / "ORBSKIN.000"));
}

#ifndef _WIN32
// A skin linked to the one on the handheld's card is written there, in the card's folder; a link
// to a card that is not there, to a FIFO, a device or a folder, or to itself writes nothing and
// says so, in the same words on every platform.
TEST_F(cli_command, pack_writes_a_linked_skin_through_the_link) {
    const test::TempFolder card;
    const std::filesystem::path link = folder / "ORBSKIN.000", on_card = card / "ORBSKIN.000";
    std::filesystem::create_symlink(on_card, link);
    // What the link leads to (a file, nothing, a FIFO, the link itself); what pack says.
    const std::pair<std::string, std::string> cases[] = {
        {"file", ""},
        {"nothing", " is a link that leads to no file (No such file or directory)"},
        {"fifo", " leads to a FIFO, not a file"},
        {"folder", " leads to a folder, not a file"},
        {"itself", " is a link that points to itself"},
    };
    for (const auto& [leads_to, refusal] : cases) {
        std::filesystem::remove(on_card);
        if (leads_to == "file") test::write_file(on_card, Bytes(10, 1));
        ASSERT_TRUE(leads_to != "fifo" || mkfifo(on_card.c_str(), 0644) == 0);
        if (leads_to == "folder") std::filesystem::create_directory(on_card);
        if (leads_to == "itself") std::filesystem::create_symlink(link, on_card);
        const CliResult result = pack();
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(card.names().size(), leads_to == "nothing" ? 0u : 1u) << leads_to;
        EXPECT_EQ(
            std::filesystem::symlink_status(on_card).type() == std::filesystem::file_type::fifo,
            leads_to == "fifo");
        using Said = std::tuple<int, std::string, std::string>;  // status, out, err
        EXPECT_EQ(
            Said(result.status, result.out, result.err),
            refusal.empty()
                ? Said(0, "Finish!\n", "")
                : Said(1, "", '"' + link.string() + '"' + refusal + ", so nothing was written\n"));
        if (refusal.empty()) {
            EXPECT_EQ(test::read_file(on_card).size(), 443904u);
        }
    }
}
#endif

// Our words, CLI11's refusals among them, then the hint, with status 2 (pack's own refusals, one
// by one: settings_line_test.cpp).
TEST(cli_usage, is_refused_with_status_2_and_a_hint) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "A command is required"},
        {{"pak"}, "\"pak\" is not a command of orbskin-cli; the commands are: pack, check"},
        {{"pack", "--colour=1,2,3"}, "--colour=1,2,3 is not an option of orbskin-cli pack"},
        {{"pack", "extra"}, "extra is a stray word: orbskin-cli pack takes options only"},
        {{"unpack", "a", "b"}, "b is a stray word: orbskin-cli unpack takes SKIN and options only"},
        {{"--versio"}, "--versio is not an option of orbskin-cli; did you mean --version?"},
        {{"check", "--bogus"}, "--bogus is not an option of orbskin-cli check\n"},
        {{"--dir", ".", "pack", "--no-hint"},
         "--dir goes after the command: orbskin-cli pack --dir . --no-hint"},
        {{"check", "--dir", "a", "--dir", "b"}, "--dir is given more than once"},
        {{"pack", "--list-color=", "1,0,0"}, "--list-color: expected R,G,B, got \"\""},
        {{"check", "--dir", ".", "--no-hint=maybe"}, "--hint takes true or false, not \"maybe\""},
        {{"check", "--dir", ".", "--list-color=1,2"}, "--list-color: expected R,G,B, got \"1,2\""}};
    for (const auto& [args, said] : cases) {
        const CliResult result = run_cli(args);
        EXPECT_EQ(std::tie(result.status, result.out), std::tuple(2, "")) << result.err;
        EXPECT_TRUE(result.err.starts_with(said) && result.err.find("--help") != std::string::npos)
            << result.err;
    }
}

TEST_F(cli_command, pack_takes_its_starting_values_from_another_skin) {
    const auto packed = [&](std::vector<std::string> options) {
        EXPECT_EQ(pack(std::move(options)).status, 0);
        return skin();
    };
    const Bytes old = packed({"--list-color=1,2,3", "--movie-icon=4,5", "--no-hint"});
    test::write_file(folder / "old.000", old);
    const std::string from = (folder / "old.000").string();
    EXPECT_EQ(packed({"--settings-from", from}), old);
    const Bytes changed = packed({"--settings-from", from, "--movie-icon=6,7", "--hint"});
    EXPECT_EQ(changed, packed({"--list-color=1,2,3", "--movie-icon=6,7", "--hint"}));

    std::filesystem::remove(folder / "ORBSKIN.000");
    const std::string not_skin = (folder / "dir.bmp").string();
    const CliResult refused = pack({"--settings-from", not_skin});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.starts_with('"' + not_skin + "\" is not a skin: it is 822 bytes"));
    EXPECT_FALSE(std::filesystem::exists(folder / "ORBSKIN.000"));
}

TEST_F(cli_command, check_names_every_fault_with_its_fix) {
    for (const char* name :
         {"movie.bmp", "game.bmp", "option.bmp", "updir.bmp", "mainnds.bmp", "listnds.bmp"})
        std::filesystem::remove(folder / name);
    std::filesystem::create_directory(folder / "game.bmp");
#ifndef _WIN32
    std::filesystem::remove(folder / "image.bmp");
    ASSERT_EQ(mkfifo((folder / "image.bmp").c_str(), 0644), 0);
    std::filesystem::rename(folder / "music.bmp", folder / "MUSIC.bmp");
#endif
    // musicnds.bmp not the screens' shape; photos of more pixels than import decodes, where no
    // import is proposed; and bytes of no picture behind mainnds.png's extension.
    for (const auto& [name, bytes] : std::initializer_list<std::pair<const char*, Bytes>>{
             {"ebook.bmp", Bytes(12342, 0)},
             {"listnds.png", png(256, 192)},
             {"movie.PNG", png(70, 60, test::png::chunk("gAMA", {0, 1, 0x86, 0xA0}))},  // 1.0
             {"musicnds.bmp", png(640, 384)},
             {"ebooknds.bmp", jpeg(12000, 8000)},
             {"updir.jpg", jpeg(20000, 20000)},
             {"mainnds.png", {'h', 'e', 'l', 'l', 'o'}}})
        test::write_file(folder / name, bytes);
    const std::string dir = folder.path().string();
    test::InjectingOs faulty;  // dir.bmp and listnds.png cannot be opened
    faulty.before = [&](const test::InjectingOs::Call& call) {
        if (call.operation == "open_read" &&
            (call.path.ends_with("dir.bmp") || call.path.ends_with("listnds.png")))
            faulty.fail_call(faulty.calls().size(), EACCES);
    };
    const CliResult result = check(faulty);
    EXPECT_EQ(result.status, 1);
    const auto path = [&](const char* name) { return (folder / name).string(); };
    expect_all_in(
        result.out,
        {"missing, but there is movie.PNG: PNG file of 70×60, not BMP" + fix +
             "orbskin-cli import --dir " + dir + " --trim --force " + path("movie.PNG"),
         "warning: \"" + path("movie.PNG") + "\" says its gamma is 1.0, not sRGB's",
         "missing" + to_do + "put a picture of 64×64 named option.png",
#ifndef _WIN32
         "missing: a FIFO, not a file" + fix + "rm " + path("image.bmp") + "\n",
         "there is MUSIC.bmp: the name differs only in case" + fix + "mv " + path("MUSIC.bmp"),
#endif
         "game.bmp      64×64     12,342 bytes   missing: this is a folder, not a file\n",
         " --crop --force " + path("musicnds.bmp") + " musicnds.bmp\n                   (--crop",
         "\"BM\"): the picture must be a 24-bit BMP" + to_do + "this file cannot be converted",
         "cannot open \"" + path("dir.bmp") + "\": Permission denied",
         "listnds.png\": Permission denied" + to_do + "make listnds.png readable, or replace it",
         "12000×8000 pixels, far too large for a skin" + to_do + "put a picture of 256×192",
         "updir.jpg: it claims 20000×20000 pixels, far too large for a skin" + to_do + "replace",
         "(it starts with \"hello\")" + to_do + "replace mainnds.png with a picture of 256×192",
         "\npack would stop with: mainnds.bmp not found!"});
}

// A picture whose data is cut short, of each kind, under its name or beside it: named with why,
// and what to do instead of an import, which would fail.
TEST_F(cli_command, check_proposes_no_import_of_a_picture_cut_short) {
    const Bytes bmp = test::read_file(folder / "mainnds.bmp"),
                tiff = test::read_file(ORBSKIN_TIFF_FIXTURES "/past_end.tif"),
                webp{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P'};
    Bytes tga{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 64, 0, 64, 0, 24, 0}, cut_png = png(256, 192);
    tga.resize(6000), cut_png.resize(cut_png.size() / 2);
    const std::tuple<std::string, Bytes, const char*> cases[] = {
        {"mainnds.bmp", {bmp.begin(), bmp.begin() + 73755}, "BMP file: its pixels are cut short"},
        {"listnds.png", cut_png, "PNG file: a part claims more bytes than the file holds"},
        {"movie.tga", tga, "TGA file: its pixels are cut short"},
        {"music.bmp", tiff, "TIFF file: its pixels are cut short"},
        {"image.bmp", jpeg(64, 64), "JPEG file: its image data is cut short"},
        {"ebook.webp", webp, "WebP file: its image data is cut short"}};
    for (const auto& [name, bytes, why] : cases)  // a source in place of its picture, or over it
        std::filesystem::remove(folder / (name.substr(0, name.find('.')) + ".bmp")),
            test::write_file(folder / name, bytes);
    const CliResult result = check();
    for (const auto& [name, bytes, why] : cases)
        expect_all_in(result.out, {std::string(why) + to_do + "save " + name + " again from"});
}

#ifndef _WIN32
// Odd entries under a picture's name or a source's, each in its own row, the table complete; each
// fix line one command, and an import proposed only where import can read the file.
TEST_F(cli_command, check_goes_on_through_odd_entries_and_names_each) {
    const auto put = [&](const char* name, const Bytes& b) { test::write_file(folder / name, b); };
    for (const std::string& name : folder.names())  // none of the pictures kept
        std::filesystem::remove(folder / name);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);  // a socket under a picture's name
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    (folder / "image.bmp").string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(sock);
    std::filesystem::create_symlink("dir.bmp", folder / "dir.bmp");
    ASSERT_EQ(mkfifo((folder / "option.png").c_str(), 0644), 0);
    put("musicnds.png", {});
    put("music.svg", {'<', 's', 'v', 'g', '>'});
    put("movie.pdf", {'%', 'P', 'D', 'F', '-', '1'});
    put("ebook.bmp", {'%', 'P', 'D', 'F', '-', '1'});
    put("ebooknds.xcf", {'g', 'i', 'm', 'p', ' ', 'x', 'c', 'f', ' ', 'v', '0', '1', '1', 0});
    put("updir.psd", {});  // no choice beside the PPM, and no document either
    put("updir.ppm", {'P', '6', '\n', '1', '6', ' ', '1', '6', '\n', '2', '5', '5', '\n'});
    Bytes photo = jpeg(300, 200);  // whole: its scan, then its end
    photo.insert(photo.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0, 0x12, 0x34, 0xFF, 0xD9});
    put("listnds.jpg", photo);
    put("game.png", png(256, 192));
    put("game.gif", {'G', 'I',  'F', '8', '9', 'a', 64, 0, 64, 0, 0x80, 0, 0, 0,    0, 0, 255, 255,
                     255, 0x2C, 0,   0,   0,   0,   1,  0, 1,  0, 0,    2, 2, 0x44, 1, 0, 0x3B});
    put("mainnds.bmp", png(256, 192));  // broken, and a newer picture of its name beside it
    std::filesystem::last_write_time(
        folder / "mainnds.bmp",
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    put("mainnds.png", png(256, 192));
    const std::string bare = folder.path().string(), dir = bare + "/";
    const std::string import = fix + "orbskin-cli import --dir " + bare + " --force " + dir;
    const CliResult result = check();
    EXPECT_EQ(result.status, 1);
    expect_all_in(
        result.out,
        {"missing: a link that points to itself" + fix + "rm " + dir + "dir.bmp\n",
         "missing, but there is option.png, a FIFO, not a file" + fix + "rm " + dir +
             "option.png\n",
         "musicnds.png, which is empty (0 bytes)" + to_do + "replace musicnds.png with a picture",
         "there is music.svg, an SVG drawing" + to_do +
             "export it as PNG from the program that made it, at 64×64, as music.png",
         "there is movie.pdf, a PDF document" + to_do + "export the page as PNG",
         "6 bytes: PDF document, not BMP",
         "missing, but there is ebooknds.xcf, a GIMP picture (XCF)" + to_do +
             "export it as PNG from GIMP, at 256×192, as ebooknds.png in the folder, and run",
         "updir.ppm: PPM picture of 16×16, not BMP; also updir.psd, which is empty (0 bytes)" + fix,
         "listnds.jpg: JPEG file of 300×200, not BMP" + fix + "orbskin-cli import --dir " + bare +
             " --crop --dither --force " + dir + "listnds.jpg",
         "\n                   (--dither: a photo's smooth shades",
         "game.gif and game.png; keep the one you mean and run orbskin-cli check --dir " + bare +
             " --fix, or one of these" + import + "game.gif game.bmp" + fix + "orbskin-cli import",
         ", but there is mainnds.png: PNG file of 256×192, not BMP, newer, which the fix takes" +
             import + "mainnds.png mainnds.bmp\n",
         "a socket or another kind of entry, not a file" + fix + "rm " + dir + "image.bmp\n",
         "\nupdir.bmp ", "\npack would stop with: mainnds.bmp file length is wrong!"});
    EXPECT_EQ(result.out.find("import --dir " + bare + " --force " + dir + "musicnds.png"),
              std::string::npos);
}
#endif

#ifdef ORBSKIN_TEST_IMPORT
// check --fix makes every picture before it puts any: a source that fails when import reads it
// (an editor saving over it, a card pulled) leaves the folder as it was.
TEST_F(cli_command, check_fix_makes_all_its_pictures_or_none) {
    for (const auto& [name, width, height] : {std::tuple{"mainnds", 256, 192}, {"music", 64, 64}}) {
        std::filesystem::remove(folder / (std::string(name) + ".bmp"));
        test::write_file(folder / (std::string(name) + ".png"), png(width, height));
    }
    constexpr AddCommand kImport[] = {add_import};
    const std::vector<std::string> fix{"check", "--dir", folder.path().string(), "--fix"};
    test::InjectingOs counting;  // how often the table alone opens each source
    (void)check(counting);
    const auto opens = [&](std::string_view source) {
        return int(std::count_if(counting.calls().begin(), counting.calls().end(), [&](auto& c) {
            return c.operation == "open_read" && c.path.ends_with(source);
        }));
    };
    const std::vector<std::string> before = folder.names();
    test::InjectingOs failing;
    failing.fail_nth("open_read", opens("music.png") + 1, EIO, "music.png");
    const CliResult failed = run_cli(fix, kImport, failing);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("no fix was run, so nothing was replaced"), std::string::npos);
    EXPECT_EQ(folder.names(), before);
    // A picture saved under music.bmp while mainnds.png is converted stays.
    test::InjectingOs saving;
    saving.before = [&, seen = 0](const test::InjectingOs::Call& call) mutable {
        if (call.operation == "open_read" && call.path.ends_with("mainnds.png") &&
            ++seen == opens("mainnds.png") + 1)
            test::write_file(folder / "music.bmp", {'m', 'i', 'n', 'e'});
    };
    EXPECT_EQ(run_cli(fix, kImport, saving).status, 1);
    EXPECT_EQ(test::read_file(folder / "music.bmp"), (Bytes{'m', 'i', 'n', 'e'}));
    std::filesystem::remove(folder / "music.bmp");
    const CliResult fixed = run_cli(fix, kImport);
    EXPECT_EQ(fixed.status, 0) << fixed.out << fixed.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "mainnds.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "music.bmp"));
}
#endif

TEST(new_folder, packs_as_it_is_and_is_never_made_over_pictures) {
    const test::TempFolder root;
    const std::string folder = (root / "skin").string();
    ASSERT_EQ(run_cli({"new", folder}).status, 0);
    // The three starting text colours read well over the templates; white does not.
    const CliResult fresh = run_cli({"check", "--dir", folder});
    EXPECT_EQ(fresh.status, 0);
    EXPECT_EQ(fresh.out.find("warning:"), std::string::npos) << fresh.out;
    expect_all_in(fresh.out, {"\npack would pass the checks\n"});
    expect_all_in(run_cli({"check", "--dir", folder, "--list-color=255,255,255"}).out,
                  {"\nwarning: List text color 255,255,255 over listnds.bmp: contrast 1."});
    EXPECT_EQ(run_cli({"check", "--dir", (root / "nosuch").string()}).err,
              "there is no folder \"" + (root / "nosuch").string() + "\"\n");
    // A disk that fills at the seventh picture leaves none, so new can be run again.
    test::InjectingOs full;
    full.fail_nth("write", 7, ENOSPC);
    EXPECT_EQ(run_cli({"new", (root / "full").string()}, {}, full).status, 1);
    EXPECT_TRUE(std::filesystem::is_empty(root / "full"));
    std::filesystem::remove(root / "skin" / "ORBSKIN.000");
    std::filesystem::remove(root / "skin" / "music.bmp");
    const Bytes before = test::read_file(root / "skin" / "dir.bmp");
    const CliResult again = run_cli({"new", folder});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.starts_with("these pictures already exist and were left alone: mainnds"));
    EXPECT_FALSE(std::filesystem::exists(root / "skin" / "music.bmp"));
    EXPECT_EQ(test::read_file(root / "skin" / "dir.bmp"), before);
#ifndef _WIN32
    // A link loop under the first picture's name: the table, pack's words and the warnings come.
    std::filesystem::remove(root / "skin" / "mainnds.bmp");
    std::filesystem::create_symlink("mainnds.bmp", root / "skin" / "mainnds.bmp");
    expect_all_in(run_cli({"check", "--dir", folder, "--list-color=255,255,255"}).out,
                  {"\npack would stop with: cannot look up", "\nwarning: List text color"});
#endif
}

// unpack refuses what is not a skin and keeps what exists; it replaces all twelve pictures or
// none: a folder or a FIFO under a picture's name is found before anything is written, and a
// write that fails leaves no picture replaced.
TEST_F(cli_command, unpack_refuses_and_replaces_all_twelve_or_none) {
    ASSERT_EQ(pack().status, 0);
    const std::string skin_path = (folder / "ORBSKIN.000").string();
    const test::TempFolder target;
    test::write_pictures(target.path());
    for (const std::string name : {"music.bmp", "updir.bmp", "file"})
        test::write_file(target / name, {1});
    // Every name in the folder, and the bytes of every file.
    const auto contents = [&] {
        std::vector<std::pair<std::string, Bytes>> all;
        for (const std::string& name : target.names())
            all.emplace_back(name, std::filesystem::is_regular_file(target / name)
                                       ? test::read_file(target / name)
                                       : Bytes{});
        return all;
    };
    std::filesystem::remove(target / "movie.bmp");
    std::filesystem::create_directory(target / "movie.bmp");
    const std::string movie = (target / "movie.bmp").string(),
                      dir = "--dir=" + target.path().string();
    const std::vector<std::string> args{"unpack", "--force", dir, skin_path};
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{"unpack", dir, folder.path().string()},
         "\"" + folder.path().string() + "\" is a folder, not a skin file\n"},
        {{"unpack", "--dir=" + (target / "file").string(), skin_path},
         "cannot create folder \"" + (target / "file").string() + "\": Not a directory\n"},
        {{"unpack", dir, skin_path},
         "these pictures already exist and were left alone: mainnds.bmp, listnds.bmp, "},
        {args, "cannot unpack: \"" + movie + "\" is a folder; nothing was written\n"},
    };
    auto before = contents();
    for (const auto& [command, message] : refusals) {
        const CliResult refused = run_cli(command);
        EXPECT_EQ(std::tie(refused.status, refused.out), std::tuple(1, ""));
        EXPECT_TRUE(refused.err.starts_with(message)) << refused.err;
        EXPECT_EQ(contents(), before);
    }
    std::filesystem::remove(target / "movie.bmp");
    test::write_file(target / "movie.bmp", test::read_file(folder / "movie.bmp"));
    EXPECT_EQ(run_cli(args).status, 0);
    EXPECT_EQ(test::read_file(target / "music.bmp").size(), 12342u);
}

TEST(round_trip, pack_gives_the_reference_skin_and_unpack_then_pack_the_same_bytes) {
    std::mt19937 random(20261206);
    test::TempFolder first, second;
    test::write_pictures(first.path());
    for (const skin::Picture& picture : skin::kPictures) {  // every pixel value, not only patterns
        Bytes bytes = test::read_file(first / picture.name);
        for (std::size_t k = skin::kBmpHeaderLength; k < bytes.size(); ++k)
            bytes[k] = static_cast<std::uint8_t>(random());
        test::write_file(first / picture.name, bytes);
    }
    // Every option by its name, in both forms by turns, each field at its byte.
    const char* options[] = {"--list-color",    "--selected-color",  "--ebook-color",
                             "--movie-icon",    "--music-icon",      "--image-icon",
                             "--game-icon",     "--ebook-icon",      "--setup-icon",
                             "--list-position", "--menu-text-offset"};
    std::vector<std::string> args{"pack", "--dir", first.path().string(), "--no-hint"};
    std::array<int, 25> values{};
    for (std::size_t g = 0, field = 0; g < std::size(options); ++g) {
        std::string value;
        for (std::size_t k = 0; k < (g < 3 ? 3u : 2u); ++k, ++field) {
            values[field] = static_cast<int>(random() % 256);
            value += (k ? "," : "") + std::to_string(values[field]);
        }
        args.push_back(g % 2 ? std::string(options[g]) : options[g] + ("=" + value));
        if (g % 2) args.push_back(value);  // the value as a word of its own
    }
    test::write_file(first / "ORBSKIN.000", Bytes(500000, 0x5A));  // longer than any skin
    ASSERT_EQ(run_cli(args).out, "Finish!\n");
    Bytes original = test::read_file(first / "ORBSKIN.000");
    EXPECT_EQ(original, test::reference_skin(first.path(), values, false));
    const CliResult unpacked =
        run_cli({"unpack", "--dir", second.path().string(), (first / "ORBSKIN.000").string()});
    ASSERT_EQ(std::tie(unpacked.status, unpacked.err), std::tuple(0, ""));
    std::istringstream words(unpacked.out);
    std::vector<std::string> again{"pack", "--dir", second.path().string()};
    again.insert(again.end(), std::istream_iterator<std::string>(words), {});
    ASSERT_EQ(run_cli(again).status, 0);
    EXPECT_EQ(test::read_file(second / "ORBSKIN.000"), original);

    original[443392 + 48] = 7, original[443392 + 100] = 1;
    test::write_file(first / "ORBSKIN.000", original);
    const CliResult odd = run_cli(
        {"unpack", "--force", "--dir", second.path().string(), (first / "ORBSKIN.000").string()});
    expect_all_in(odd.err, {"warning: the show hint byte is 7", "warning: settings byte 100"});
}

}  // namespace
}  // namespace orbskin::cli
