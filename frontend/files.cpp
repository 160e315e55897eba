// The data folder's file utilities and the log: paths, folders, whole-file
// reads, the one atomic writer every saved file goes through, folder
// listings for the ROM browser, and the log that mirrors standard error.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <strings.h>

#include "frontend/frontend.h"

namespace {

constexpr int LIST_INITIAL_ROOM = 64;
constexpr int ROOTS_ROOM = 32;
constexpr size_t LOG_MESSAGE_SIZE = 2048;
constexpr mode_t FOLDER_MODE = 0755;

// The places the ROM browser offers besides the home folder, in order.
const char* const BROWSE_ROOTS[] = {"/", "/run/media", "/media", "/mnt", "/home"};

FILE* log_file;

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Copies text into a buffer only when it fits whole; an empty buffer
// otherwise, so no caller ever goes on with a shortened name.
int copy_whole(char* out, size_t out_size, const char* text) {
    if (!out || out_size == 0) return 0;
    size_t n = strlen(text);
    if (n >= out_size) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, text, n + 1);
    return 1;
}

// Stores a listing entry; the name is cut to the entry's room, which no
// name a Linux folder can hold (255 bytes) reaches.
void set_entry(DirEntry* e, const char* name, int is_folder) {
    snprintf(e->name, sizeof e->name, "%s", name);
    e->is_folder = is_folder;
}

int compare_entries_for_qsort(const void* a, const void* b) {
    return compare_dir_entries((const DirEntry*)a, (const DirEntry*)b);
}

// Reads exactly `length` bytes; 0 when the file ends or fails before.
int read_exactly(int fd, uint8_t* data, size_t length) {
    size_t done = 0;
    while (done < length) {
        ssize_t n = read(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        done += (size_t)n;
    }
    return 1;
}

}  // namespace

int join_path(char* out, size_t out_size, const char* folder, const char* name) {
    if (!out || out_size == 0) return 0;
    size_t len = strlen(folder);
    const char* sep = (len > 0 && is_separator(folder[len - 1])) ? "" : "/";
    int n = snprintf(out, out_size, "%s%s%s", folder, sep, name);
    if (n < 0 || (size_t)n >= out_size) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

const char* path_basename(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; p++)
        if (is_separator(*p)) base = p + 1;
    return base;
}

void path_dirname(const char* path, char* out, size_t out_size) {
    if (!out || out_size == 0) return;
    out[0] = '\0';
    const char* last = nullptr;
    for (const char* p = path; *p; p++)
        if (is_separator(*p)) last = p;
    if (!last) return;
    size_t keep = (size_t)(last - path);
    // A root keeps its separator: "/" itself, or a drive root such as "C:\".
    if (keep == 0 || (keep == 2 && path[1] == ':')) keep++;
    if (keep >= out_size) return;  // no parent rather than a shortened one
    memcpy(out, path, keep);
    out[keep] = '\0';
}

int is_regular_file(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

int absolute_path(const char* path, char* out, size_t out_size) {
    if (!path || !out || out_size == 0) return 0;
    if (path[0] == '/') return copy_whole(out, out_size, path);
    char here[FE_PATH_SIZE];
    if (!getcwd(here, sizeof here)) return 0;
    return join_path(out, out_size, here, path);
}

int is_directory(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int make_dirs(const char* path) {
    char buf[FE_PATH_SIZE];
    if (!path || !copy_whole(buf, sizeof buf, path)) return 0;
    size_t len = strlen(buf);
    while (len > 1 && is_separator(buf[len - 1])) buf[--len] = '\0';
    for (size_t i = 1; i < len; i++) {
        if (!is_separator(buf[i])) continue;
        if (i == 2 && buf[1] == ':') continue;  // a drive root
        char saved = buf[i];
        buf[i] = '\0';
        if (!is_directory(buf)) mkdir(buf, FOLDER_MODE);
        buf[i] = saved;
    }
    if (is_directory(buf) || mkdir(buf, FOLDER_MODE) == 0) return 1;
    return is_directory(buf);
}

uint8_t* read_whole_file(const char* path, size_t* length) {
    if (length) *length = 0;
    if (!path) return nullptr;
    // Non-blocking open, so that a pipe is refused instead of waiting for a
    // writer; only a regular file has a size that can be trusted.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    uint8_t* data = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
        (uint64_t)st.st_size < (uint64_t)SIZE_MAX) {
        size_t size = (size_t)st.st_size;
        data = (uint8_t*)malloc(size + 1);
        if (data && read_exactly(fd, data, size)) {
            data[size] = 0;
            if (length) *length = size;
        } else {
            free(data);
            data = nullptr;
        }
    }
    close(fd);
    return data;
}

int write_file_atomic(const char* path, const void* data, size_t length) {
    char tmp[FE_PATH_SIZE];
    int n = path ? snprintf(tmp, sizeof tmp, "%s.tmp", path) : -1;
    if (n < 0 || (size_t)n >= sizeof tmp) return 0;
    FILE* f = fopen(tmp, "wb");
    if (!f) return 0;
    bool ok = length == 0 || fwrite(data, 1, length, f) == length;
    ok = fflush(f) == 0 && ok;
    // The new file must be on disk before it replaces the old one.
    ok = fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(tmp, path) != 0) {
        remove(tmp);
        return 0;
    }
    return 1;
}

