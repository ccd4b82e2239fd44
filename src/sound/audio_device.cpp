#include "sound/audio_device.h"

#include <AL/alut.h>

#include "base/error_log.h"

namespace vorn {
namespace {

enum class DeviceState { NotStarted, Running, Unavailable };
DeviceState state = DeviceState::NotStarted;

}  // namespace

bool startAudio() {
  if (state == DeviceState::NotStarted) {
    if (alutInit(nullptr, nullptr)) {
      state = DeviceState::Running;
    } else {
      state = DeviceState::Unavailable;
      logError("VornSound::startAudio", "\tno audio device, the game plays silently: %s\n",
               alutGetErrorString(alutGetError()));
    }
  }
  return state == DeviceState::Running;
}

bool audioAvailable() { return state == DeviceState::Running; }

void stopAudio() {
  if (state == DeviceState::Running) alutExit();
  state = DeviceState::NotStarted;
}

}  // namespace vorn
