#include "editors/PlayListForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/MyTransBtn.h"
#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "core/Style.h"
#include "core/Transport.h"
#include "editors/PanelStyle.h"
#include "editors/PatNameForm.h"
#include "editors/PlaylistMaps.h"
#include "framework/ActionTable.h"
#include "framework/MLang.h"
#include "framework/PanelLook.h"
#include "model/MixerLock.h"
#include "model/Preferences.h"
#include "model/Song.h"

namespace vs {

namespace {

constexpr int StatusBarHeight = 22;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QColor C(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The drag states.
enum : int { DragStarting = -1, DragIdle = 0, DragPainting = 1, DragFixed = 2, DragCells = 3, DragBars = 4 };

}  // namespace

// ---------------------------------------------------------------- status

void TStatusPanel::paintEvent(QPaintEvent*) {
  // A recessed readout: dark glass, shadowed at the top and left, lit at
  // the bottom and right, the text in the panel's amber.
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, look::PanelDeep);
  p.setPen(look::PanelShadow);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(look::PanelLight);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  QFont f = font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(look::Accent);
  p.drawText(r.adjusted(2, 1, -2, 0), Qt::AlignCenter, text());
}

// ---------------------------------------------------------------- the grid

TPlayListGrid::TPlayListGrid(TPlayListForm& form, QWidget* parent) : TVekGrid(parent), Form(form) {
  setObjectName("ListGridBit");
  setAccessibleName(QStringLiteral("Arrangement"));
  viewport()->setMouseTracking(true);
}

void TPlayListGrid::mousePressEvent(QMouseEvent* event) {
  TVekGrid::mousePressEvent(event);
  Form.ListGridBitMouseDown(event);
}

void TPlayListGrid::mouseMoveEvent(QMouseEvent* event) {
  // Only a painting drag moves the current cell (the window does that).
  Form.ListGridBitMouseMove(event->position().toPoint(), event->buttons(), event->modifiers());
}

void TPlayListGrid::mouseReleaseEvent(QMouseEvent* event) {
  TVekGrid::mouseReleaseEvent(event);
  if (event->buttons() == Qt::NoButton) Form.ListGridBitMouseUp();
}

void TPlayListGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is a press as well.
  mousePressEvent(event);
  if (event->button() == Qt::LeftButton) Form.ListGridBitDblClick(event->position().toPoint());
}

void TPlayListGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
      if (event->modifiers() == Qt::NoModifier) {
        TVekGrid::keyPressEvent(event);
        return;
      }
      break;
    default: break;
  }
  event->ignore();  // on to the window, which hands it to the main window
}

void TPlayListGrid::keyReleaseEvent(QKeyEvent* event) { event->ignore(); }

// ---------------------------------------------------------------- the window

