#include "platform/gstreamer/SoundOutputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace mova {

namespace {

// ALSA lists a card as a line starting with its number (" 0 [PCH ..."); a
// machine without one has "--- no soundcards ---".
bool ListsACard(const std::string& cards) {
  std::istringstream lines(cards);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && std::isdigit(static_cast<unsigned char>(line[first]))) return true;
  }
  return false;
}

}  // namespace

bool MayHaveSoundOutput(const TSoundClues& clues) {
  if (!clues.Environment("PULSE_SERVER").empty()) return true;
  std::string runtime = clues.Environment("XDG_RUNTIME_DIR");
  if (runtime.empty()) runtime = "/run/user/" + std::to_string(clues.UserId);
  for (const std::string& socket : {runtime + "/pulse/native", runtime + "/pipewire-0",
                                    std::string("/var/run/pulse/native")}) {
    if (clues.Exists(socket)) return true;
  }
  if (clues.AlsaCards.empty() ? clues.Exists("/dev/snd/controlC0") : ListsACard(clues.AlsaCards)) return true;
  return clues.Exists("/dev/dsp");
}

bool MayHaveSoundOutput() {
  TSoundClues clues;
  clues.Exists = [](const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
  };
  clues.Environment = [](const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return std::string(value != nullptr ? value : "");
  };
  std::ifstream cards("/proc/asound/cards");
  clues.AlsaCards.assign(std::istreambuf_iterator<char>(cards), std::istreambuf_iterator<char>());
  clues.UserId = getuid();
  return MayHaveSoundOutput(clues);
}

}  // namespace mova
