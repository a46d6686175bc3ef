#pragma once
// Whether the machine may have a sound output at all. Where there is none
// (a build server, a virtual display), asking the automatic audio sink would
// load every audio plugin and its libraries only to learn as much.
#include <functional>
#include <string>

namespace mova {

struct TSoundClues {
  std::function<bool(const std::string&)> Exists;              // a file or socket at this path
  std::function<std::string(const std::string&)> Environment;  // "" when unset
  std::string AlsaCards;  // the text of /proc/asound/cards; "" when it cannot be read
  unsigned UserId = 0;
};

// True when a sound server's socket (PulseAudio, PipeWire), an ALSA card or
// an OSS device is there: then the audio sinks are worth trying.
bool MayHaveSoundOutput(const TSoundClues& clues);

// The same for this machine and user.
bool MayHaveSoundOutput();

}  // namespace mova
