#!/bin/sh
# Makes the ADPCM fixture of the sound chip tests with an independent,
# standard Yamaha ADPCM encoder and decoder (ffmpeg). Run once; the outputs
# are committed:
#   adpcm_tone.bin  the encoded stream, nibbles swapped so that the first
#                   sample of each byte sits in the high nibble, as the chip
#                   reads them
#   adpcm_tone.pcm  ffmpeg's decoding of the same stream: signed 16-bit
#                   little-endian mono, one sample per nibble
# The tone is a chirp with a small second partial; it reaches full scale,
# so the decoder's clamp and its largest steps are exercised.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ffmpeg -hide_banner -loglevel error -y -f lavfi \
  -i "aevalsrc=0.9*sin(2*PI*(150+6000*t)*t)+0.1*sin(2*PI*3100*t):s=16000:d=0.25" \
  -ac 1 -c:a adpcm_yamaha -f wav "$tmp/tone.wav"
ffmpeg -hide_banner -loglevel error -y -i "$tmp/tone.wav" -f s16le -c:a pcm_s16le adpcm_tone.pcm

python3 - "$tmp/tone.wav" adpcm_tone.bin <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pos = 12
while pos + 8 <= len(data):
    tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
    if tag == b"data":
        payload = data[pos + 8:pos + 8 + size]
        break
    pos += 8 + size + (size & 1)
else:
    sys.exit("no data chunk")
open(sys.argv[2], "wb").write(bytes(((b & 0x0F) << 4) | (b >> 4) for b in payload))
PY
