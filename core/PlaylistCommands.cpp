#include "core/PlaylistCommands.h"

#include <algorithm>

#include "model/MixerLock.h"

namespace vs {

TPlaylistClipboard& PlaylistClipboard() {
  static TPlaylistClipboard clipboard;
  return clipboard;
}

TPlaylistCell PlaylistTargetCell(int col, int row) {
  return {std::clamp(col, 1, MaxPattern), std::clamp(row - 1, 0, PlaylistBarCount - 1)};
}

namespace {

bool Holds(const std::vector<int>& bar, int pattern) {
  return std::find(bar.begin(), bar.end(), pattern) != bar.end();
}

// The selection kept inside the grid.
TPlaylistSelection Clipped(const TPlaylistSelection& s) {
  return {std::max(s.Left, 1), std::max(s.Top, 0), std::min(s.Right, MaxPattern),
          std::min(s.Bottom, PlaylistBarCount - 1)};
}

}  // namespace

bool CopyPlaylistSelection(TSong& song, bool cut) {
  TPlaylist& playlist = song.Playlist;
  if (playlist.PlaylistSelection.Bottom < 0) return false;
  const TPlaylistSelection s = Clipped(playlist.PlaylistSelection);
  TPlaylistClipboard& clip = PlaylistClipboard();
  {
    MixerGuard lock;
    clip.Bars.clear();
    clip.Width = std::max(0, s.Right - s.Left);
    for (int bar = s.Top; bar <= s.Bottom; ++bar) {
      std::vector<int>& list = playlist.PlaylistBars[bar];
      std::vector<int>& copied = clip.Bars.emplace_back();
      for (int pattern = s.Left; pattern <= s.Right; ++pattern)
        if (Holds(list, pattern)) copied.push_back(pattern - s.Left);
      if (cut)
        std::erase_if(list, [&](int pattern) { return pattern >= s.Left && pattern <= s.Right; });
    }
  }
  song.NotifyValue(TSongValue::PlaylistClipboard);
  if (cut) song.SetModified();
  return true;
}

TPlaylistSelection PastePlaylist(TSong& song, TPlaylistCell at) {
  const TPlaylistClipboard& clip = PlaylistClipboard();
  TPlaylistSelection area;
  if (clip.Empty()) return area;
  at = PlaylistTargetCell(at.Pattern, at.Bar + 1);
  area.Left = at.Pattern;
  area.Top = at.Bar;
  area.Right = std::min(MaxPattern, at.Pattern + clip.Width);
  area.Bottom = std::min(PlaylistBarCount - 1, at.Bar + static_cast<int>(clip.Bars.size()) - 1);
  {
    MixerGuard lock;
    for (int bar = area.Top; bar <= area.Bottom; ++bar) {
      std::vector<int>& list = song.Playlist.PlaylistBars[bar];
      const std::vector<int>& copied = clip.Bars[bar - area.Top];
      // In increasing pattern order: each pattern is removed, and placed again
      // when the copied bar holds its offset.
      for (int pattern = area.Left; pattern <= area.Right; ++pattern) {
        std::erase(list, pattern);
        if (Holds(copied, pattern - area.Left)) list.push_back(pattern);
      }
    }
  }
  song.SetModified();
  return area;
}

void InsertPlaylistRow(TSong& song, int bar) {
  bar = std::clamp(bar, 0, PlaylistBarCount - 1);
  auto& bars = song.Playlist.PlaylistBars;
  {
    MixerGuard lock;
    std::rotate(bars.begin() + bar, bars.end() - 1, bars.end());
    bars[bar].clear();
  }
  song.SetModified();
}

void DeletePlaylistRow(TSong& song, int bar) {
  bar = std::clamp(bar, 0, PlaylistBarCount - 1);
  auto& bars = song.Playlist.PlaylistBars;
  {
    MixerGuard lock;
    std::rotate(bars.begin() + bar, bars.begin() + bar + 1, bars.end());
    bars.back().clear();
  }
  song.SetModified();
}

bool SetPlaylistSelection(TSong& song, const TPlaylistSelection& selection) {
  TPlaylistSelection& s = song.Playlist.PlaylistSelection;
  if (s.Left == selection.Left && s.Top == selection.Top && s.Right == selection.Right && s.Bottom == selection.Bottom)
    return false;
  {
    MixerGuard lock;
    s = selection;
  }
  song.NotifyValue(TSongValue::PlaylistSelection);
  return true;
}

bool SetPlaylistMarker(TSong& song, int bar) {
  if (!TPlaylist::ValidBar(bar) || bar == song.Playlist.PlaylistMarker) return false;
  {
    MixerGuard lock;
    song.Playlist.PlaylistMarker = bar;
  }
  song.SetModified();
  return true;
}

bool SetPatternName(TSong& song, int pattern, const std::string& name) {
  if (pattern < 1 || pattern > MaxPattern || song.PatternNames[pattern].Name == name) return false;
  song.PatternNames[pattern].Name = name;
  song.NotifyValue(TSongValue::PatternNames);
  song.SetModified();
  return true;
}

// ---------------------------------------------------------------- selection

void TPlaylistSelectDrag::Span(TPlaylistSelection& s, int col, int row) const {
  const int c = std::clamp(col, 1, MaxPattern);
  const int r = std::clamp(row - 1, 0, PlaylistBarCount - 1);
  s.Left = std::min(AnchorCol, c);
  s.Right = std::max(AnchorCol, c);
  s.Top = std::min(AnchorBar, r);
  s.Bottom = std::max(AnchorBar, r);
  if (col <= 0) {
    s.Left = 1;
    s.Right = MaxPattern;
  }
  if (row <= 0) {
    s.Top = 0;
    s.Bottom = PlaylistBarCount - 1;
  }
}

bool TPlaylistSelectDrag::Start(TPlaylistSelection& selection, int col, int row) {
  AnchorCol = std::clamp(col, 1, MaxPattern);
  AnchorBar = std::clamp(row - 1, 0, PlaylistBarCount - 1);
  Bars = col <= 0;
  TPlaylistSelection fresh;
  Span(fresh, col, row);
  if (selection.Bottom >= 0 && fresh.Left == selection.Left && fresh.Right == selection.Right &&
      fresh.Top == selection.Top && fresh.Bottom == selection.Bottom) {
    selection.Bottom = -1;
    return false;
  }
  selection = fresh;
  return true;
}

void TPlaylistSelectDrag::Move(TPlaylistSelection& selection, int col, int row) const { Span(selection, col, row); }

}  // namespace vs
