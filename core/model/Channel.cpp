#include "core/model/Channel.h"

#include "core/model/Song.h"

namespace vs {

TChannel::TChannel(TSong* owner) : Owner(owner), Steps(owner ? &owner->StepContext : nullptr) {
  ControllerStart.fill(255);
  for (auto& l : StepLamps) l.store(0, std::memory_order_relaxed);
}

TChannel::~TChannel() = default;

int TChannel::Index() const {
  if (!Owner) return -1;
  for (size_t i = 0; i < Owner->Channels.size(); ++i)
    if (Owner->Channels[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TChannel::SetColor(uint32_t color) {
  Color = color;
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
}

void TChannel::SetZipped(bool collapsed) {
  Collapsed = collapsed;
  if (collapsed)
    Selected = false;
  else if (!Owner || Owner->SelectOnExpand)
    Selected = true;
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
}

}  // namespace vs
