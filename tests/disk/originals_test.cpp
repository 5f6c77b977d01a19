// A file kept in originals/ before it is replaced: nothing there replaced, and a keep or a
// replacement that fails leaves the file where it was and no empty originals/.
#include "disk/originals.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "disk/files.h"
#include "runtime/error.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"

namespace orbskin::disk {
namespace {

using test::Bytes;

TEST(keep_original, takes_a_free_name_and_leaves_nothing_when_it_fails) {
    const test::TempFolder folder;
    const Bytes document{'8', 'B', 'P', 'S', 1, 2, 3};
    test::write_file(folder / "musicnds.bmp", document);
    std::filesystem::create_directory(folder / "originals");
    test::write_file(folder / "originals" / "musicnds.psd", {9});
    const std::optional<KeptOriginal> kept =
        keep_original(system_os(), folder / "musicnds.bmp", ".psd");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->kept, folder / "originals" / "musicnds-2.psd");
    EXPECT_EQ(test::read_file(kept->kept), document);
    EXPECT_EQ(test::read_file(folder / "originals" / "musicnds.psd"), Bytes{9});
    restore_original(system_os(), *kept);  // the folder was there before: it stays
    EXPECT_EQ(test::read_file(folder / "musicnds.bmp"), document);
    EXPECT_TRUE(std::filesystem::exists(folder / "originals" / "musicnds.psd"));

    std::filesystem::remove_all(folder / "originals");
    for (const char* failing : {"rename", ""}) {  // the move fails; the replacement after it does
        test::InjectingOs os;
        os.fail_nth(failing, 0, ENOSPC);
        try {
            const std::optional<KeptOriginal> moved =
                keep_original(os, folder / "musicnds.bmp", ".psd");
            ASSERT_TRUE(moved && *failing == '\0');
            restore_original(os, *moved);
        } catch (const runtime::Error& error) {
            EXPECT_STREQ(failing, "rename") << error.what();
        }
        EXPECT_EQ(folder.names(), std::vector<std::string>{"musicnds.bmp"}) << failing;
        EXPECT_EQ(test::read_file(folder / "musicnds.bmp"), document);
    }
}

// originals/ a link: to another disk, where the original is copied and stays until replaced; to
// nothing, which is said so and changes nothing.
TEST(keep_original, copies_to_another_disk_and_names_a_link_to_nothing) {
    const test::TempFolder folder;
    test::write_file(folder / "music.bmp", {1, 2});
    test::InjectingOs other_disk;
    other_disk.fail_nth("rename", 0, EXDEV, "music.bmp");
    const std::optional<KeptOriginal> kept =
        keep_original(other_disk, folder / "music.bmp", ".png");
    ASSERT_TRUE(kept && kept->copied);
    EXPECT_EQ(test::read_file(folder / "originals" / "music.png"), (Bytes{1, 2}));
    restore_original(system_os(), *kept);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"music.bmp"});
#ifndef _WIN32  // links need rights Windows seldom gives
    std::filesystem::create_symlink(folder / "nowhere", folder / "originals");
    try {
        (void)keep_original(system_os(), folder / "music.bmp", ".png");
        ADD_FAILURE() << "kept through a link to nothing";
    } catch (const runtime::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  runtime::quoted(folder / "originals") + " is a link that leads to nothing");
    }
    EXPECT_EQ(test::read_file(folder / "music.bmp"), (Bytes{1, 2}));
#endif
}

}  // namespace
}  // namespace orbskin::disk
