#include "model/StepStore.h"

namespace vs {

std::array<TFXInfo, StepPlaneCount> StepLanes = {{
    {127, 64, 1, 0x997959, "Pan"},
    {127, 100, 0, 0x795999, "Vol"},
    {240, 120, 1, 0x799959, "Pitch"},
    {127, 0, 0, 0x498999, "Mix"},
    {127, 0, 0, 0x599979, "Reso"},
    {127, 0, 0, 0x597999, "Cutoff"},
    {255, 0, 0, 0x995979, "Shift"},
    {127, 60, 0, 0, ""},
    {1, 0, 0, 0, ""},
}};

TStepStore::TStepStore(TStepStoreContext* context) : Context(context) {
  for (auto& s : Slots) s.store(nullptr, std::memory_order_relaxed);
}

TStepStore::~TStepStore() { FreeAll(); }

void TStepStore::AllocPattern(int pattern) {
  if (!ValidPattern(pattern) || Slots[pattern].load(std::memory_order_acquire)) return;
  auto* block = new TStepBlock;
  for (int p = 0; p < StepPlaneCount; ++p)
    for (int s = 0; s < MaxSteps; ++s) block->Set(s, p, static_cast<uint8_t>(StepLanes[p].Default));
  Slots[pattern].store(block, std::memory_order_release);
}

void TStepStore::FreePattern(int pattern) {
  if (!ValidPattern(pattern)) return;
  delete Slots[pattern].exchange(nullptr, std::memory_order_acq_rel);
}

void TStepStore::FreeAll() {
  for (int p = 0; p < PatternSlots; ++p) FreePattern(p);
}

const TStepBlock* TStepStore::Block(int pattern) const {
  if (!ValidPattern(pattern)) return nullptr;
  return Slots[pattern].load(std::memory_order_acquire);
}

TStepBlock* TStepStore::Block(int pattern) {
  if (!ValidPattern(pattern)) return nullptr;
  return Slots[pattern].load(std::memory_order_acquire);
}

bool TStepStore::IsPatternEmpty(int pattern) const {
  const TStepBlock* block = Block(pattern);
  if (!block) return true;
  int length = Context ? Context->PatternLength : 16;
  if (length > MaxSteps) length = MaxSteps;
  for (int s = 0; s < length; ++s)
    if (block->Get(s, PlaneFlags) != 0) return false;
  return true;
}

uint8_t TStepStore::GetStepValue(int pattern, int step, int plane) const {
  if (!ValidPlane(plane)) return 0;
  const TStepBlock* block = Block(pattern);
  if (!block || !ValidStep(step)) return static_cast<uint8_t>(StepLanes[plane].Default);
  return block->Get(step, plane);
}

void TStepStore::SetStepValue(int pattern, int step, uint8_t value, int plane) {
  if (!ValidPattern(pattern) || !ValidStep(step) || !ValidPlane(plane)) return;
  TStepBlock* block = Block(pattern);
  if (!block) {
    if (value == StepLanes[plane].Default) return;
    AllocPattern(pattern);
    block = Block(pattern);
  }
  block->Set(step, plane, value);
  if (Context && !Context->SongModified.exchange(true) && Context->ModifiedRaised) Context->ModifiedRaised();
}

int TStepStore::IsStepOn(int pattern, int step) const {
  return GetStepValue(pattern, step, PlaneFlags) & StepFlagOn;
}

void TStepStore::SetStepOn(int pattern, int step, bool on) {
  uint8_t flags = GetStepValue(pattern, step, PlaneFlags);
  SetStepValue(pattern, step, static_cast<uint8_t>((flags & ~StepFlagOn) | (on ? StepFlagOn : 0)), PlaneFlags);
  if (OnStepOnChanged && ValidPattern(pattern) && ValidStep(step)) OnStepOnChanged(pattern, step);
}

void TStepStore::CopyFrom(const TStepStore& other) {
  if (&other == this) return;
  FreeAll();
  for (int p = 0; p < PatternSlots; ++p) {
    if (const TStepBlock* src = other.Block(p)) {
      auto* block = new TStepBlock(*src);
      Slots[p].store(block, std::memory_order_release);
    }
  }
}

}  // namespace vs
