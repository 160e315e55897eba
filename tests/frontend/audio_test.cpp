// Sound output: the device and stream under SDL's disk driver (whose file
// records what the device played), the volume, the queue cap and counts.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "frontend/audio.h"
#include "tests/frontend/pads_and_probes.h"

namespace {

TEST(AudioNumbers, BufferGainAndQueueCap) {
    const int buffers[][2] = {{16, 256},  {23, 256},  {24, 512},   {43, 512},   {44, 1024},
                              {87, 1024}, {88, 2048}, {171, 2048}, {172, 4096}, {250, 4096}};
    for (const auto& b : buffers) EXPECT_EQ(audio_buffer_samples(b[0]), b[1]) << b[0] << " ms";

    EXPECT_EQ(audio_gain(0, 80), 204);
    EXPECT_EQ(audio_gain(0, 100), 256);
    EXPECT_EQ(audio_gain(0, 0), 0);
    EXPECT_EQ(audio_gain(1, 100), 0);
    const int16_t in[] = {-32768, 32767, 1, -1, 1000};
    int16_t out[5];
    scale_samples(in, out, 5, 256);
    EXPECT_EQ(std::vector<int16_t>(out, out + 5), std::vector<int16_t>(in, in + 5));
    scale_samples(in, out, 5, 204);
    EXPECT_EQ(std::vector<int16_t>(out, out + 5), (std::vector<int16_t>{-26112, 26111, 0, -1, 796}));

    // The cap is twice the latency plus 40 ms; no cap under 1000 bytes a second.
    EXPECT_FALSE(audio_chunk_dropped(32256, 192000, 64));
    EXPECT_TRUE(audio_chunk_dropped(32257, 192000, 64));
    EXPECT_FALSE(audio_chunk_dropped(1u << 30, 999, 64));
    EXPECT_TRUE(audio_chunk_dropped(1u << 30, 1000, 64));
}

class AudioTest : public PadTest {
protected:
    void SetUp() override {
        audio_driver = "disk";
        PadTest::SetUp();
        raw_path = dir + "/played.raw";
        setenv("SDL_DISKAUDIOFILE", raw_path.c_str(), 1);
    }
    void TearDown() override {
        PadTest::TearDown();
        unsetenv("SDL_DISKAUDIOFILE");
    }

    // Runs `count` frames of the fake game, handing each frame's sound over.
    void queue_fake_frames(int count) {
        for (int i = 0; i < count; i++) {
            int frames = 0;
            char err[64];
            fe.adapter.run_frame(fe.audio_buffer, &frames, err, sizeof err);
            queue_frame_audio(fe.audio_buffer, frames);
        }
    }

    // Lets the device play its queue out, closes it and returns what it
    // played, without the silence before and after the sound.
    std::vector<int16_t> play_out() {
        SDL_PauseAudioDevice(fe.audio_device, 0);
        for (int i = 0; i < 500 && queued() > 0; i++) SDL_Delay(10);
        EXPECT_EQ(queued(), 0u);
        SDL_Delay(200);  // the last buffer reaches the file
        SDL_CloseAudioDevice(fe.audio_device);
        fe.audio_device = 0;
        std::string bytes = read_text(raw_path);
        std::vector<int16_t> samples(bytes.size() / 2);
        memcpy(samples.data(), bytes.data(), samples.size() * 2);
        size_t first = 0, last = samples.size();
        while (first < last && samples[first] == 0) first++;
        while (last > first && samples[last - 1] == 0) last--;
        return std::vector<int16_t>(samples.begin() + (long)first, samples.begin() + (long)last);
    }

    void open_paused() {
        open_paused_audio();
        ASSERT_NE(fe.audio_stream, nullptr);
    }

