// The null sound devices: they play nothing but hand buffers back when they would have
// finished playing, paced by a device thread with a real clock (scaled for tests).
#pragma once
#include <memory>

#include "platform/audio.h"

namespace platform::audio {

std::unique_ptr<WaveOut> OpenNullWaveOut(const WaveFormat& fmt, WaveDone done);
std::unique_ptr<MidiStream> OpenNullMidiStream(MidiDone done);

}  // namespace platform::audio
