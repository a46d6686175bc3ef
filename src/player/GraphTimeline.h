#pragma once
// The time contract of a media graph, written once: what the engine reads of
// a graph's position, length and end, whatever the framework underneath
// reports. A backend (and the test fake) feeds it what its framework says and
// answers the engine from it; the rules themselves live only here.
//
//  - The position never falls below 0, and never passes an exact length.
//  - Once the stream has played to its end, and after a seek to or past an
//    exact length, the position is the length, until the next seek.
//  - A length not known at the cue, or one that changes while the stream
//    plays, is an estimate: it follows the framework's latest estimate and
//    bounds nothing; the stream's own end makes it exact, as the position
//    where it ended, and it stays so.
//  - A stopped graph keeps the position it was stopped at (some frameworks
//    read 0 once stopped) until it is sought, run or paused.
//  - Seeks are clamped to [0, length] while the length is exact.
//
// Times are media time: 64-bit, 100-ns units.
#include <cstdint>
#include <optional>

namespace mova {

class TGraphTimeline {
 public:
  // The slowest and fastest playback rates a graph is asked for.
  static constexpr double MinRate = 0.25;
  static constexpr double MaxRate = 4.0;

  // The file is cued. `length` is what the framework says of it then;
  // `estimate` says that even that is only a guess. No length at all is an
  // estimate too, of none yet.
  void Cued(std::optional<int64_t> length, bool estimate = false);
  // The framework's latest estimate of the length (none: it has no guess
  // yet); ignored once the length is exact.
  void Estimate(std::optional<int64_t> length);
  // The length as the framework reads it while the stream plays: an exact
  // length that differs from it was an estimate after all, unless the stream
  // has already ended once (then its end fixed it).
  void LengthRead(int64_t length);

  bool HasLength() const { return LengthValue.has_value(); }
  int64_t Length() const { return LengthValue.value_or(0); }
  bool LengthIsEstimate() const { return Estimated; }
  // Whether a length the framework reads now could still change anything
  // (LengthRead); a backend asks it before it asks the framework.
  bool LengthMayChange() const { return LengthValue && !Estimated && !Final; }

  // The position the engine reads, given what the framework reports now
  // (none: it cannot tell, so the last known position stands).
  int64_t Position(std::optional<int64_t> reported);
  // Whether what the framework reports counts now: not at the end, not
  // while stopped. A backend asks it before it asks the framework.
  bool FollowsFramework() const { return !AtEnd && !Holding; }
  // Whether the stream sits at its end: played there, or sought there.
  bool Ended() const { return AtEnd; }

  // Where a seek to `requested` goes: not below 0, not past an exact length.
  int64_t SeekTarget(int64_t requested) const;
  // The framework has sought to `target` (a SeekTarget): the end is left,
  // unless the target is an exact length's end, which is the end again.
  void Sought(int64_t target);

  // The stream has played to its end; `reported` is the framework's
  // position then. An estimated length becomes that position. True when the
  // end is new, so that the engine is told of it once.
  bool EndReached(std::optional<int64_t> reported);

  // The graph was stopped at `reported` (none: the framework cannot tell):
  // that position holds until the next seek, run or pause. Stopped at or past
  // an exact length, the stream sits at its end.
  void Stopped(std::optional<int64_t> reported);
  // The graph runs or pauses again: the framework's position counts again.
  void Resumed() { Holding = false; }

  // Playback rate: the position and the length stay in media time at every
  // rate, so the end and the seeks work unchanged; only the pace differs.
  // Returns the rate kept, clamped to [MinRate, MaxRate].
  double SetRate(double rate);
  double Rate() const { return RateValue; }

  // The framework showed the picture `frame` (media time) after the current
  // one, paused. The position moves by it, not past an exact length; a step
  // onto that length is the stream's end. True when that end is new.
  bool Stepped(int64_t frame);

 private:
  int64_t Clamp(int64_t position) const;
  bool IsExactEnd(int64_t position) const { return LengthValue && !Estimated && position >= *LengthValue; }

  std::optional<int64_t> LengthValue;
  bool Estimated = false;
  bool Final = false;  // the stream has ended once: its length stays
  bool AtEnd = false;
  bool Holding = false;
  int64_t Last = 0;
  double RateValue = 1.0;
};

}  // namespace mova
