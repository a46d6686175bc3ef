#!/usr/bin/env bash
# Fails, naming the file and the line, when a file of the core (src/framework,
# src/config, src/player, src/app; the composition roots main.cpp and
# WinMain.cpp aside) includes anything but the C++ standard library and the
# program's own headers by their folder ("framework/...", never "../"):
#   core-includes.sh SOURCE_DIR
# The build's include views already refuse a header of a layer above; this
# also catches what they cannot: a system, Qt, GStreamer or Windows header,
# and a way round them through "../".
set -euo pipefail
src=$1/src
# The C++ standard library's headers (C++20), the C ones in their <cname> form.
standard=" algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono cinttypes
  climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal cstdarg cstddef
  cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution filesystem format
  forward_list fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch limits
  list locale map memory memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex
  scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept stop_token streambuf string
  string_view syncstream system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set utility
  valarray variant vector version "
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]*)[>"]'
standard=" $(echo $standard) "  # one blank between names, and at both ends
status=0
while IFS= read -r -d '' file; do
  case ${file##*/} in main.cpp|WinMain.cpp) continue ;; esac
  line=0
  while IFS= read -r text; do
    line=$((line + 1))
    [[ $text =~ $include ]] || continue
    kind=${BASH_REMATCH[1]} name=${BASH_REMATCH[2]}
    if [ "$kind" = "<" ]; then
      [[ $standard == *" ${name} "* ]] && continue
      echo "${file#"$1"/}:$line: <$name> is not a C++ standard header; the core reaches the system only through its seams"
      status=1
    elif [[ $name == *..* || $name != */* ]]; then
      echo "${file#"$1"/}:$line: \"$name\": the core includes its own headers by their folder, never through \"../\""
      status=1
    fi
  done <"$file"
done < <(find "$src/framework" "$src/config" "$src/player" "$src/app" \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
exit $status
