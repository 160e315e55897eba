// Sound output helpers that tests reach directly: the numbers the device,
// the gain and the queue cap are chosen by.
#pragma once

#include <cstdint>

// The device's buffer size in sample frames for a latency target.
int audio_buffer_samples(int latency_ms);

// The volume factor in 1/256 steps: 0 when muted, volume x 256 / 100.
int audio_gain(int mute, int volume);

// out[i] = (in[i] x gain) >> 8 for `count` samples.
void scale_samples(const int16_t* in, int16_t* out, int count, int gain);

// Whether a converted chunk is thrown away rather than queued: the queue
// already holds more than twice the latency target plus 40 ms. A device
// that reports less than 1000 bytes a second has no cap.
int audio_chunk_dropped(uint32_t queued, int bytes_per_second, int latency_ms);
