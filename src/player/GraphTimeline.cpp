#include "player/GraphTimeline.h"

#include <algorithm>

namespace mova {

void TGraphTimeline::Cued(std::optional<int64_t> length, bool estimate) {
  LengthValue.reset();
  if (length) LengthValue = std::max<int64_t>(*length, 0);
  Estimated = estimate || !length;
  Final = false;
  AtEnd = false;
  Holding = false;
  Last = 0;
}

void TGraphTimeline::Estimate(std::optional<int64_t> length) {
  if (Estimated && length) LengthValue = std::max<int64_t>(*length, 0);
}

void TGraphTimeline::LengthRead(int64_t length) {
  // A Matroska file written without its length has the demuxer guess it and
  // correct the guess as it reads.
  if (LengthMayChange() && length != *LengthValue) Estimated = true;
}

int64_t TGraphTimeline::Clamp(int64_t position) const {
  position = std::max<int64_t>(position, 0);
  if (LengthValue && !Estimated) position = std::min(position, *LengthValue);
  return position;
}

int64_t TGraphTimeline::Position(std::optional<int64_t> reported) {
  if (AtEnd) return LengthValue.value_or(Last);
  if (FollowsFramework() && reported) Last = Clamp(*reported);
  return Last;
}

int64_t TGraphTimeline::SeekTarget(int64_t requested) const { return Clamp(requested); }

void TGraphTimeline::Sought(int64_t target) {
  Last = target;
  Holding = false;
  AtEnd = IsExactEnd(target);
}

bool TGraphTimeline::EndReached(std::optional<int64_t> reported) {
  Holding = false;
  if (AtEnd) return false;
  AtEnd = true;
  Final = true;
  if (Estimated) {
    // Where the stream really ended is its length from now on.
    if (reported) Last = std::max<int64_t>(*reported, 0);
    LengthValue = Last;
    Estimated = false;
  }
  return true;
}

void TGraphTimeline::Stopped(std::optional<int64_t> reported) {
  if (AtEnd) return;
  if (reported) Last = Clamp(*reported);
  Holding = true;
  // The engine stops the graph once the position has reached the length; the
  // graph keeps that end until the next seek.
  if (IsExactEnd(Last)) AtEnd = true;
}

double TGraphTimeline::SetRate(double rate) {
  RateValue = std::clamp(rate, MinRate, MaxRate);
  return RateValue;
}

bool TGraphTimeline::Stepped(int64_t frame) {
  if (AtEnd) return false;
  Last = Clamp(Last + std::max<int64_t>(frame, 0));
  if (!IsExactEnd(Last)) return false;
  AtEnd = true;
  Final = true;
  return true;
}

}  // namespace mova