TPlayListForm::TPlayListForm(TPreferences& prefs, QWidget* parent)
    : QWidget(parent, Qt::Tool), Prefs(prefs) {
  setObjectName("PlayListForm");
  setWindowTitle(QStringLiteral("Playlist"));
  setAccessibleName(QStringLiteral("Playlist"));
  setAttribute(Qt::WA_StyledBackground, true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, look::Panel);
  pal.setColor(QPalette::WindowText, look::Text);
  setPalette(pal);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Grid = new TPlayListGrid(*this, this);
  Grid->setFrameShape(QFrame::NoFrame);
  Grid->setStyleSheet(panel::ScrollBarStyle());
  Grid->LineColor = PlaylistLineColour;
  Grid->ClipCells = false;  // only the turned header texts need a clip
  Grid->SetColCount(PlaylistColumns);
  Grid->SetRowCount(PlaylistRows);
  Grid->SetFixedCols(1);
  Grid->SetFixedRows(1);
  Grid->SetDefaultColWidth(PlaylistCellSize);
  Grid->SetDefaultRowHeight(PlaylistCellSize);
  Grid->SetColWidth(0, PlaylistBarColumnWidth);
  Grid->SetRowHeight(0, PlaylistHeaderMin);
  Grid->OnDrawCell = [this](TVekGrid& g, int col, int row, const QRect& r, unsigned state, QPainter& p) {
    DrawCell(g, col, row, r, state, p);
  };
  Grid->OnSelectCell = [this](TVekGrid&, int col, int row, bool&) {
    BarPanel->setText(QString::number(row));
    PatternPanel->setText(QString::number(col));
  };
  layout->addWidget(Grid, 1);

  // The status bar: the Edit button and two panels (the current cell's bar
  // and pattern).
  StatusBar = new QWidget(this);
  StatusBar->setObjectName("StatusBar");
  StatusBar->setFixedHeight(StatusBarHeight);
  auto* status = new QHBoxLayout(StatusBar);
  status->setContentsMargins(3, 2, 3, 2);
  status->setSpacing(3);
  InsBtn = new TMyTransButton(StatusBar);
  InsBtn->setObjectName("InsBtn");
  InsBtn->SetCaption(QStringLiteral("Edit"));
  InsBtn->SetStyle(TBtnFrameStyle::FS_VekGradient);
  InsBtn->SetColor(0x524A44);
  InsBtn->FontColor = 0xE4E0DC;
  InsBtn->StayDown = false;
  InsBtn->setFixedSize(44, StatusBarHeight - 4);
  InsBtn->setAccessibleName(QStringLiteral("Edit"));
  status->addWidget(InsBtn);
  auto panel = [&](const char* name, int width) {
    auto* label = new TStatusPanel(StatusBar);
    label->setObjectName(name);
    label->setFixedSize(width, StatusBarHeight - 4);
    status->addWidget(label);
    return label;
  };
  BarPanel = panel("BarPanel", 31);
  PatternPanel = panel("PatternPanel", 50);
  status->addStretch(1);
  layout->addWidget(StatusBar);

  // The Edit menu, one table of its items and keys.
  TActionTable& t = MenuActions;
  PLMenu = t.AddMenu("PLMenu", "Edit").Menu();
  auto item = [&](const char* id, const char* text, const char* keys, void (TPlayListForm::*handler)()) {
    return t.AddItem(id, text, "PLMenu", [this, handler] { (this->*handler)(); }).Shortcut(keys).Action();
  };
  CutMenu = item("CutMenu", "Cu&t", "Ctrl+X", &TPlayListForm::CutMenuClick);
  CopyMenu = item("CopyMenu", "&Copy", "Ctrl+C", &TPlayListForm::CopyMenuClick);
  PasteMenu = item("PasteMenu", "&Paste", "Ctrl+V", &TPlayListForm::PasteMenuClick);
  t.AddSeparator("PLMenu");
  InsRowMenu = item("InsRowMenu", "&Insert row", "Ins", &TPlayListForm::InsRowMenuClick);
  DelRowMenu = item("DelRowMenu", "&Delete row", "Del", &TPlayListForm::DelRowMenuClick);
  t.Attach(this);
  t.TakeOwnKeys();
  ShowEditItems();
  InsBtn->OnClick = [this](QWidget*) {
    PLMenu->popup(InsBtn->mapToGlobal(QPoint(0, InsBtn->height())));
  };

  // Bullets, fonts.
  BitmapFileToImageList(StyleFilePath("PLBullet.bmp"), PLBulletIL, 2);
  CellFont = font();
  CellFont.setPixelSize(9);
  HeaderFont = font();
  HeaderFont.setFamily(QStringLiteral("Sans"));
  HeaderFont.setPixelSize(11);

  setGeometry(400, 20, 206, 427);
  resize(SnappedSize(size()));

  MultiLang1 = new TMultiLang(this);
  // The Edit button is as wide as its caption in the language shown.
  MultiLang1->AfterLanguageChanged = [this](int) {
    InsBtn->setFixedWidth(std::max(44, InsBtn->fontMetrics().horizontalAdvance(InsBtn->Caption()) + 12));
  };
  MultiLang1->Loaded();
  CurrentSong().AddListener(this);
}

