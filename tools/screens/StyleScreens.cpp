// The shipped styles, part by part: every picture and frame list of the
// skin laid out as the main window, the piano roll, the playlist and the
// sample browser use them, on the default drum kit. One page per style.

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/PatternCommands.h"
#include "core/Style.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

QRect PlaceOf(const TStyle& style, const char* name) {
  const TStylePlace* p = style.Place(name);
  if (!p || !p->Left || !p->Top) return QRect();
  return QRect(*p->Left, *p->Top, p->Width.value_or(0), p->Height.value_or(0));
}

void Text(QPainter& p, const QRect& r, const QString& text, const TStyleFont& font, int flags) {
  p.setFont(StyleFont(font));
  p.setPen(StyleColour(font.Color));
  p.drawText(r, flags, text);
}

// The caption, the menu line and its titles, the remote panel with its
// controls, the rack and the info bar, as the main window stacks them.
QImage MainWindowParts(const TSkin& skin, const TSong& song) {
  const TStyle& style = skin.Style;
  const int width = skin.MenuPic.width();
  const int rows = song.ChannelCount();
  constexpr int RowHeight = 27, LampRows = 19;
  const int rackHeight = rows * RowHeight + LampRows + 22;
  const int height = skin.TitleBar.height() + skin.MenuLine.height() + skin.MenuPic.height() + rackHeight +
                     skin.BottomLine.height();
  QImage out(width, height, QImage::Format_RGB32);
  out.fill(Qt::black);
  QPainter p(&out);
  p.setRenderHint(QPainter::TextAntialiasing);
  int y = 0;

  // Caption.
  p.drawImage(0, y, skin.TitleBar);
  if (QRect r = PlaceOf(style, "MinBtn"); !r.isNull()) skin.MinCloseIL.Draw(p, r.left(), y + r.top(), 0);
  if (QRect r = PlaceOf(style, "CloseBtn"); !r.isNull()) skin.MinCloseIL.Draw(p, r.left(), y + r.top(), 2);
  if (QRect r = PlaceOf(style, "CaptionLabel"); !r.isNull())
    Text(p, r.translated(0, y), QStringLiteral("Basic"), style.TitleFont, Qt::AlignLeft | Qt::AlignVCenter);
  y += skin.TitleBar.height();

  // Menu line: the titles' plates, the first one lit, the titles over them.
  p.drawImage(0, y, skin.MenuLine);
  const QRect bar = PlaceOf(style, "NewMainMenu");
  const QStringList titles = {"&File", "&Edit", "&Channels", "&View", "&Options", "&Tools", "&Help"};
  std::vector<int> lefts = {0};
  for (int x : style.MenuSepFor(titles.size())) lefts.push_back(x);
  for (int i = 0; i < titles.size() && i < static_cast<int>(lefts.size()); ++i) {
    const int left = lefts[i];
    const int right = i + 1 < static_cast<int>(lefts.size()) ? lefts[i + 1] : skin.MenuItemsIL.Width();
    p.save();
    p.setClipRect(QRect(bar.left() + left, y, right - left, skin.MenuLine.height()));
    skin.MenuItemsIL.Draw(p, bar.left(), y + bar.top(), i == 0 ? 1 : 0);
    p.restore();
    p.setFont(StyleFont(style.TitleFont));
    p.setPen(i == 0 ? QColor(Qt::black) : StyleColour(style.TitleFont.Color));
    p.drawText(QRect(bar.left() + left, y, right - left, skin.MenuLine.height()), Qt::AlignCenter | Qt::TextShowMnemonic,
               titles[i]);
  }
  y += skin.MenuLine.height();

  // Remote panel: playing, pattern 1, 124 BPM, the pad lit on 1.
  const int panelTop = y;
  p.drawImage(0, y, skin.MenuPic);
  auto at = [&](const char* name) { return PlaceOf(style, name).translated(0, panelTop); };
  auto glyph = [&](const QImage& g, const char* name, int frame, int frames) {
    const QRect r = at(name);
    if (g.isNull() || r.isNull()) return;
    const int w = g.width() / frames;
    p.drawImage(r.topLeft(), g.copy(frame * w, 0, w, g.height()));
  };
  glyph(skin.PlayBtnGlyph, "StartButton", 1, 2);
  glyph(skin.LoopBtnGlyph, "LoopButton", 0, 2);
  glyph(skin.ScopeMuteGlyph, "ScopeButton", 1, 2);
  if (QRect r = at("PatPad"); !skin.PatPadGlyph.isNull()) {
    // The selector: the pad at rest, the chosen cell lit (pattern 1: the
    // bottom left cell).
    const int w = skin.PatPadGlyph.width() / 2, h = skin.PatPadGlyph.height();
    p.drawImage(r.topLeft(), skin.PatPadGlyph.copy(0, 0, w, h));
    const QRect cell(0, 2 * h / 3, w / 3, h / 3);
    p.drawImage(r.topLeft() + cell.topLeft(), skin.PatPadGlyph.copy(cell.translated(w, 0)));
  }
  const char* const fx[] = {"FXVolBtn", "FXPitchBtn", "FXDrawBtn", "FXNoteBtn"};
  for (int i = 0; i < 4; ++i) skin.FXBtnIL.Draw(p, at(fx[i]).left(), at(fx[i]).top(), 2 * i + (i == 0 ? 1 : 0));
  auto digits = [&](const char* name, int value) {
    const QRect r = at(name);
    int x = r.left() + 3 * skin.LCDIL.Width();
    int v = value;
    for (int place = 0; place < 3; ++place) {
      x -= skin.LCDIL.Width();
      const int image = v >= 1 ? v % 10 + 1 : (place == 0 ? 1 : 0);
      skin.LCDIL.Draw(p, x, r.top(), image);
      v /= 10;
    }
  };
  digits("PatNumDig", song.CurrentPattern);
  digits("BPMDig", song.BPM);
  skin.UpDownIL.Draw(p, at("PatUpDown").left(), at("PatUpDown").top(), 0);
  skin.UpDownIL.Draw(p, at("BPMUpDown").left(), at("BPMUpDown").top(), 0);
  skin.MIDISyncIL.Draw(p, at("MIDISyncLED").left(), at("MIDISyncLED").top(), 1);
  // The scope with a trace in the style's colours, the meter half lit.
  if (QRect r = at("MixScope"); !r.isNull()) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(r);
    for (int channel = 0; channel < 2; ++channel) {
      QPainterPath trace;
      for (int x = 0; x < r.width(); ++x) {
        const double t = x / double(r.width());
        const double v = std::sin(t * 6.28 * (channel ? 3 : 2)) * std::exp(-t * 1.6) * (channel ? 0.45 : 0.8);
        const QPointF pt(r.left() + x, r.center().y() - v * r.height() / 2.2);
        if (x == 0) trace.moveTo(pt);
        else trace.lineTo(pt);
      }
      p.setPen(QPen(StyleColour(style.ScopeCol[channel * 2]), 1.3));
      p.drawPath(trace);
    }
    p.restore();
  }
  if (QRect r = at("MixVolumeter"); !r.isNull()) {
    const int h = skin.VolumeterIL.Height();
    for (int channel = 0; channel < 2; ++channel) {
      skin.VolumeterIL.Draw(p, r.left(), r.top() + channel * h, 0);
      const int lit = r.width() * (channel ? 55 : 68) / 100;
      p.save();
      p.setClipRect(r.left(), r.top() + channel * h, lit, h);
      skin.VolumeterIL.Draw(p, r.left(), r.top() + channel * h, 1);
      p.restore();
    }
  }
  const char* const sliders[] = {"MainVolSlider", "ShuffleSlider", "MainPitchSlider", "MainResoSlider", "MainCutOffSlider"};
  const double positions[] = {0.2, 0.55, 0.5, 1.0, 0.0};
  for (int i = 0; i < 5; ++i) {
    const QRect r = at(sliders[i]);
    const int travel = r.height() - 10 - skin.VolSliderIL.Height();
    skin.VolSliderIL.Draw(p, r.left() + (r.width() - skin.VolSliderIL.Width()) / 2,
                          r.top() + 5 + static_cast<int>(travel * positions[i]), i == 1 ? 2 : 0);
  }
  y += skin.MenuPic.height();

  // The rack: the side strips, the tiled back, a row per channel (pattern 1,
  // the play lamp on step 5, the first channel selected, the fourth muted,
  // the last one collapsed), the lamp row under the last expanded row.
  const int side = skin.LeftSide.width();
  for (int ty = 0; ty < rackHeight; ty += skin.LeftSide.height()) {
    p.drawImage(0, y + ty, skin.LeftSide);
    p.drawImage(width - skin.RightSide.width(), y + ty, skin.RightSide);
  }
  p.save();
  p.setClipRect(side, y, width - 2 * side, rackHeight);
  for (int ty = 0; ty < rackHeight; ty += skin.BackPic.height())
    for (int tx = side; tx < width; tx += skin.BackPic.width()) p.drawImage(tx, y + ty, skin.BackPic);
  const auto& b = style.ChanBtns;
  int rowTop = y + 6;
  for (int i = 0; i < rows; ++i) {
    const TChannel& c = *song.Channels[i];
    const int x0 = side;
    const bool collapsed = i == rows - 1;
    if (collapsed) {
      skin.ZippedIL.Draw(p, x0 + 4, rowTop + 4, 0);
      Text(p, QRect(x0 + 10, rowTop + 4, skin.ZippedIL.Width() - 20, skin.ZippedIL.Height()),
           QString::fromStdString(c.Name), style.SBTitleFont, Qt::AlignLeft | Qt::AlignVCenter);
      break;
    }
    const int frames = skin.MiddleWheelIL.Count();
    skin.MiddleWheelIL.Draw(p, x0 + b[ChanBtnWheel].X, rowTop + b[ChanBtnWheel].Y, (frames - 1) * c.Volume / 127);
    skin.MuteBtnIL.Draw(p, x0 + b[ChanBtnMute].X, rowTop + b[ChanBtnMute].Y, i == 3 ? 1 : 0);
    skin.SelectBtnIL.Draw(p, x0 + b[ChanBtnSelect].X, rowTop + b[ChanBtnSelect].Y, i == 0 ? 1 : 0);
    skin.SetBtnIL.Draw(p, x0 + b[ChanBtnName].X, rowTop + b[ChanBtnName].Y, 0);
    Text(p, QRect(x0 + b[ChanBtnName].X + 12, rowTop + b[ChanBtnName].Y, skin.SetBtnIL.Width() - 16, skin.SetBtnIL.Height()),
         QString::fromStdString(c.Name), style.SBTitleFont, Qt::AlignLeft | Qt::AlignVCenter);
    const int shown = PatternView().VisibleSteps;
    for (int s = 0; s < shown; ++s) {
      const int on = c.Steps.IsStepOn(song.CurrentPattern, s) ? 1 : 0;
      const int odd = (s / 4) & 1;
      skin.NoteBtnIL.Draw(p, x0 + b[ChanBtnSteps].X + s * 16, rowTop + b[ChanBtnSteps].Y, on + 2 * odd);
    }
    rowTop += RowHeight;
    if (i == rows - 2)
      for (int s = 0; s < shown; ++s) skin.PosLedIL.Draw(p, x0 + b[ChanBtnSteps].X + s * 16, rowTop, s == 4 ? 1 : 0);
  }
  p.restore();
  y += rackHeight;

  // Info bar.
  p.drawImage(0, y, skin.BottomLine);
  if (QRect r = PlaceOf(style, "InfoLabel"); !r.isNull())
    Text(p, r.translated(0, y), QString::fromStdString(style.Hint), style.HintFont, Qt::AlignLeft | Qt::AlignVCenter);
  return out;
}