    std::string raw_path;
};

TEST_F(AudioTest, FullVolumePlaysTheGameSamplesUnchanged) {
    open_paused();
    EXPECT_EQ(fe.audio_obtained.format, AUDIO_S16);
    queue_fake_frames(5);
    EXPECT_EQ(queued(), 5u * FAKE_AUDIO_FRAMES * 4);
    std::vector<int16_t> played = play_out();
    ASSERT_EQ(played.size(), 5u * FAKE_AUDIO_FRAMES * 2);
    for (size_t i = 0; i < played.size(); i++) {
        int16_t expected = (i / 2) % FAKE_TONE_PERIOD < FAKE_TONE_PERIOD / 2 ? FAKE_TONE_LEVEL : -FAKE_TONE_LEVEL;
        ASSERT_EQ(played[i], expected) << i;
    }
}

TEST_F(AudioTest, ToneArrivesConvertedToTheDeviceRate) {
    fe.adapter.audio_rate = 96000.4;  // rounded to 96000: the fake's 48-frame period becomes 2 kHz
    open_paused();
    queue_fake_frames(30);
    std::vector<int16_t> played = play_out();
    size_t frames = played.size() / 2;
    // Half as many frames, less what the converter still holds back.
    EXPECT_LE(frames, 30u * FAKE_AUDIO_FRAMES / 2 + 16);
    EXPECT_GE(frames, 30u * FAKE_AUDIO_FRAMES / 2 - 2048);
    // Period in device frames from the sign changes of the left channel.
    int changes = 0;
    for (size_t i = 1; i < frames; i++) changes += (played[2 * i] > 0) != (played[2 * i - 2] > 0);
    double hz = changes / 2.0 * 48000.0 / (double)frames;
    EXPECT_NEAR(hz, 2000.0, 20.0);
}

TEST_F(AudioTest, MuteAndVolumeZeroQueueSilenceOfTheSameLength) {
    for (int muted : {1, 0}) {
        fe.settings.mute = muted;
        fe.settings.volume = muted ? 100 : 0;
        open_paused();
        queue_fake_frames(3);
        EXPECT_EQ(queued(), 3u * FAKE_AUDIO_FRAMES * 4);
        EXPECT_TRUE(play_out().empty()) << "nothing but zeros reached the file";
    }
}

TEST_F(AudioTest, TheQueueIsCappedAndCountsDropsAndUnderruns) {
    fe.settings.latency_ms = 16;  // cap (16 x 2 + 40) x 192 = 13824 bytes
    open_paused();
    queue_fake_frames(20);
    // Chunks of 3220 bytes are taken while the queue holds at most the cap.
    EXPECT_EQ(queued(), 5u * FAKE_AUDIO_FRAMES * 4);
    EXPECT_EQ(fe.audio_drops, 15);

    // At most 4096 frames of one frame's sound.
    flush_audio();
    fe.settings.latency_ms = 250;
    std::vector<int16_t> big(5000 * 2, 1234);
    queue_frame_audio(big.data(), 5000);
    EXPECT_EQ(queued(), 4096u * 4);
    EXPECT_EQ(SDL_AudioStreamAvailable(fe.audio_stream), 0);

    // Underruns count from frame 121 on.
    flush_audio();
    fe.frame_counter = 120;
    queue_fake_frames(1);
    EXPECT_EQ(fe.audio_underruns, 0);
    flush_audio();
    fe.frame_counter = 121;
    queue_fake_frames(2);  // the second frame finds the queue filled
    EXPECT_EQ(fe.audio_underruns, 1);
}

TEST_F(AudioTest, FlushDiscardsTheQueueAndWhatTheStreamHoldsBack) {
    fe.adapter.audio_rate = 44100;  // a resampling stream keeps some input back
    open_paused();
    queue_fake_frames(1);
    const uint32_t fresh = queued();
    queue_fake_frames(3);
    flush_audio();
    EXPECT_EQ(queued(), 0u);
    queue_fake_frames(1);
    EXPECT_EQ(queued(), fresh) << "nothing held back from before the flush";
}

TEST_F(AudioTest, TheGameRunsSilentlyWithoutAStreamOrADevice) {
    fe.adapter.audio_rate = std::nan("");  // no stream: the device stays open and silent
    open_audio_device();
    EXPECT_NE(fe.audio_device, 0u);
    EXPECT_EQ(fe.audio_stream, nullptr);
    queue_fake_frames(1);
    EXPECT_EQ(queued(), 0u);

    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_audio_device();
    EXPECT_EQ(fe.audio_device, 0u);
    EXPECT_EQ(fe.audio_stream, nullptr);
    queue_fake_frames(1);
    flush_audio();
    std::vector<std::string> lines = log_messages();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("audio disabled: ", 0), 0u) << lines[1];
}

// SDL's dummy driver knows only its default device (the disk driver takes
// any name as the name of its file).
using AudioDeviceTest = PadTest;

TEST_F(AudioDeviceTest, AMissingNamedDeviceFallsBackToTheDefaultPlayingWithTheLatencysBuffer) {
    snprintf(fe.settings.device, sizeof fe.settings.device, "No Such Device");
    fe.settings.latency_ms = 64;
    open_audio_device();
    ASSERT_NE(fe.audio_device, 0u);
    EXPECT_NE(fe.audio_stream, nullptr);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(fe.audio_device), SDL_AUDIO_PLAYING);
    EXPECT_EQ(log_messages(),
              (std::vector<std::string>{"audio device 'No Such Device' unavailable (No such device); using default",
                                        "audio: 48000 Hz, 2 ch, buffer 1024 samples, target latency 64 ms"}));
}

}  // namespace
