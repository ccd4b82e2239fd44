// The one audio device and context of the program, opened through ALUT. Units: none.
// Cost: opening starts the audio library's mixer thread; everything else is a flag read.
#pragma once

namespace vorn {

// Opens the default device and makes its context current. The first call
// decides; later calls return the same answer without logging again. When no
// device can be opened (no sound card, no sound server) the failure is
// written to err.txt once and the game plays silently.
bool startAudio();

// True between a successful startAudio() and stopAudio(); every sound and
// music call checks it and does nothing without a device.
bool audioAvailable();

// Closes context and device. The game never calls it (the process simply
// exits); it lets a recording backend finish its output file.
void stopAudio();

}  // namespace vorn
