#include "controls/WAVScope.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "controls/DisplayMaps.h"
#include "controls/FastBmp.h"
#include "model/WAVSample.h"

namespace vs {

// ---------------------------------------------------------------- scope

TWAVScope::TWAVScope(QWidget* parent) : TQuickGraphicControl(parent) {
  setObjectName("WAVScope");
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

TWAVScope::~TWAVScope() = default;

void TWAVScope::SetLineColor(TColor color) {
  CentreColors = {color, color};
  EdgeColors = {color, color};
  BuildColourTable();
}

void TWAVScope::SetTraceColors(int channel, TColor centre, TColor edge) {
  if (channel < 0 || channel > 1) return;
  CentreColors[channel] = centre;
  EdgeColors[channel] = edge;
  BuildColourTable();
}

void TWAVScope::SetTrailWeight(int weight) {
  FTrail = std::clamp(weight, 0, 256);
  FStale = true;
}

void TWAVScope::MakePicture() {
  const int w = std::max(width(), 1), h = std::max(height(), 1);
  FPicture = QImage(w, h, QImage::Format_RGB32);
  FPicture.fill(0xFF000000u);
  FBack = QImage(w, h, QImage::Format_RGB32);
  FBack.fill(0xFF000000u);
  TraceLeft = 1;
  TraceRight = 0;
  FWhole = true;
  FStale = true;
  BuildColourTable();
}

void TWAVScope::BuildColourTable() {
  const int h = std::max(height(), 1);
  const int half = (h - 1) >> 1;
  for (int c = 0; c < 2; ++c) {
    Table[c].assign(h, SwapRedBlue(EdgeColors[c]) & 0xFFFFFF);
    for (int i = 0; i <= half; ++i) {
      const int weight = half > 0 ? i * 256 / half : 0;
      const uint32_t colour = SwapRedBlue(BlendColors(weight, CentreColors[c], EdgeColors[c])) & 0xFFFFFF;
      if (half - i >= 0) Table[c][half - i] = colour;
      if (half + i < h) Table[c][half + i] = colour;
    }
  }
  FStale = true;
}

uint32_t TWAVScope::RowColour(int channel, int row) const {
  const auto& t = Table[std::clamp(channel, 0, 1)];
  if (row < 0 || row >= static_cast<int>(t.size())) return 0;
  return t[row];
}

void TWAVScope::SetBackground(const QImage& picture) {
  MakePicture();
  const int w = width();
  QImage source = picture.convertToFormat(QImage::Format_RGB32);
  const int padded = (w + 3) / 4 * 4;
  if (source.width() != padded) {
    QImage fitted(padded, source.height(), QImage::Format_RGB32);
    fitted.fill(Qt::black);
    QPainter p(&fitted);
    p.drawImage(0, 0, source);
    p.end();
    source = fitted;
  }
  const int h = height();
  for (int y = 0; y < h && y < source.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    auto* out = reinterpret_cast<uint32_t*>(FBack.scanLine(y));
    for (int x = 0; x < w; ++x) out[x] = 0xFF000000u | (in[x] & 0xFFFFFF);
  }
}

void TWAVScope::resizeEvent(QResizeEvent* event) {
  TQuickGraphicControl::resizeEvent(event);
  // A new size makes the picture again, empty (the owner gives the
  // background again); the same size keeps it.
  if (IsOutputScope() && FBack.size() != QSize(std::max(width(), 1), std::max(height(), 1)))
    MakePicture();
  else
    BuildColourTable();
}

void TWAVScope::Paint(TCanvas& canvas) {
  if (!IsOutputScope()) {
    PaintSampleView(canvas);
    return;
  }
  if (FStale || FPicture.size() != QSize(std::max(width(), 1), std::max(height(), 1))) DrawFrame();
  canvas.Draw(0, 0, FPicture);
}

void TWAVScope::NextFrame() {
  if (!IsOutputScope()) {
    update();
    return;
  }
  const QRect changed = DrawFrame();
  if (!changed.isEmpty()) Changed(changed);
}

void TWAVScope::PaintSampleView(TCanvas& canvas) {
  const int w = width();
  const int h = height();
  const int half = h >> 1;
  canvas.FillRect(TRect::Sized(0, 0, w, h), BackColor);
  canvas.PenColor = ShiftColor(BackColor, 0x10);
  for (int k = -3; k <= 3; ++k) {
    if (k == 0) continue;
    const int y = ScopeGridRow(k, half);
    canvas.MoveTo(0, y);
    canvas.LineTo(w, y);
  }
  for (int k = 0; k <= 32; ++k) {
    const int x = ScopeGridColumn(k, w);
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, h);
  }
  canvas.PenColor = CenterColor;
  canvas.MoveTo(0, half);
  canvas.LineTo(w, half);
  if (!FSample || FSample->Empty()) return;
  const int64_t length = FSample->Length;
  const int16_t* frames = FSample->Frames();
  QPainter& p = canvas.Painter();
  if (Overview) {
    PaintOverview(p, w, half);
    return;
  }
  QPolygon line;
  line.reserve(w);
  for (int x = 0; x < w; ++x) {
    const int64_t f = std::clamp<int64_t>(SampleViewFrame(length, x, w), 0, length - 1);
    const int64_t value = int64_t(frames[2 * f]) + frames[2 * f + 1];
    line << QPoint(x, ScopeRow(value, half));
  }
  p.setPen(ToQColor(CentreColors[0]));
  p.drawPolyline(line);
  if (FSample->LoopStart >= 0) {
    p.setPen(ToQColor(0x0000FF));
    for (int64_t pos : {int64_t(FSample->LoopStart), int64_t(FSample->LoopEnd)}) {
      const int x = LoopMarkerX(pos, w, length);
      p.drawLine(x, 0, x, h - 1);
    }
  }
}

void TWAVScope::PaintOverview(QPainter& p, int w, int half) {
  const int64_t length = FSample->Length;
  const int16_t* frames = FSample->Frames();
  p.setPen(ToQColor(CentreColors[0]));
  int lastLo = half, lastHi = half;
  for (int x = 0; x < w; ++x) {
    const int64_t from = std::clamp<int64_t>(length * x / w, 0, length - 1);
    const int64_t to = std::clamp<int64_t>(length * (x + 1) / w, from + 1, length);
    int64_t low = std::numeric_limits<int64_t>::max(), high = std::numeric_limits<int64_t>::min();
    for (int64_t f = from; f < to; ++f) {
      const int64_t value = int64_t(frames[2 * f]) + frames[2 * f + 1];
      low = std::min(low, value);
      high = std::max(high, value);
    }
    const int hi = ScopeRow(high, half), lo = ScopeRow(low, half);
    // Reaching the column before where the two don't touch, as a line does.
    int top = hi, bottom = lo;
    if (x > 0 && top > lastLo) top = lastLo;
    if (x > 0 && bottom < lastHi) bottom = lastHi;
    lastHi = hi;
    lastLo = lo;
    p.drawLine(x, top, x, bottom);
  }
}

void TWAVScope::Plot(int x, int y, int tableChannel) {
  if (x < 0 || x >= width() || y < 0 || y >= height()) return;
  SetPixel(x, y, Table[tableChannel][y]);
  Cover(x, y, y);
}

void TWAVScope::Run(int x, int from, int to, int tableChannel) {
  if (from > to) std::swap(from, to);
  from = std::max(from, 0);
  to = std::min(to, height() - 1);
  if (from > to) return;
  for (int y = from; y <= to; ++y) SetPixel(x, y, Table[tableChannel][y]);
  Cover(x, from, to);
}

void TWAVScope::DrawTrace(int channelMode, int tableChannel) {
  const int w = width();
  const int half = (height() - 1) >> 1;
  const int64_t length = FSample->Length;
  const int16_t* frames = FSample->Frames();
  auto valueAt = [&](int x) -> int64_t {
    const int64_t f = std::clamp<int64_t>(ScopeFrame(length, x, w), 0, length - 1);
    if (channelMode == 0) return int64_t(frames[2 * f]) + frames[2 * f + 1];
    return 2 * int64_t(frames[2 * f + (channelMode == 1 ? 1 : 0)]);
  };
  switch (FStyle) {
    case TScopeStyle::Lines: {
      Rows.resize(w);
      for (int x = 0; x < w; ++x) Rows[x] = ScopeRow(valueAt(x), half);
      // Each column reaches half-way to its neighbours, rounded away from
      // its own row, so that neighbours join into one line.
      auto toward = [](int own, int other) {
        const int sum = own + other;
        if (other > own) return (sum + 1) >> 1;
        return sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
      };
      for (int x = 0; x < w; ++x) {
        const int y = Rows[x];
        int lo = y, hi = y;
        for (int n : {x - 1, x + 1}) {
          if (n < 0 || n >= w) continue;
          const int m = toward(y, Rows[n]);
          lo = std::min(lo, m);
          hi = std::max(hi, m);
        }
        Run(x, lo, hi, tableChannel);
      }
      break;
    }
    case TScopeStyle::Dots:
      for (int x = 0; x < w; ++x) Plot(x, ScopeRow(valueAt(x), half), tableChannel);
      break;
    case TScopeStyle::Columns:
      for (int x = 0; x < w; ++x) {
        const int h = static_cast<int>(valueAt(x) * half / 65536);
        if (h > 0) Run(x, half - h, half, tableChannel);
        else Run(x, half, half - h, tableChannel);
      }
      break;
    case TScopeStyle::Circle:
    case TScopeStyle::Flower: {
      const int cx = (w - 1) >> 1;
      for (int x = 0; x < w; ++x) {
        double a = std::min(1.0, std::abs(double(valueAt(x))) / 65536.0);
        const int row = std::clamp(half - static_cast<int>(std::lround(half * a)), 0, height() - 1);
        if (FStyle == TScopeStyle::Circle) a = 1.0 - a;
        const double angle = 2.0 * std::numbers::pi * x / w;
        const int px = static_cast<int>(std::lround(std::cos(angle) * cx * a)) + cx;
        const int py = half - static_cast<int>(std::lround(std::sin(angle) * half * a));
        if (px >= 0 && px < w && py >= 0 && py < height()) {
          SetPixel(px, py, Table[tableChannel][row]);
          Cover(px, py, py);
        }
      }
      break;
    }
  }
}

QRect TWAVScope::DrawFrame() {
  const QSize size(std::max(width(), 1), std::max(height(), 1));
  if (FBack.size() != size) MakePicture();
  const int w = size.width(), h = size.height();
  QRect changed;
  if (FTrail > 0 || OnPaint || FWhole) {
    // The whole picture changes: the old one fades into the background by
    // the trail's weight, or the background replaces it.
    if (FTrail > 0) {
      const TBlendTable blend(FTrail);
      for (int y = 0; y < h; ++y) {
        uint8_t* p = FPicture.scanLine(y);
        const uint8_t* b = FBack.constScanLine(y);
        for (int i = 0; i < 4 * w; i += 4) {
          p[i] = blend.Mix(p[i], b[i]);
          p[i + 1] = blend.Mix(p[i + 1], b[i + 1]);
          p[i + 2] = blend.Mix(p[i + 2], b[i + 2]);
        }
      }
    } else {
      std::memcpy(FPicture.bits(), FBack.constBits(), size_t(FBack.sizeInBytes()));
    }
    changed = QRect(0, 0, w, h);
  } else if (TraceLeft <= TraceRight) {
    // Only the old traces go: the background comes back under them.
    changed = QRect(QPoint(TraceLeft, TraceTop), QPoint(TraceRight, TraceBottom));
    const size_t bytes = size_t(changed.width()) * 4;
    for (int y = changed.top(); y <= changed.bottom(); ++y)
      std::memcpy(FPicture.scanLine(y) + 4 * changed.left(), FBack.constScanLine(y) + 4 * changed.left(), bytes);
  }
  TraceLeft = 1;
  TraceRight = 0;
  TraceTop = h;
  TraceBottom = -1;
  if (OnPaint) OnPaint(*this, FPicture);
  if (FSample && !FSample->Empty()) {
    if (FStereo) {
      DrawTrace(1, 1);
      DrawTrace(2, 0);
    } else {
      DrawTrace(0, 0);
    }
  }
  if (TraceLeft <= TraceRight) changed |= QRect(QPoint(TraceLeft, TraceTop), QPoint(TraceRight, TraceBottom));
  FStale = FWhole = false;
  return changed;
}

// ---------------------------------------------------------------- meter

TWAVVolumeter::TWAVVolumeter(QWidget* parent) : TQuickGraphicControl(parent) {
  setObjectName("WAVVolumeter");
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TWAVVolumeter::SetStereo(bool stereo) {
  FStereo = stereo;
  update();
}

void TWAVVolumeter::SetOrientation(Qt::Orientation orientation) {
  FOrientation = orientation;
  update();
}

void TWAVVolumeter::SetSnap(int snap) { FSnap = std::clamp(snap, 1, 255); }

void TWAVVolumeter::SetImages(const TImageList* images) {
  Images = images;
  update();
}

int TWAVVolumeter::LitLength(int level) const {
  if (!Images || Images->Count() < 2) return 0;
  return MeterLitLength(level, FOrientation == Qt::Horizontal ? Images->Width() : Images->Height(), FSnap);
}

void TWAVVolumeter::SetLevels(int left, int right) {
  left = std::clamp(left, 0, 32767);
  right = std::clamp(right, 0, 32767);
  // Only the part of a meter between its old and its new lit length shows
  // a change.
  const int levels[2][2] = {{Left, left}, {Right, right}};
  Left = left;
  Right = right;
  if (!Images || Images->Count() < 2) return;
  const bool horizontal = FOrientation == Qt::Horizontal;
  const int across = horizontal ? Images->Height() : Images->Width();
  const int along = horizontal ? Images->Width() : Images->Height();
  for (int c = 0; c < (FStereo ? 2 : 1); ++c) {
    const int was = LitLength(levels[c][0]), now = LitLength(levels[c][1]);
    if (was == now) continue;
    const int from = std::min(was, now), length = std::abs(was - now);
    // A vertical meter is lit from its bottom.
    Changed(horizontal ? QRect(from, c * across, length, across)
                       : QRect(c * across, along - from - length, across, length));
  }
}

void TWAVVolumeter::PaintChannel(QPainter& p, int level, int offset) {
  const int iw = Images->Width();
  const int ih = Images->Height();
  p.save();
  if (FOrientation == Qt::Horizontal) {
    const int lit = MeterLitLength(level, iw, FSnap);
    p.setClipRect(0, offset, lit, ih);
    Images->Draw(p, 0, offset, 1);
    p.setClipRect(lit, offset, iw - lit, ih);
    Images->Draw(p, 0, offset, 0);
  } else {
    const int unlit = ih - MeterLitLength(level, ih, FSnap);
    p.setClipRect(offset, 0, iw, unlit);
    Images->Draw(p, offset, 0, 0);
    p.setClipRect(offset, unlit, iw, ih - unlit);
    Images->Draw(p, offset, 0, 1);
  }
  p.restore();
}

void TWAVVolumeter::Paint(TCanvas& canvas) {
  QPainter& p = canvas.Painter();
  p.fillRect(rect(), ToQColor(Color()));
  if (!Images || Images->Count() < 2) return;
  PaintChannel(p, Left, 0);
  if (FStereo)
    PaintChannel(p, Right, FOrientation == Qt::Horizontal ? Images->Height() : Images->Width());
}

}  // namespace vs
