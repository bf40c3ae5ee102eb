#pragma once
// The synthesizer channels' part of each playing block: the per-step arrays
// of every synthesizer channel are filled ahead for the steps that begin
// within the block, each enabled channel is rendered into its bus (and sent
// to the song echo), then the arrays move on to the next block. Runs in
// MixBlock with MixerLock held; allocates nothing.

#include "engine/Mixer.h"

namespace vs {

// Fills slots 2..k of every synthesizer channel of the song from the
// mixer's clock and returns k, the last slot filled (at most 63: steps past
// it within one block are not looked at).
int FillMB404LookAhead(TMixer& mixer, TSong& song);

// The full render-ahead: look-ahead, render into the buses and the echo,
// slots 0 and 1 := slots k - 2 and k - 1 (when k >= 3).
class TMB404Render : public TSynthRenderHook {
public:
  bool RenderAhead(TMixer& mixer, TSong& song) override;
};

// The program's instance, for TMixer::SetSynthRenderHook at start-up.
TMB404Render& MB404RenderHook();

}  // namespace vs
