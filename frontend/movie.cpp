// Input movies: recording the starting state and then the input word of
// every frame, and playing the newest movie back word for word from its
// starting state. Recording and playback never run at the same time.
#include "frontend/movie.h"

#include <cstdlib>
#include <cstring>

#include "frontend/frontend.h"
#include "frontend/states.h"

namespace {

constexpr size_t LOAD_ERROR_SIZE = 200;
// The status while recording: this, then the file's name.
const char RECORDING_STATUS[] = "REC ";

// The greatest movie name by strcmp in the movies folder (with the
// time-stamped names, the newest); 0 when there is none.
int newest_movie(char* out, size_t out_size) {
    DirEntry* list = nullptr;
    int count = list_dir(fe.movies_dir, &list);
    const char* best = nullptr;
    for (int i = 0; i < count; i++)
        if (!list[i].is_folder && is_movie_name(list[i].name) && (!best || strcmp(list[i].name, best) > 0))
            best = list[i].name;
    if (best) snprintf(out, out_size, "%s", best);
    free(list);
    return best != nullptr;
}

// The starting state: the container after the header, checked and loaded
// into the game. 1 when the game now stands at the movie's start.
int load_movie_start(const uint8_t* container, uint32_t size) {
    char err[LOAD_ERROR_SIZE] = "";
    uint32_t length = 0;
    const uint8_t* snapshot = parse_state_container(container, size, nullptr, &length, err, sizeof err);
    if (snapshot && fe.adapter.load_snapshot && fe.adapter.load_snapshot(snapshot, length, err, sizeof err))
        return 1;
    show_error("Cannot play movie", "%s", err);
    return 0;
}

// Closes the recording. It is saved only when every word reached the file
// and the close, which writes what was still buffered, succeeded too.
void end_recording(bool written) {
    bool closed = fclose(fe.movie_file) == 0;
    fe.movie_file = nullptr;
    if (written && closed)
        show_toast("Recording saved");
    else
        show_toast("Recording failed: cannot write %s", fe.movie_status + sizeof RECORDING_STATUS - 1);
    fe.movie_status[0] = '\0';
}

}  // namespace

void movie_file_name(time_t t, char* out, size_t out_size) {
    struct tm local;
    if (!localtime_r(&t, &local) || strftime(out, out_size, "movie-%Y%m%d-%H%M%S.femv", &local) == 0)
        out[0] = '\0';  // no name: the file cannot be opened, which is reported
}

int is_movie_name(const char* name) {
    const char* dot = strrchr(name, '.');
    return dot && strcmp(dot, ".femv") == 0;
}

void end_movie() {
    if (fe.movie_file) end_recording(true);
    if (fe.movie_data) {
        free(fe.movie_data);
        fe.movie_data = nullptr;
        fe.movie_size = fe.movie_pos = 0;
        show_toast("Playback finished");
    }
    fe.movie_status[0] = '\0';
}

void start_movie_recording() {
    end_movie();
    size_t size = 0;
    uint8_t* container = build_state_container(&size);
    if (!container) {
        show_toast("Cannot start recording");
        return;
    }
    char name[MOVIE_NAME_SIZE];
    movie_file_name(time(nullptr), name, sizeof name);
    char path[FE_PATH_SIZE];
    int fits = join_path(path, sizeof path, fe.movies_dir, name);
    FILE* f = fits ? fopen(path, "wb") : nullptr;
    // The header, the starting state and their flush must all reach the
    // file; a movie without its start could never be played.
    uint8_t header[MOVIE_HEADER_SIZE];
    memcpy(header, MOVIE_MAGIC, sizeof MOVIE_MAGIC);
    put_le32(header + 8, (uint32_t)size);
    bool written = f && size <= UINT32_MAX && fwrite(header, 1, sizeof header, f) == sizeof header &&
                   fwrite(container, 1, size, f) == size && fflush(f) == 0;
    free(container);
    if (!written) {
        if (f) {
            fclose(f);
            remove(path);
        }
        show_toast("Cannot write %s", fits ? path : fe.movies_dir);
        return;
    }
    fe.movie_file = f;
    static_assert(sizeof RECORDING_STATUS - 1 + MOVIE_NAME_SIZE <= sizeof fe.movie_status, "the name fits whole");
    snprintf(fe.movie_status, sizeof fe.movie_status, "%s%s", RECORDING_STATUS, name);
    show_toast("Recording inputs to %s", name);
}

void stop_movie_recording() { end_movie(); }

int play_latest_movie() {
    end_movie();
    char name[sizeof(DirEntry{}.name)];
    if (!newest_movie(name, sizeof name)) {
        show_toast("No recorded movies yet");
        return 0;
    }
    char path[FE_PATH_SIZE];
    size_t size = 0;
    uint8_t* data = join_path(path, sizeof path, fe.movies_dir, name) ? read_whole_file(path, &size) : nullptr;
    if (!data || size < MOVIE_HEADER_SIZE || memcmp(data, MOVIE_MAGIC, sizeof MOVIE_MAGIC) != 0) {
        free(data);
        show_toast("Movie file is not valid");
        return 0;
    }
    uint32_t state_size = get_le32(data + 8);
    if (size - MOVIE_HEADER_SIZE < state_size) {
        free(data);
        show_toast("Movie file is truncated");
        return 0;
    }
    if (!load_movie_start(data + MOVIE_HEADER_SIZE, state_size)) {
        free(data);
        return 0;
    }
    fe.movie_data = data;
    fe.movie_size = size;
    fe.movie_pos = MOVIE_HEADER_SIZE + state_size;
    fe.running = 1;
    clear_input_state();
    flush_audio();
    snprintf(fe.movie_status, sizeof fe.movie_status, "PLAY %s", path_basename(path));
    return 1;
}

int movie_next_word(uint32_t* word) {
    if (!fe.movie_data) return 0;
    if (fe.movie_pos > fe.movie_size || fe.movie_size - fe.movie_pos < 4) {
        // Out of words: the movie ends and this frame still runs, with no input.
        end_movie();
        *word = 0;
        return 1;
    }
    *word = get_le32(fe.movie_data + fe.movie_pos);
    fe.movie_pos += 4;
    return 1;
}

void movie_record_word(uint32_t word) {
    if (!fe.movie_file) return;
    uint8_t bytes[4];
    put_le32(bytes, word);
    // A word that cannot be written ends the recording at once: the frames
    // after it would be missing from the movie.
    if (fwrite(bytes, 1, sizeof bytes, fe.movie_file) != sizeof bytes) end_recording(false);
}