TPlayListForm::~TPlayListForm() { CurrentSong().RemoveListener(this); }

QString TPlayListForm::WordOr(std::string_view key, std::string_view english) const {
  if (!MultiLang1 || !MultiLang1->HasWord(key)) return QString::fromUtf8(english.data(), english.size());
  return MultiLang1->Word(key);
}

void TPlayListForm::ShowInfo(const std::string& text) {
  if (OnShowInfo) OnShowInfo(text);
}

// ---------------------------------------------------------------- painting

void TPlayListForm::DrawCell(TVekGrid& grid, int col, int row, const QRect& r, unsigned, QPainter& p) {
  const TSong& song = CurrentSong();
  const TPlaylist& playlist = song.Playlist;
  TPlaylistCellView view;
  view.Col = col;
  view.Row = row;
  view.CurrentPattern = song.CurrentPattern;
  view.PlayingBar = ShownBar;
  view.MarkerBar = playlist.PlaylistMarker;
  view.Selection = playlist.PlaylistSelection;
  const TColor base = PlaylistCellColour(view);
  p.fillRect(r, C(base));
  const int bar = row - 1;

  if (col == 0 && row > 0) {
    if (bar == playlist.PlaylistMarker) {
      PLBulletIL.Draw(p, r.left() + 6, r.top() + 1, 1);
      return;
    }
    p.setFont(CellFont);
    const QString label = QString::number(row);
    p.setPen(C(PlaylistHighlight(base)));
    p.drawText(QRect(r.left(), r.top() + 1, r.width() - 2, r.height()), Qt::AlignRight | Qt::AlignVCenter, label);
    p.setPen(C(PlaylistDimText(base)));
    p.drawText(QRect(r.left(), r.top(), r.width() - 3, r.height()), Qt::AlignRight | Qt::AlignVCenter, label);
    return;
  }
  if (row == 0) {
    if (col == 0) return;
    const std::string& name = song.PatternNames[col].Name;
    const QString text = name.empty() ? QString::number(col) : Q(name);
    p.setFont(HeaderFont);
    // Turned a quarter: the text reads upward from the cell's bottom.
    auto draw = [&](int x, int y, TColor colour) {
      p.save();
      p.setClipRect(r);
      p.translate(x, y);
      p.rotate(-90);
      p.setPen(C(colour));
      p.drawText(QRect(0, 0, r.height(), r.width()), Qt::AlignLeft | Qt::AlignVCenter, text);
      p.restore();
    };
    const int bottom = r.bottom() - 1;
    draw(r.left() + 1, bottom + 1, PlaylistHighlight(base));
    draw(r.left(), bottom, name.empty() ? PlaylistDimText(base) : ClBlack);
    return;
  }
  if (col == grid.Col() && row == grid.Row()) {
    p.setPen(C(PlaylistFocusFrame(base)));
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
  const std::vector<int>& list = playlist.PlaylistBars[size_t(bar)];
  if (std::find(list.begin(), list.end(), col) != list.end()) PLBulletIL.Draw(p, r.left() + 1, r.top() + 1, 0);
}

int TPlayListForm::HeaderHeight() const { return Grid->RowHeight(0); }

void TPlayListForm::SetHeaderHeight(int height) {
  const int old = Grid->RowHeight(0);
  if (old == height) return;
  Grid->SetRowHeight(0, height);
  resize(width(), height + (this->height() - old));
}

void TPlayListForm::FitPlaylistHeader() {
  const QFontMetrics metrics(HeaderFont);
  int widest = 0;
  const TSong& song = CurrentSong();
  for (int pattern = 1; pattern <= MaxPattern; ++pattern)
    if (!song.PatternNames[pattern].Name.empty())
      widest = std::max(widest, metrics.horizontalAdvance(Q(song.PatternNames[pattern].Name)));
  SetHeaderHeight(PlaylistHeaderHeight(widest));
}

void TPlayListForm::InvalidatePlaylistColumn(int pattern) { Grid->InvalidateCol(pattern); }
void TPlayListForm::InvalidatePlaylistRow(int row) { Grid->InvalidateRow(row); }

void TPlayListForm::RepaintCells(int col0, int row0, int col1, int row1) {
  // Clipped to the cells in view.
  const int left = std::max(col0, Grid->LeftCol()), top = std::max(row0, Grid->TopRow());
  const int right = std::min(col1, Grid->LeftCol() + Grid->VisibleColCount());
  const int bottom = std::min(row1, Grid->TopRow() + Grid->VisibleRowCount());
  if (left > right || top > bottom) return;
  const QRect a = Grid->CellRect(left, top), b = Grid->CellRect(right, bottom);
  if (a.isEmpty()) return;
  Grid->viewport()->update(b.isEmpty() ? QRect(a.topLeft(), Grid->viewport()->rect().bottomRight()) : a.united(b));
}

void TPlayListForm::RepaintAllCells() { Grid->viewport()->update(); }

void TPlayListForm::RepaintSelection(const TPlaylistSelection& s) {
  if (s.Bottom < 0) return;
  RepaintCells(s.Left, s.Top + 1, s.Right, s.Bottom + 1);
}

void TPlayListForm::SongValueChanged(TSongValue value) {
  switch (value) {
    case TSongValue::CurrentPattern: FollowPosition(); break;
    case TSongValue::PlaylistSelection:
    case TSongValue::PlaylistClipboard: ShowEditItems(); break;
    case TSongValue::PatternNames:
      FitPlaylistHeader();
      RepaintAllCells();
      break;
    default: break;
  }
}

void TPlayListForm::FollowPosition() {
  int bar;
  {
    // The engine's thread moves it under the lock; the paint uses the copy.
    MixerGuard lock;
    bar = PlayPosition().PlaylistPosition;
  }
  const int pattern = CurrentSong().CurrentPattern;
  if (bar != ShownBar) {
    if (ShownBar >= 0) InvalidatePlaylistRow(ShownBar + 1);
    if (bar >= 0) InvalidatePlaylistRow(bar + 1);
    ShownBar = bar;
  }
  if (pattern != ShownPattern) {
    InvalidatePlaylistColumn(ShownPattern);
    InvalidatePlaylistColumn(pattern);
    ShownPattern = pattern;
  }
}

// ---------------------------------------------------------------- gestures

void TPlayListForm::ShowCellInfo(int col, int row) {
  if (CurrentSong().Playlist.PlaylistSelection.Bottom >= 0) return;
  QString text;
  if (row > 0) text = WordOr("@Bar", "Bar ") + QString::number(row) + QLatin1Char(' ');
  if (col > 0) text += WordOr("@Pattern", "pattern ") + QString::number(col);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  ShowInfo(text.toStdString());
}

void TPlayListForm::ListGridBitMouseDown(QMouseEvent* event) {
  FDragState = DragStarting;
  int col, row;
  const QPoint pos = event->position().toPoint();
  if (!Grid->MouseToCell(pos, col, row)) return;
  if (event->button() == Qt::RightButton && row == 0 && col > 0) {
    FDragState = DragIdle;
    EditPatternName(col, event->globalPosition().toPoint());
    return;
  }
  ListGridBitMouseMove(pos, event->buttons(), event->modifiers());
}

void TPlayListForm::ListGridBitMouseMove(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  int col, row;
  if (!Grid->MouseToCell(pos, col, row)) return;
  ShowCellInfo(col, row);
  TSong& song = CurrentSong();
  TPlaylist& playlist = song.Playlist;
  const bool left = buttons & Qt::LeftButton;
  const bool right = buttons & Qt::RightButton;
  const int bar = row - 1;

  if ((mods & Qt::ControlModifier) && left && FDragState != DragIdle) {
    if (FDragState != DragStarting && FDragState != DragCells && FDragState != DragBars) return;
    const TPlaylistSelection old = playlist.PlaylistSelection;
    TPlaylistSelection now = old;
    if (FDragState == DragStarting) {
      const bool started = SelectDrag.Start(now, col, row);
      FDragState = !started ? DragIdle : SelectDrag.WholeBars() ? DragBars : DragCells;
    } else {
      SelectDrag.Move(now, col, row);
    }
    if (SetPlaylistSelection(song, now)) {
      RepaintSelection(old);
      RepaintSelection(now);
    }
    return;
  }
  if (!left && !right) return;

  if (row == 0 || col == 0) {
    if (FDragState == DragPainting || FDragState == DragCells || FDragState == DragBars) return;
    if (row == 0 && col > 0) {
      if (col != song.CurrentPattern) {
        if (OnEditPattern)
          OnEditPattern(col);
        else
          SelectPatternFromSelector(col);
        FollowPosition();
      }
    } else if (col == 0 && row > 0) {
      if (left) {
        if (bar != ShownBar) {
          JumpToPlaylistPosition(bar);
          FollowPosition();
        }
      } else {
        const int oldMarker = playlist.PlaylistMarker;
        if (SetPlaylistMarker(song, bar)) {
          InvalidatePlaylistRow(oldMarker + 1);
          InvalidatePlaylistRow(row);
        }
      }
    }
    if (FDragState == DragStarting) FDragState = DragFixed;
    return;
  }

  const bool starting = FDragState == DragStarting;
  if (starting) {
    if (!Prefs.BothMouseButtons && left) {
      const std::vector<int>& list = playlist.PlaylistBars[size_t(bar)];
      PaintFlag = std::find(list.begin(), list.end(), col) == list.end();
    } else {
      PaintFlag = left;
    }
    FDragState = DragPainting;
  } else if (Prefs.BothMouseButtons || !left) {
    PaintFlag = left;
  }
  if (FDragState != DragPainting) return;
  Grid->MoveTo(col, row);
  // Every cell since the last one painted: a fast drag leaves no gap.
  std::vector<std::pair<int, int>> cells{{col, row}};
  if (!starting) cells = PlaylistDragPath(LastPainted.x(), LastPainted.y(), col, row);
  LastPainted = QPoint(col, row);
  bool changed = false;
  for (const auto& [c, r] : cells) changed = playlist.SetPlaylistCell(c, r, PaintFlag) || changed;
  if (changed) song.SetModified();
}

void TPlayListForm::ListGridBitMouseUp() {
  const TPlaylistSelection& s = CurrentSong().Playlist.PlaylistSelection;
  if ((FDragState == DragCells || FDragState == DragBars) && s.Bottom >= 0) {
    const int row = s.Bottom + 2;
    if (row < Grid->RowCount() - 2) {
      Grid->SetCol(s.Left);
      Grid->SetRow(row);
    }
    ShowInfo(MultiLang1 && MultiLang1->HasWord("@Loop")
                 ? MultiLang1->FormatWord("@Loop", {s.Top + 1, s.Bottom + 1})
                 : FormatText("Loop from bar %d to bar %d", {s.Top + 1, s.Bottom + 1}));
  }
  FDragState = DragIdle;
}

void TPlayListForm::ListGridBitDblClick(const QPoint& pos) {
  int col, row;
  if (!Grid->MouseToCell(pos, col, row) || (row != 0 && col != 0)) return;
  // A fresh Ctrl + left press and release at the pointer.
  FDragState = DragStarting;
  ListGridBitMouseMove(pos, Qt::LeftButton, Qt::ControlModifier);
  ListGridBitMouseUp();
}

void TPlayListForm::EditPatternName(int pattern, const QPoint& at) {
  if (pattern < 1 || pattern > MaxPattern) return;
  TSong& song = CurrentSong();
  const std::optional<std::string> name = vs::EditPatternName(this, pattern, song.PatternNames[pattern].Name, at);
  // The header follows the name (the song's notice).
  if (name) SetPatternName(song, pattern, *name);
}

// ---------------------------------------------------------------- the menu

void TPlayListForm::ShowEditItems() {
  const bool selection = CurrentSong().Playlist.PlaylistSelection.Bottom >= 0;
  CutMenu->setEnabled(selection);
  CopyMenu->setEnabled(selection);
  PasteMenu->setEnabled(!PlaylistClipboard().Empty());
}

void TPlayListForm::CopyMenuClick() { CopyPlaylistSelection(CurrentSong()); }

void TPlayListForm::CutMenuClick() {
  TSong& song = CurrentSong();
  if (CopyPlaylistSelection(song, true)) RepaintSelection(song.Playlist.PlaylistSelection);
}

void TPlayListForm::PasteMenuClick() {
  const TPlaylistSelection area = PastePlaylist(CurrentSong(), PlaylistTargetCell(Grid->Col(), Grid->Row()));
  RepaintSelection(area);
}

void TPlayListForm::InsRowMenuClick() {
  InsertPlaylistRow(CurrentSong(), PlaylistTargetCell(Grid->Col(), Grid->Row()).Bar);
  RepaintAllCells();
}

void TPlayListForm::DelRowMenuClick() {
  DeletePlaylistRow(CurrentSong(), PlaylistTargetCell(Grid->Col(), Grid->Row()).Bar);
  RepaintAllCells();
}

void TPlayListForm::contextMenuEvent(QContextMenuEvent* event) {
  // The grid uses its right button itself; elsewhere it opens the menu.
  if (Grid->geometry().contains(event->pos())) return;
  PLMenu->popup(event->globalPos());
}

// ---------------------------------------------------------------- the song

void TPlayListForm::PlaylistCellChanged(int pattern, int bar) { RepaintCells(pattern, bar + 1, pattern, bar + 1); }

void TPlayListForm::PlaylistCleared() {
  SetHeaderHeight(PlaylistHeaderMin);
  RepaintAllCells();
}

void TPlayListForm::SongReplaced(TSong&) {
  ShowEditItems();
  FitPlaylistHeader();
  RepaintAllCells();
}

// ---------------------------------------------------------------- the window

QSize TPlayListForm::FixedPart() const {
  const int scroll = Grid->verticalScrollBar()->sizeHint().width();
  const int hscroll = Grid->horizontalScrollBar()->sizeHint().height();
  return {PlaylistBarColumnWidth + 1 + scroll, HeaderHeight() + 1 + StatusBarHeight + hscroll};
}

QSize TPlayListForm::SnappedSize(const QSize& size) const {
  const QSize fixed = FixedPart();
  return {SnapToCells(size.width(), fixed.width(), PlaylistCellSize + 1),
          SnapToCells(size.height(), fixed.height(), PlaylistCellSize + 1)};
}

void TPlayListForm::LoadBounds(const TStoredBounds& b) {
  // A window closed without ever showing stores the place it was made at:
  // that is no place the user gave it.
  const QPoint made = pos();
  move(b.Left.value_or(x()), b.Top.value_or(y()));
  Placed = b.Left && b.Top && pos() != made;
  resize(SnappedSize(QSize(b.Width.value_or(width()), b.Height.value_or(height()))));
}

void TPlayListForm::StoreBounds(TStoredBounds& b) const {
  b.Left = x();
  b.Top = y();
  b.Width = width();
  b.Height = height();
}

void TPlayListForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The window manager sizes the window by whole cells.
  const QSize fixed = FixedPart();
  setBaseSize(fixed);
  setSizeIncrement(PlaylistCellSize + 1, PlaylistCellSize + 1);
  setMinimumSize(fixed + QSize(PlaylistCellSize + 1, PlaylistCellSize + 1));
  FollowPosition();
}

void TPlayListForm::closeEvent(QCloseEvent* event) {
  if (OnCloseRequest) {
    event->ignore();
    OnCloseRequest();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace vs
