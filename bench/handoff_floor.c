/* The floor of a safe hand-off on a share: only the file operations a statement needs, one
 * statement after another, nothing laid out and nothing flushed: what handing statements off
 * one at a time through a share costs at the least, as each operation waits for the server.
 *
 * For each *.txt in TEMP (in name order): read it; write a 20 KB staged PDF and a staged request
 * under hidden names; bind the request to the run (rename); claim the statement (rename to a
 * hidden name); publish the PDF (rename into place); write the archive copy; hand the request
 * off (rename into IN); write one record line to the run's record file, kept open; delete the
 * claim.
 *
 * Usage: handoff_floor TEMP OUT STORE IN ARCHIVE RUN
 * Prints "N statements in S s". Exits 1 on the first failure, naming it. */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>
#include <unistd.h>

enum { kPdfSize = 20 * 1024 };

static void die(const char *what, const char *path)
{
    fprintf(stderr, "handoff_floor: %s %s: %s\n", what, path, strerror(errno));
    exit(1);
}

static void writeAll(int fd, const char *data, size_t size, const char *path)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            die("write", path);
        }
        data += n;
        size -= (size_t)n;
    }
}

/* A new file, whole: create, write, close (the close is where a network client reports errors). */
static void writeFile(const char *path, const char *data, size_t size)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        die("create", path);
    writeAll(fd, data, size, path);
    if (close(fd) != 0)
        die("close", path);
}

static size_t readFile(const char *path, char *buffer, size_t capacity)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        die("open", path);
    size_t size = 0;
    for (;;) {
        if (size == capacity)
            die("too long:", path);
        ssize_t n = read(fd, buffer + size, capacity - size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            die("read", path);
        }
        if (n == 0)
            break;
        size += (size_t)n;
    }
    close(fd);
    return size;
}

static void move(const char *from, const char *to)
{
    if (rename(from, to) != 0)
        die("rename", from);
}

static int byName(const void *a, const void *b)
{
    return strcmp(*(char *const *)a, *(char *const *)b);
}

int main(int argc, char **argv)
{
    if (argc != 7) {
        fprintf(stderr, "usage: handoff_floor TEMP OUT STORE IN ARCHIVE RUN\n");
        return 2;
    }
    const char *temp = argv[1], *out = argv[2], *store = argv[3], *in = argv[4], *archive = argv[5],
               *run = argv[6];

    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);

    /* One look at the folder, as a run takes a backlog. */
    DIR *dir = opendir(temp);
    if (!dir)
        die("open folder", temp);
    size_t count = 0, capacity = 256;
    char **names = malloc(capacity * sizeof *names);
    for (struct dirent *e; (e = readdir(dir));) {
        size_t len = strlen(e->d_name);
        if (e->d_name[0] == '.' || len < 5 || strcasecmp(e->d_name + len - 4, ".txt") != 0)
            continue;
        if (count == capacity)
            names = realloc(names, (capacity *= 2) * sizeof *names);
        names[count++] = strdup(e->d_name);
    }
    closedir(dir);
    qsort(names, count, sizeof *names, byName);

    char record[4096];
    snprintf(record, sizeof record, "%s/floor.%s.log", store, run);
    int records = open(record, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (records < 0)
        die("create", record);

    static char pdf[kPdfSize], statement[1 << 20];
    memcpy(pdf, "%PDF-1.4\n", 9);
    for (size_t i = 9; i < kPdfSize; ++i)
        pdf[i] = (char)('a' + i % 26);

    char path[4096], staged[4096], bound[4096], claimed[4096], placed[4096], request[1024], line[1024];
    for (size_t i = 0; i < count; ++i) {
        const char *name = names[i];
        const int stem = (int)(strlen(name) - 4);

        snprintf(path, sizeof path, "%s/%s", temp, name);
        readFile(path, statement, sizeof statement);

        snprintf(staged, sizeof staged, "%s/.%.*s.0105.PDF.%s", out, stem, name, run);
        writeFile(staged, pdf, kPdfSize);
        const int requestSize = snprintf(request, sizeof request,
            "MAILTO=c%.*s@acme.example\r\nFROM=ar@torvik.example\r\nSUBJECT=Statement %.*s\r\n"
            "ATTACH=statements\\out\\%.*s.0105.PDF\r\n", stem, name, stem, name, stem, name);
        snprintf(path, sizeof path, "%s/.STMT_%.*s.%s.TXT.part", store, stem, name, run);
        writeFile(path, request, (size_t)requestSize);
        snprintf(bound, sizeof bound, "%s/.STMT_%.*s.%s.TXT", store, stem, name, run);
        move(path, bound);

        snprintf(path, sizeof path, "%s/%s", temp, name);
        snprintf(claimed, sizeof claimed, "%s/.%s.%s.claimed", temp, name, run);
        move(path, claimed);

        snprintf(placed, sizeof placed, "%s/%.*s.0105.PDF", out, stem, name);
        move(staged, placed);
        snprintf(path, sizeof path, "%s/%.*s.0105.PDF", archive, stem, name);
        writeFile(path, pdf, kPdfSize);

        snprintf(path, sizeof path, "%s/STMT_%.*s.TXT", in, stem, name);
        move(bound, path);

        const int lineSize = snprintf(line, sizeof line, "%s\taccount %.*s\t%s\tmailed\n", name, stem, name, placed);
        writeAll(records, line, (size_t)lineSize, record);

        if (unlink(claimed) != 0)
            die("delete", claimed);
    }
    if (close(records) != 0)
        die("close", record);

    clock_gettime(CLOCK_MONOTONIC, &end);
    printf("%zu statements in %.3f s\n", count,
           (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9);
    return 0;
}
