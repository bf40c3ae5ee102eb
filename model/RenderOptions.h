#pragma once
// The render dialog's choices, held by the model: the dialog's radio buttons
// and check boxes are views that write them on change; the renderer reads
// them when a render starts.

namespace vs {

// What happens to the sound still ringing at the end of the render.
enum TRemainderMode : int {
  RemainderCut = 0,    // the file ends exactly at the end of the last bar
  RemainderLeave = 1,  // the file goes on until the last sample has sounded out
  RemainderWrap = 2,   // the last bar's tails are played into the start (loops)
};

struct TRenderOptions {
  TRemainderMode Remainder = RemainderCut;
  bool SaveNFO = false;  // write a ".nfo" description beside the WAV
  bool Mono = false;     // one channel of (L + R) div 2
};

// The program's options (main thread).
TRenderOptions& RenderOptions();

}  // namespace vs
