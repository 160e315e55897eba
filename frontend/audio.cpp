// Sound output: the game's stereo blocks, scaled by the volume, converted
// to the device's rate through an SDL audio stream and queued on SDL's
// queue-mode device with the delay held under a cap.
#include "frontend/audio.h"

#include <cmath>

#include "frontend/frontend.h"

int audio_buffer_samples(int latency_ms) {
    if (latency_ms < 24) return 256;
    if (latency_ms < 44) return 512;
    if (latency_ms < 88) return 1024;
    if (latency_ms < 172) return 2048;
    return 4096;
}

int audio_gain(int mute, int volume) {
    if (mute) return 0;
    if (volume < 0) volume = 0;
    if (volume > 100) volume = 100;
    return volume * 256 / 100;
}

void scale_samples(const int16_t* in, int16_t* out, int count, int gain) {
    for (int i = 0; i < count; i++) out[i] = (int16_t)((in[i] * gain) >> 8);
}

int audio_chunk_dropped(uint32_t queued, int bytes_per_second, int latency_ms) {
    if (bytes_per_second < 1000) return 0;
    int64_t cap = (int64_t)(latency_ms * 2 + 40) * (bytes_per_second / 1000);
    return (int64_t)queued > cap;
}

namespace {

// The adapter's rate rounded to whole hertz; 0 (which the stream refuses)
// for a rate that is not a usable number.
int source_rate() {
    double rate = fe.adapter.audio_rate;
    if (!(rate >= 1.0 && rate < 2147483647.0)) return 0;
    return (int)std::lround(rate);
}

SDL_AudioDeviceID open_device(const char* name, const SDL_AudioSpec* desired) {
    return SDL_OpenAudioDevice(name, 0, desired, &fe.audio_obtained,
                               SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
}

}  // namespace

void open_audio_device() {
    if (fe.audio_device) SDL_CloseAudioDevice(fe.audio_device);
    fe.audio_device = 0;
    if (fe.audio_stream) SDL_FreeAudioStream(fe.audio_stream);
    fe.audio_stream = nullptr;

    int latency = fe.settings.latency_ms;
    SDL_AudioSpec desired{};
    desired.freq = 48000;
    desired.format = AUDIO_S16;
    desired.channels = 2;
    desired.samples = (Uint16)audio_buffer_samples(latency);

    const char* name = fe.settings.device[0] ? fe.settings.device : nullptr;
    fe.audio_device = open_device(name, &desired);
    if (!fe.audio_device && name) {
        log_line("audio device '%s' unavailable (%s); using default", name, SDL_GetError());
        fe.audio_device = open_device(nullptr, &desired);
    }
    if (!fe.audio_device) {
        log_line("audio disabled: %s", SDL_GetError());
        return;
    }
    const SDL_AudioSpec& got = fe.audio_obtained;
    fe.audio_stream = SDL_NewAudioStream(AUDIO_S16, 2, source_rate(), got.format, got.channels, got.freq);
    log_line("audio: %d Hz, %d ch, buffer %d samples, target latency %d ms", got.freq, got.channels,
             got.samples, latency);
    SDL_PauseAudioDevice(fe.audio_device, 0);
}

void flush_audio() {
    if (fe.audio_device) SDL_ClearQueuedAudio(fe.audio_device);
    if (fe.audio_stream) SDL_AudioStreamClear(fe.audio_stream);
}

void queue_frame_audio(const int16_t* samples, int frames) {
    if (!samples || frames <= 0 || !fe.audio_device || !fe.audio_stream) return;
    int n = frames < FE_AUDIO_MIX_FRAMES ? frames : FE_AUDIO_MIX_FRAMES;
    scale_samples(samples, fe.audio_mix, n * 2, audio_gain(fe.settings.mute, fe.settings.volume));
    SDL_AudioStreamPut(fe.audio_stream, fe.audio_mix, n * 4);

    const SDL_AudioSpec& got = fe.audio_obtained;
    int bytes_per_second = got.channels * got.freq * (SDL_AUDIO_BITSIZE(got.format) / 8);
    uint8_t chunk[16384];
    for (;;) {
        int size = SDL_AudioStreamGet(fe.audio_stream, chunk, sizeof chunk);
        if (size <= 0) break;
        uint32_t queued = SDL_GetQueuedAudioSize(fe.audio_device);
        // The first two seconds after a restart fill the queue from empty.
        if (queued == 0 && fe.frame_counter >= 121) fe.audio_underruns++;
        if (audio_chunk_dropped(queued, bytes_per_second, fe.settings.latency_ms))
            fe.audio_drops++;
        else
            SDL_QueueAudio(fe.audio_device, chunk, (Uint32)size);
    }
}