int home_dir(char* out, size_t out_size) {
    const char* home = getenv("HOME");
    if (!home) return 0;
    return copy_whole(out, out_size, home);
}

int list_dir(const char* folder, DirEntry** out) {
    *out = nullptr;
    int room = LIST_INITIAL_ROOM;
    DirEntry* list = (DirEntry*)malloc(sizeof(DirEntry) * (size_t)room);
    DIR* dir = (list && folder) ? opendir(folder) : nullptr;
    if (!dir) {
        free(list);
        return -1;
    }
    int count = 0;
    while (struct dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.') continue;
        char path[FE_PATH_SIZE];
        struct stat st;
        if (!join_path(path, sizeof path, folder, d->d_name) || stat(path, &st) != 0) continue;
        if (count == room) {
            DirEntry* grown = room <= INT32_MAX / 2
                                  ? (DirEntry*)realloc(list, sizeof(DirEntry) * (size_t)room * 2)
                                  : nullptr;
            if (!grown) break;  // keep what was listed
            list = grown;
            room *= 2;
        }
        set_entry(&list[count++], d->d_name, S_ISDIR(st.st_mode) ? 1 : 0);
    }
    closedir(dir);
    qsort(list, (size_t)count, sizeof(DirEntry), compare_entries_for_qsort);
    *out = list;
    return count;
}

int compare_dir_entries(const DirEntry* a, const DirEntry* b) {
    if ((a->is_folder != 0) != (b->is_folder != 0)) return a->is_folder ? -1 : 1;
    return strcasecmp(a->name, b->name);
}

int list_browse_roots(DirEntry** out) {
    *out = nullptr;
    DirEntry* list = (DirEntry*)malloc(sizeof(DirEntry) * ROOTS_ROOM);
    if (!list) return -1;
    int count = 0;
    // The home folder is offered untested; one too long for an entry is
    // left out rather than shown shortened.
    const char* home = getenv("HOME");
    if (home && strlen(home) < sizeof list[0].name) set_entry(&list[count++], home, 1);
    for (const char* root : BROWSE_ROOTS)
        if (is_directory(root)) set_entry(&list[count++], root, 1);
    *out = list;
    return count;
}

void open_log(const char* path) {
    close_log();
    log_file = path ? fopen(path, "w") : nullptr;
}

void close_log() {
    if (log_file) fclose(log_file);
    log_file = nullptr;
}

void format_for_log(char* out, size_t size, const char* format, va_list args) {
    if (!out || size == 0) return;
    va_list copy;
    va_copy(copy, args);
    int total = vsnprintf(out, size, format, copy);
    va_end(copy);
    if (total < 0) {
        out[0] = '\0';
        return;
    }
    size_t used = strlen(out);
    // Where each conversion's output starts and ends is what the format up
    // to it and through it would print: the printf family itself walks the
    // arguments, so no type is ever guessed here.
    char head[LOG_MESSAGE_SIZE];
    auto printed = [&](size_t format_length) {
        memcpy(head, format, format_length);
        head[format_length] = '\0';
        va_list walk;
        va_copy(walk, args);
        int n = vsnprintf(nullptr, 0, head, walk);
        va_end(walk);
        return n < 0 ? 0 : (size_t)n;
    };
    size_t done = 0;  // the output up to here has been looked at
    for (const char* f = format; (f = strchr(f, '%')) != nullptr;) {
        if (f[1] == '%') {
            f += 2;
            continue;
        }
        const char* end = f + 1 + strspn(f + 1, "-+ #0'123456789.*hlLqjzt");
        if (!*end) break;
        end++;
        // A format too long to copy (none of ours is) has the rest of its
        // output treated as a value.
        bool copied = (size_t)(end - format) < sizeof head;
        size_t from = copied ? printed((size_t)(f - format)) : done;
        size_t to = copied ? printed((size_t)(end - format)) : used;
        for (size_t i = from; i < to && i < used; i++)
            if ((unsigned char)out[i] < 0x20 || out[i] == 0x7F) out[i] = '?';
        if (!copied) break;
        done = to;
        f = end;
    }
}

void log_entry(const char* message) {
    char stamp[16] = "00:00:00";
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local)) strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    // At most the length a formatted message can have.
    const int most = (int)LOG_MESSAGE_SIZE - 1;
    fprintf(stderr, "[%s] %.*s\n", stamp, most, message);
    if (log_file) {
        fprintf(log_file, "[%s] %.*s\n", stamp, most, message);
        fflush(log_file);
    }
}

void log_line(const char* format, ...) {
    char message[LOG_MESSAGE_SIZE];
    va_list args;
    va_start(args, format);
    format_for_log(message, sizeof message, format, args);
    va_end(args);
    log_entry(message);
}
