// One emulated frame: the input word, the adapter's frame with its timing,
// the stop of the game's program, the frame's sound, the rewind capture
// and the periodic NVRAM write.
#include "frontend/frontend.h"
#include "frontend/input.h"

void step_frame() {
    uint32_t word = 0;
    if (!movie_next_word(&word)) word = input_word_from_bindings();
    movie_record_word(word);
    fe.input_word = word;
    if (fe.adapter.set_inputs) fe.adapter.set_inputs(word);

    int frames = 0;
    char err[300] = "";
    uint64_t t0 = SDL_GetPerformanceCounter();
    int rc = fe.adapter.run_frame ? fe.adapter.run_frame(fe.audio_buffer, &frames, err, sizeof err) : 0;
    uint64_t t1 = SDL_GetPerformanceCounter();
    err[sizeof err - 1] = 0;
    double ms = (double)(t1 - t0) * 1000.0 / (double)SDL_GetPerformanceFrequency();
    fe.frame_time_avg_ms = fe.frame_time_avg_ms * 0.95 + ms * 0.05;
    fe.frame_counter++;
    fe.fps_frame_count++;

    if (rc == 1) {
        fe.running = 0;
        fe.rewind.rewinding = 0;
        show_error("The game stopped",
                   "%s\n\nThe native translation does not interpret instructions, so it stops instead of "
                   "guessing. Your autosave and slots are unaffected. The log has details:\n%s",
                   err, fe.log_path);
        return;
    }

    if (frames > 0 && fe.audio_device && fe.audio_stream) {
        // Never more than the frame buffer holds: the adapter's maximum and
        // the 16 spare samples it was allocated with.
        uint64_t room = (uint64_t)fe.adapter.max_audio_frames + 8;
        queue_frame_audio(fe.audio_buffer, (uint64_t)frames < room ? frames : (int)room);
    }
    if (fe.rewind.entries) rewind_after_frame();
    if (fe.frame_counter % 120 == 0) flush_nvram();
}