// The editors' parts: a piano roll keyboard view, the playlist's bullets,
// the sample browser's items, and the step rows' value wheels.
QImage EditorParts(const TSkin& skin, const TSong& song) {
  const int width = skin.MenuPic.width();
  QImage out(width, 150, QImage::Format_RGB32);
  out.fill(QColor(0x10, 0x11, 0x13));
  QPainter p(&out);
  p.setRenderHint(QPainter::TextAntialiasing);
  // Piano roll: 12 steps, an octave and a half, the kick's steps on C.
  const int keybTop = 8;
  for (int s = 0; s < 12; ++s) {
    const bool on = song.Channels[0]->Steps.IsStepOn(song.CurrentPattern, s) != 0;
    for (int octave = 0; octave < 2; ++octave) skin.KeybIL.Draw(p, 8 + s * 16, keybTop + octave * 56, on ? 1 : 0);
    const int shapes[] = {2, 3, 1, 3, 0, 2, 3, 1, 3, 1, 3, 0};
    const int offsets[] = {0, 4, 8, 12, 16, 24, 28, 32, 36, 40, 44, 48};
    const int key = (s * 5) % 12;
    skin.KeybNoteIL.Draw(p, 8 + s * 16, keybTop + 112 - 56 - offsets[key] - 8, (on ? 4 : 0) + shapes[key]);
  }
  for (int s = 0; s < 12; ++s) skin.TSSlideIL.Draw(p, 8 + s * 16, keybTop + 114, s % 3 == 1 ? 1 : 0);
  // Playlist: the grid of the kit's song.
  const int plLeft = 216;
  p.setPen(QColor(0x2a, 0x2c, 0x30));
  for (int bar = 0; bar < 8; ++bar)
    for (int pattern = 0; pattern < 6; ++pattern) {
      const QRect cell(plLeft + pattern * 13, 8 + bar * 13, 12, 12);
      p.fillRect(cell, QColor(0x1a, 0x1b, 0x1e));
      const auto& at = song.Playlist.PlaylistBars[bar];
      if (std::find(at.begin(), at.end(), pattern + 1) != at.end()) skin.PLBulletIL.Draw(p, cell.left() + 1, cell.top() + 1, 0);
    }
  skin.PLBulletIL.Draw(p, plLeft - 12, 8 + 4 * 13 + 1, 1);
  // Browser: the strip, the tree's back and three kinds of items.
  const int sbLeft = 312;
  p.drawImage(sbLeft, 8, skin.SBLeftSide);
  for (int ty = 8; ty < 142; ty += skin.SBBack.height())
    for (int tx = sbLeft + skin.SBLeftSide.width(); tx < sbLeft + 120; tx += skin.SBBack.width())
      p.drawImage(tx, ty, skin.SBBack.copy(0, 0, std::min(skin.SBBack.width(), sbLeft + 120 - tx), std::min(skin.SBBack.height(), 142 - ty)));
  const char* const items[] = {" DrumKits", "Kick.wav", "Snare.wav", "Basic.zmp"};
  const int kinds[] = {0, 1, 1, 2};
  for (int i = 0; i < 4; ++i) {
    const int iy = 12 + i * 14;
    skin.BrowserItemImages.Draw(p, sbLeft + 14, iy, kinds[i]);
    p.setFont(StyleFont(skin.Style.SBTreeFont));
    p.setPen(StyleColour(i == 0 ? skin.Style.SBCol[1] : skin.Style.SBTreeFont.Color));
    p.drawText(QRect(sbLeft + 26, iy, 100, 14), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(items[i]));
  }
  // Value wheels of the step graph, the synthesizer wheels, the fader caps.
  const int wLeft = 440;
  for (int i = 0; i < 4; ++i) {
    skin.SmallWheelIL.Draw(p, wLeft + i * 16, 10, (skin.SmallWheelIL.Count() - 1) * (i + 1) / 4);
    skin.MB404WheelIL.Draw(p, wLeft + (i % 2) * 28, 34 + (i / 2) * 28, (skin.MB404WheelIL.Count() - 1) * (i * 2 + 1) / 8);
  }
  for (int i = 0; i < 3; ++i) skin.HSliderIL.Draw(p, wLeft + i * 16, 96, i);
  return out;
}

