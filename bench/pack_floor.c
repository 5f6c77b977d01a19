/* The floor of a pack: only its I/O. Reads the twelve pictures whole, writes 443904 bytes to a
 * temporary file, syncs it, renames it over ORBSKIN.000 and syncs the folder. No checks, no
 * conversion. Usage: pack_floor DIR */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* const names[12] = {"mainnds.bmp", "listnds.bmp", "musicnds.bmp", "ebooknds.bmp",
                                      "movie.bmp",   "music.bmp",   "image.bmp",    "game.bmp",
                                      "ebook.bmp",   "option.bmp",  "dir.bmp",      "updir.bmp"};
static unsigned char picture[147510];
static unsigned char skin[443904];

int main(int argc, char** argv) {
    char path[4096], temporary[4096];
    const char* dir = argc > 1 ? argv[1] : ".";
    for (int i = 0; i < 12; ++i) {
        snprintf(path, sizeof path, "%s/%s", dir, names[i]);
        const int fd = open(path, O_RDONLY);
        if (fd < 0 || read(fd, picture, sizeof picture) < 0) return perror(path), 1;
        skin[i] = picture[54];
        close(fd);
    }
    snprintf(path, sizeof path, "%s/ORBSKIN.000", dir);
    snprintf(temporary, sizeof temporary, "%s/ORBSKIN.000.tmp-floor", dir);
    const int out = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || write(out, skin, sizeof skin) != (ssize_t)sizeof skin || fsync(out) != 0 ||
        close(out) != 0 || rename(temporary, path) != 0)
        return perror(temporary), 1;
    const int folder = open(dir, O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0) return perror(dir), 1;
    close(folder);
    return 0;
}
