#pragma once
// A channel's step data: for every pattern number one lazily allocated block
// of nine planes of 64 one-byte steps.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vs {

constexpr int StepPlaneCount = 9;
constexpr int MaxSteps = 64;
constexpr int PatternSlots = 1000;   // pattern numbers 0..999, 1..999 in use
constexpr int MaxPattern = 999;

enum StepPlane : int {
  PlanePan = 0, PlaneVol = 1, PlanePitch = 2, PlaneMix = 3, PlaneReso = 4,
  PlaneCutoff = 5, PlaneShift = 6, PlaneNote = 7, PlaneFlags = 8
};

constexpr uint8_t StepFlagOn = 0x01;
constexpr uint8_t StepFlagSlide = 0x40;

// 576 bytes: the byte of step s of plane p lies at p * 64 + s.
//
// A step value is one byte that the window thread writes while the mixer
// reads it, without MixerLock (a single write, as the step planes have
// always been edited): every byte is read and written as a relaxed atomic,
// which costs nothing on the machines we run on and keeps such a write
// defined. Copies go byte by byte the same way.
struct TStepBlock {
  static constexpr int Size = StepPlaneCount * MaxSteps;

  TStepBlock() = default;
  TStepBlock(const TStepBlock& other) { CopyBytes(other); }
  TStepBlock& operator=(const TStepBlock& other) {
    if (this != &other) CopyBytes(other);
    return *this;
  }

  uint8_t Get(int step, int plane) const { return At(plane * MaxSteps + step); }
  void Set(int step, int plane, uint8_t v) { Put(plane * MaxSteps + step, v); }
  // The byte at index i (0..575).
  uint8_t At(int i) const {
    return std::atomic_ref<uint8_t>(const_cast<uint8_t&>(Bytes[size_t(i)])).load(std::memory_order_relaxed);
  }
  void Put(int i, uint8_t v) { std::atomic_ref<uint8_t>(Bytes[size_t(i)]).store(v, std::memory_order_relaxed); }
  bool operator==(const TStepBlock& other) const {
    for (int i = 0; i < Size; ++i)
      if (At(i) != other.At(i)) return false;
    return true;
  }

private:
  void CopyBytes(const TStepBlock& other) {
    for (int i = 0; i < Size; ++i) Put(i, other.At(i));
  }
  std::array<uint8_t, Size> Bytes{};
};
static_assert(sizeof(TStepBlock) == 576);

// One plane's description.
struct TFXInfo {
  int32_t Max;
  int32_t Default;
  int32_t Centred;   // 1 = editors draw from the middle
  uint32_t Color;    // $00BBGGRR
  std::string Name;  // empty for the note and flag planes
};

// The nine planes in plane order. Program data; a skin may recolour them.
extern std::array<TFXInfo, StepPlaneCount> StepLanes;

// A pattern's description; PatternNames holds one per pattern number.
struct TPatInfo {
  std::string Name;
};

// Song-wide values the store needs: the pattern length that bounds the
// emptiness test, and the modified flag that a write raises.
struct TStepStoreContext {
  int PatternLength = 16;
  std::atomic<bool> SongModified{false};
  // Runs when a write raises the flag (the song tells its views).
  std::function<void()> ModifiedRaised;
};

// The store of one channel. Blocks are published with release ordering, so a
// mix thread that sees a slot's pointer sees a fully written block.
// Out-of-range pattern, step or plane arguments read as the plane default
// (or 0) and write nothing.
class TStepStore {
public:
  explicit TStepStore(TStepStoreContext* context = nullptr);
  ~TStepStore();
  TStepStore(const TStepStore&) = delete;
  TStepStore& operator=(const TStepStore&) = delete;

  void SetContext(TStepStoreContext* context) { Context = context; }

  // Called on the writing thread after SetStepOn wrote a step's on bit, so
  // that a view showing the step (the piano roll) repaints its column.
  std::function<void(int pattern, int step)> OnStepOnChanged;

  void AllocPattern(int pattern);
  void FreePattern(int pattern);
  void FreeAll();
  bool IsPatternEmpty(int pattern) const;
  uint8_t GetStepValue(int pattern, int step, int plane) const;
  void SetStepValue(int pattern, int step, uint8_t value, int plane);
  int IsStepOn(int pattern, int step) const;
  void SetStepOn(int pattern, int step, bool on);

  // The block of a pattern, or null when the slot is empty (or out of range).
  const TStepBlock* Block(int pattern) const;
  TStepBlock* Block(int pattern);
  bool HasBlock(int pattern) const { return Block(pattern) != nullptr; }
  // Copies every block of another store (used when cloning channels and
  // when a reader builds a song apart).
  void CopyFrom(const TStepStore& other);

  static bool ValidPattern(int pattern) { return pattern >= 0 && pattern < PatternSlots; }
  static bool ValidStep(int step) { return step >= 0 && step < MaxSteps; }
  static bool ValidPlane(int plane) { return plane >= 0 && plane < StepPlaneCount; }

private:
  TStepStoreContext* Context;
  std::array<std::atomic<TStepBlock*>, PatternSlots> Slots;
};

}  // namespace vs