QImage StylePage(TScreenContext& c, const char* style) {
  c.Program();
  const std::string app = c.DataDir.toStdString();
  Skin().ChangeStyle(app, style);
  const QImage main = MainWindowParts(Skin(), CurrentSong());
  const QImage editors = EditorParts(Skin(), CurrentSong());
  Skin().ChangeStyle(app, DefaultStyleName);
  QImage page(main.width(), main.height() + editors.height() + 4, QImage::Format_RGB32);
  page.fill(QColor(0x08, 0x08, 0x09));
  QPainter p(&page);
  p.drawImage(0, 0, main);
  p.drawImage(0, main.height() + 4, editors);
  return page;
}

// The running main window in a style, on the default kit's beat.
QImage MainWindowIn(TScreenContext& c, const char* style) {
  c.Program();
  const std::string app = c.DataDir.toStdString();
  Skin().ChangeStyle(app, style);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.resize(form.width(), form.FullHeight());
  const QImage shot = TScreenContext::Grab(&form);
  Skin().ChangeStyle(app, DefaultStyleName);
  return shot;
}

VS_SCREEN("style-default", [](TScreenContext& c) { return StylePage(c, "Default"); });
VS_SCREEN("style-light", [](TScreenContext& c) { return StylePage(c, "Light"); });
VS_SCREEN("main-window-light", [](TScreenContext& c) { return MainWindowIn(c, "Light"); });

}  // namespace
}  // namespace vs::screens
