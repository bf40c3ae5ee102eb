#include "editors/SampleListForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <functional>

#include "controls/Canvas.h"
#include "controls/NumBar.h"
#include "controls/WindowTools.h"
#include "core/ChannelCommands.h"
#include "core/ChannelFiles.h"
#include "core/PatternCommands.h"
#include "core/ProgramPaths.h"
#include "engine/EngineListener.h"
#include "framework/DropSource.h"
#include "framework/MLang.h"
#include "framework/PanelLook.h"
#include "framework/Skin.h"
#include "framework/TreeNT.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

// The strip's parts: the handle column at the left (only its top part is
// window), the info panel across the top, the scroller at the right.
constexpr int HandleWidth = 12;
constexpr int InfoHeight = 24;
constexpr int ScrollerWidth = 11;
constexpr int ItemHeight = 14;

// The colour pairs (normal, lit) of the folders' colour indexes, as the
// default style has them.
constexpr std::array<TColor, 8> DefaultColours{0x1010D0, 0x1050FF, 0xBAB6B6, 0xFAF6F6,
                                               0x8010D0, 0x8050FF, 0x90709F, 0xE0D0EF};
constexpr TColor SampleFace = 0x353030;
constexpr TColor LitText = 0xFAF6F6;
constexpr TColor LitFolder = 0x161616;

// The window's shape: 300 wide, without the handle column below the info
// panel and without its top and bottom pixel rows.
QRegion StripRegion() {
  QRegion r(0, 0, SampleListMaxWidth, 32000);
  ExcludeRectFromRegion(r, {0, InfoHeight, HandleWidth, 32000});
  ExcludeRectFromRegion(r, {0, 0, HandleWidth, 1});
  ExcludeRectFromRegion(r, {0, InfoHeight - 1, HandleWidth, InfoHeight});
  return r;
}

// The scroller's knob: a black frame, the body, an inner frame 48 lighter,
// or sunken with a 64 darker edge while pressed; grip lines every 3 pixels.
void DrawScrollKnob(TCanvas& c, const TRect& r, TColor colour, bool pressed) {
  c.FrameRect(r, ClBlack);
  const TRect in{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  c.FillRect(in, colour);
  if (pressed)
    DrawFrame3D(c, in, ShiftColor(colour, -64), colour);
  else
    DrawFrame3D(c, in, ShiftColor(colour, 48), ShiftColor(colour, -48));
}

void DrawScrollKnobGrip(TCanvas& c, const TRect& r, TColor colour) {
  const int mid = (r.Top + r.Bottom) / 2;
  for (int y = mid - 6; y <= mid + 3; y += 3) {
    c.PenColor = ShiftColor(colour, -64);
    c.MoveTo(r.Left + 3, y);
    c.LineTo(r.Right - 3, y);
    c.PenColor = ShiftColor(colour, 64);
    c.MoveTo(r.Left + 3, y + 1);
    c.LineTo(r.Right - 3, y + 1);
  }
}

bool IsUserInput(QEvent::Type t) {
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string BrowserNodeSampleFile(const TTreeNTNode* node) {
  const TBrowserRecord* r = TSampleListForm::Record(node);
  return r && r->Kind == BrowserSample ? r->Path : std::string();
}

TBrowserRecord* TSampleListForm::Record(const TTreeNTNode* node) {
  return node ? static_cast<TBrowserRecord*>(node->Data()) : nullptr;
}

TSampleListForm::TSampleListForm(TPreferences& prefs, QWidget* host)
    : QWidget(host, Qt::Window | Qt::FramelessWindowHint), Prefs(prefs), Host(host) {
  // A window of its own, not one that the desktop keeps above the host
  // (which lies directly above it); it places itself beside the host.
  setObjectName("SampleListForm");
  SetOwnPlace(this);
  setWindowTitle(QStringLiteral("Sample browser"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  Prefs.SampleBrowserCreated = true;

  InfoLeftBitmap = new QWidget(this);
  InfoLeftBitmap->setObjectName("InfoLeftBitmap");
  InfoLeftBitmap->setCursor(Qt::SizeHorCursor);
  InfoLeftBitmap->setAccessibleName(QStringLiteral("Slide or resize the browser"));
  InfoLeftBitmap->installEventFilter(this);

  InfoPanel = new QWidget(this);
  InfoPanel->setObjectName("InfoPanel");
  InfoPanel->installEventFilter(this);
  PathLabel = new QLabel(InfoPanel);
  PathLabel->setObjectName("PathLabel");
  PathLabel->installEventFilter(this);

  FileView = new TTreeNT(this);
  FileView->setObjectName("FileView");
  FileView->setAccessibleName(QStringLiteral("Samples and songs"));
  FileView->setFrameShape(QFrame::NoFrame);
  FileView->SetItemHeight(ItemHeight);
  FileView->SetIndent(16);
  FileView->SetOptions(toReadOnly);
  FileView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FileView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FileView->SetSortType(stText);
  FileView->Style = lbOwnerDrawFixed;
  FileView->Color = ClBlack;

  SpacingPanel = new QWidget(this);
  SpacingPanel->setObjectName("SpacingPanel");
  FileViewScroller = new TNumBar(SpacingPanel);
  FileViewScroller->setObjectName("FileViewScroller");
  FileViewScroller->SetOrientation(Qt::Vertical);
  FileViewScroller->SetHideArrows(true);
  FileViewScroller->SetShowNumber(false);
  FileViewScroller->setFocusPolicy(Qt::NoFocus);
  FileViewScroller->OnSetKnobWidth = [this](QWidget*, int& size) {
    const int travel = FileViewScroller->TrackLength();
    const int64_t rows = int64_t(FileViewScroller->Max()) - FileViewScroller->Min();
    size = int(std::max<int64_t>(31, travel - ItemHeight * rows)) / 3 * 3 - 2;
  };
  FileViewScroller->OnPaintKnob = [this](QWidget*, TCanvas& c, const TRect& r, int what, int state) {
    if (what != 0) return;
    DrawScrollKnob(c, r, ScrollerColour, state == 1);
    DrawScrollKnobGrip(c, r, ScrollerColour);
  };
  FileViewScroller->OnChange = [this](QWidget*) {
    FileView->verticalScrollBar()->setValue(FileViewScroller->Position());
  };
  QScrollBar* bar = FileView->verticalScrollBar();
  connect(bar, &QScrollBar::rangeChanged, this, [this] { SyncScroller(); });
  connect(bar, &QScrollBar::valueChanged, this, [this] { SyncScroller(); });

  FileView->BeforePaint = [this](TTreeNT& t, TCanvas& c) {
    QPainter& p = c.Painter();
    const QImage& back = Skin().SBBack;
    if (back.isNull())
      p.fillRect(t.viewport()->rect(), Qt::black);
    else
      p.drawTiledPixmap(t.viewport()->rect(), QPixmap::fromImage(back));
  };
  FileView->BeforeItemPaint = [this](TTreeNT&, TTreeNTNode& node, TCanvas& c, const TRect& r, TNodeStates s) {
    PaintItem(node, c, r, s);
  };
  FileView->OnClick = [](TTreeNT& t) {
    TTreeNTNode* node = t.Selected();
    const TBrowserRecord* r = Record(node);
    if (!r || r->Kind != BrowserFolder) return;
    if (node->Expanded())
      node->Collapse(false);
    else
      node->Expand(false);
  };
  FileView->OnExpanding = [this](TTreeNT&, TTreeNTNode* node, bool&) {
    TBrowserRecord* r = Record(node);
    if (r && r->Kind == BrowserFolder && !r->Scanned) FillFolder(r->Path + "/", node);
  };
  FileView->OnChange = [](TTreeNT&, TTreeNTNode* node) {
    if (!BrowserNodeSampleFile(node).empty()) PostAsyncUpdate(AsyncBrowserSample, 0);
  };
  FileView->OnMouseDown = [this](TTreeNT&, const TMouseInfo& m) { NodeMouseDown(m.X, m.Y, m.Button); };
  FileView->OnMouseMove = [this](TTreeNT&, const TMouseInfo& m) { NodeMouseMove(m.X, m.Y, m.Buttons); };
  FileView->OnKeyDown = [this](TTreeNT& t, int& key, Qt::KeyboardModifiers) {
    switch (key) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        LoadIntoChannel(t.Selected());
        key = 0;
        break;
      case Qt::Key_Space:
        if (OnPlayKey) OnPlayKey();
        key = 0;
        break;
      case Qt::Key_Right:
        if (!BrowserNodeSampleFile(t.Selected()).empty()) PostAsyncUpdate(AsyncBrowserSample, 0);
        break;
      default:
        break;
    }
  };

  connect(&AnimTimer, &QTimer::timeout, this, [this] { AnimTick(); });
  AnimTimer.setInterval(SampleListAnimInterval);
  setMask(StripRegion());
  if (Host) Host->installEventFilter(this);
  // The caption and the info texts in the language shown.
  MultiLang1 = new TMultiLang(this);
  MultiLang1->AfterLanguageChanged = [this](int) {
    setAccessibleName(windowTitle());
    RenameNodes();
  };
  MultiLang1->Loaded();
  connect(&Skin(), &TSkin::changed, this, &TSampleListForm::LoadSkin);
  LoadSkin();
  PlaceBeside(SampleListStripWidth);
}

TSampleListForm::~TSampleListForm() {
  AnimTimer.stop();
  if (ScanRunning) qApp->removeEventFilter(this);
  // The nodes' records go with the tree's nodes.
  FileView->Items().Clear();
}

void TSampleListForm::LoadSkin() {
  const TSkin& skin = Skin();
  const TStyle& s = skin.Style;
  const bool any = std::any_of(s.SBCol.begin(), s.SBCol.end(), [](TColor c) { return c != 0; });
  Colours = any ? s.SBCol : DefaultColours;
  ScrollerColour = s.SBScrollerCol;
  TextColour = s.SBTreeFont.Color;
  QFont tree = StyleFont(s.SBTreeFont);
  tree.setBold(true);
  FileView->setFont(tree);
  QFont title = StyleFont(s.SBTitleFont);
  title.setBold(true);
  PathLabel->setFont(title);
  QPalette pal = PathLabel->palette();
  pal.setColor(QPalette::WindowText, StyleColour(s.SBTitleFont.Color));
  PathLabel->setPalette(pal);
  FileViewScroller->SetColor(ScrollerColour);
  update();
  FileView->viewport()->update();
  InfoLeftBitmap->update();
}

// ----------------------------------------------------------------- tree

std::string TSampleListForm::Word(std::string_view key, std::string_view english) const {
  return MultiLang1 && MultiLang1->HasWord(key) ? MultiLang1->GetWord(key) : std::string(english);
}

void TSampleListForm::Info(const std::string& text, bool now) {
  if (OnInfo) OnInfo(text, now);
}

std::string TSampleListForm::LoopFilesRootName() {
  return WindowText(MainWindowTable, "@LoopFiles", " ZMP loop files");
}

void TSampleListForm::RefreshTree() {
  Info("", true);
  TTreeNTNodes& items = FileView->Items();
  if (items.GetFirstNode()) {
    Info(Word("@Clearing", "Clearing"), true);
    items.Clear();
  }
  Records.clear();
  HintNode = nullptr;
  LoopFilesRoot = nullptr;
  items.BeginUpdate();
  FillFolder(SamplesFolder(), nullptr);
  RootColour = 2;
  RootKind = SampleRoot;
  for (int row = SearchFolderCount; row >= 1; --row) {
    const std::string& path = Prefs.SearchFolders[size_t(row - 1)];
    const std::string& name = Prefs.SearchFolderNames[size_t(row - 1)];
    if (!path.empty()) AddRoot(path, " " + (name.empty() ? SearchFolderName(path) : name));
  }
  RootKind = SongRoot;
  LoopFilesRoot = AddRoot(ProgramPaths().AppPath + "Loops/", LoopFilesRootName());
  ShowPath();
  items.EndUpdate();
  SyncScroller();
}

TTreeNTNode* TSampleListForm::AddRoot(const std::string& path, const std::string& name) {
  auto record = std::make_unique<TBrowserRecord>();
  record->Path = path;
  while (record->Path.size() > 1 && record->Path.back() == '/') record->Path.pop_back();
  record->ColorIndex = RootColour;
  record->RootKind = RootKind;
  TTreeNTNode* node = FileView->Items().AddChildObject(nullptr, name, record.get());
  node->SetHasChildren(true);
  Records.push_back(std::move(record));
  return node;
}

void TSampleListForm::FillFolder(const std::string& folder, TTreeNTNode* node) {
  TBrowserRecord top;
  TBrowserRecord* parent = Record(node);
  if (parent) parent->Scanned = true;
  TScanOptions options;
  options.Filter = ScanFilter(parent ? parent->RootKind : SampleRoot);
  options.Flat = Prefs.NoDir;
  options.Language = Prefs.Language;
  bool progressShown = false;
  options.Progress = [this, &progressShown](int report) {
    progressShown = true;
    Info(ScanProgressText(report, Word("@LookingForSamples", "Looking for samples")), true);
    // The info bar paints and Escape is heard; nothing else is taken.
    QCoreApplication::processEvents();
    return !ScanCanceled;
  };
  std::vector<std::string> ancestors;
  for (TTreeNTNode* p = node ? node->Parent() : nullptr; p; p = p->Parent())
    if (const TBrowserRecord* r = Record(p)) ancestors.insert(ancestors.begin(), r->Path);

  ScanCanceled = false;
  ScanRunning = true;
  qApp->installEventFilter(this);
  const TScanResult result =
      ScanFolder(folder, parent ? *parent : top, node ? node->Level() : -1, ancestors, options);
  qApp->removeEventFilter(this);
  ScanRunning = false;

  TTreeNTNodes& items = FileView->Items();
  items.BeginUpdate();
  for (const TScanEntry& e : result.Entries) {
    auto record = std::make_unique<TBrowserRecord>(e.Record);
    TTreeNTNode* child = items.AddChildObject(node, e.Name, record.get());
    if (record->Kind == BrowserFolder) child->SetHasChildren(true);
    Records.push_back(std::move(record));
  }
  items.EndUpdate();
  const std::string end = ScanEndText(result, Word("@SearchCanceled", "Search canceled"), Word("@FoundFiles", "Found %d files"));
  if (!end.empty() || progressShown) Info(end);
}

void TSampleListForm::RenameNodes() {
  TTreeNTNodes& items = FileView->Items();
  std::function<void(TTreeNTNode*)> rename = [&](TTreeNTNode* node) {
    for (; node; node = node->GetNextSibling()) {
      TBrowserRecord* record = Record(node);
      if (node == LoopFilesRoot) {
        node->SetText(LoopFilesRootName());
      } else if (record && !record->PlainName.empty()) {
        std::string name = record->PlainName;
        ReadFolderInfo(*record, name, Prefs.Language);
        if (name != node->Text()) node->SetText(name);
      }
      rename(node->GetFirstChild());
    }
  };
  items.BeginUpdate();
  rename(items.GetFirstNode());
  items.EndUpdate();
}

void TSampleListForm::ShowPath() {
  // The end of the path (the folder's own name) stays in sight.
  const QString path = QString::fromStdString(Prefs.SearchFolders[0]);
  PathLabel->setText(PathLabel->fontMetrics().elidedText(path, Qt::ElideLeft, std::max(0, PathLabel->width())));
  PathLabel->setToolTip(path);
}

std::string TSampleListForm::SelectedSampleFile() const { return BrowserNodeSampleFile(FileView->Selected()); }

void TSampleListForm::SyncScroller() {
  const QScrollBar* bar = FileView->verticalScrollBar();
  if (FileViewScroller->Min() != bar->minimum() || FileViewScroller->Max() != bar->maximum())
    FileViewScroller->SetRange(bar->minimum(), bar->maximum());
  FileViewScroller->SetPosition(bar->value());
}

int TSampleListForm::TextLeft(const TBrowserRecord& record, int x) {
  switch (record.Kind) {
    case BrowserFolder: return x + 8 + record.Indent;
    case BrowserSong: return x + 14;
    default: return x + 11;
  }
}

QString TSampleListForm::ShownText(const TTreeNTNode& node, int left, int right) const {
  return QFontMetrics(FileView->font())
      .elidedText(QString::fromStdString(node.Text()), Qt::ElideRight, std::max(0, right - left - 2));
}

int TSampleListForm::RowTextRoom(const TTreeNTNode& node) const {
  const TBrowserRecord* rec = Record(&node);
  const int x = -FileView->horizontalScrollBar()->value();
  return FileView->viewport()->width() - (rec ? TextLeft(*rec, x) : x);
}

QString TSampleListForm::RowText(const TTreeNTNode& node) const {
  return ShownText(node, FileView->viewport()->width() - RowTextRoom(node), FileView->viewport()->width());
}

void TSampleListForm::PaintItem(TTreeNTNode& node, TCanvas& c, const TRect& r, uint32_t states) {
  const TBrowserRecord* rec = Record(&node);
  if (!rec) return;
  const int x = r.Left - FileView->horizontalScrollBar()->value();
  const bool lit = (states & nsSelected) || (rec->Kind == BrowserFolder && (states & nsExpanded));
  const QString text = ShownText(node, TextLeft(*rec, x), r.Right);
  c.SetFont(FileView->font());
  c.BrushClear = true;
  const int textY = r.Top + (r.Bottom - r.Top - c.TextHeight(text)) / 2;
  switch (rec->Kind) {
    case BrowserFolder: {
      const TColor face = lit ? LitFolder : ClBlack;
      c.FillRect({x + 9, r.Top, r.Right, r.Bottom}, face);
      c.PenColor = ShiftColor(face, 52);
      c.MoveTo(x + 9, r.Top);
      c.LineTo(r.Right, r.Top);
      c.PenColor = ShiftColor(face, 26);
      c.MoveTo(x + 9, r.Bottom - 1);
      c.LineTo(r.Right, r.Bottom - 1);
      const int index = std::clamp(rec->ColorIndex, 0, BrowserColourCount - 1);
      c.FontColor = Colours[size_t(index * 2 + (lit ? 1 : 0))];
      c.TextOut(TextLeft(*rec, x), textY, text);
      Skin().BrowserItemImages.Draw(c, x, r.Top, 0);
      break;
    }
    case BrowserSample:
    case BrowserSong: {
      const bool song = rec->Kind == BrowserSong;
      const int left = x + (song ? 11 : 10);
      c.FillRect({left, r.Top, r.Right, r.Bottom}, SampleFace);
      if (song) {
        c.PenColor = ClBlack;
        c.MoveTo(x + 10, r.Top);
        c.LineTo(x + 10, r.Bottom);
      } else {
        c.PenColor = ShiftColor(SampleFace, 0x20);
        c.MoveTo(left, r.Top);
        c.LineTo(r.Right, r.Top);
        c.MoveTo(left, r.Bottom - 1);
        c.LineTo(r.Right, r.Bottom - 1);
        if (lit) c.FillRect({left, r.Top, left + 3, r.Bottom}, ClBlack);
      }
      c.FontColor = lit ? LitText : TextColour;
      c.TextOut(TextLeft(*rec, x), textY, text);
      Skin().BrowserItemImages.Draw(c, x, r.Top, song ? 2 : 1);
      break;
    }
  }
}

void TSampleListForm::LoadIntoChannel(const TTreeNTNode* node) {
  const std::string file = BrowserNodeSampleFile(node);
  if (file.empty()) return;
  TSong& song = CurrentSong();
  LoadChosenFileIntoChannel(song, SelectedChannelIndex(song), file, true, true);
}

void TSampleListForm::NodeMouseDown(int x, int y, Qt::MouseButton button) {
  TTreeNTNode* node = FileView->GetNodeAt(x, y);
  const TBrowserRecord* r = Record(node);
  DragArmed = false;
  if (!r) return;
  if (button == Qt::LeftButton) {
    if (r->Kind == BrowserSample) PostAsyncUpdate(AsyncBrowserSample, 0);
    DragArmed = r->Kind != BrowserFolder;
    DragStart = QPoint(x, y);
  } else if (button == Qt::RightButton) {
    FileView->SetSelected(node);
    if (r->Kind == BrowserSample) {
      LoadIntoChannel(node);
    } else if (r->Kind == BrowserSong) {
      const std::string song = r->Path;
      if (ChannelFileHost().AskSaveChanges()) ChannelFileHost().OpenSong(song);
    }
  }
}

void TSampleListForm::NodeMouseMove(int x, int y, Qt::MouseButtons buttons) {
  const TTreeNTNode* node = FileView->GetNodeAt(x, y);
  if (node != HintNode) {
    HintNode = node;
    const TBrowserRecord* r = Record(node);
    Info(r ? r->Hint : std::string());
  }
  if (!DragArmed || !(buttons & Qt::LeftButton)) return;
  if ((QPoint(x, y) - DragStart).manhattanLength() < QApplication::startDragDistance()) return;
  DragArmed = false;
  const TTreeNTNode* selected = FileView->Selected();
  const TBrowserRecord* r = Record(selected);
  if (!r || r->Kind == BrowserFolder) return;
  // Dragged out as a copy: a file manager must never take the library's
  // file away.
  tdropfilesource drag(FileView);
  drag.dragtype = dtcopy;
  drag.FileNames = {r->Path};
  drag.Execute();
}

// ----------------------------------------------------------------- strip

void TSampleListForm::ShowSliding() {
  K = 0;
  PlaceBeside(SampleListStripWidth);
  // The strip opens; the keyboard stays with the window that has it.
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  show();
  setAttribute(Qt::WA_ShowWithoutActivating, false);
  raise();
  AnimTimer.start();
}

void TSampleListForm::ToggleSlide() {
  if (K == 0) return;
  K = -K;
  AnimTimer.start();
}

void TSampleListForm::AnimTick() {
  ++K;
  if (K >= SampleListAnimSteps || K == 0) {
    K = std::min(K, SampleListAnimSteps);
    AnimTimer.stop();
  }
  PlaceBeside(SampleListSlideWidth(Prefs.SampleListWidth, K));
}

void TSampleListForm::PlaceBeside(int width) {
  const QRect host = Host ? Host->frameGeometry() : geometry();
  setGeometry(host.left() - width + 1, host.top(), width, std::max(host.height(), InfoHeight + 1));
}

void TSampleListForm::StripMouse(QEvent* event) {
  auto* m = static_cast<QMouseEvent*>(event);
  const int gx = int(m->globalPosition().x());
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (m->button() == Qt::RightButton) {
        ToggleSlide();
      } else if (m->button() == Qt::LeftButton) {
        AnimTimer.stop();
        PressX = gx;
        PressWidth = width();
      }
      break;
    case QEvent::MouseMove:
      if (PressX != NoDrag && (m->buttons() & Qt::LeftButton))
        PlaceBeside(SampleListDragWidth(PressWidth, PressX, gx));
      break;
    case QEvent::MouseButtonRelease:
      if (m->button() == Qt::LeftButton && PressX != NoDrag) {
        PressX = NoDrag;
        if (width() == SampleListStripWidth) {
          K = 0;
        } else {
          Prefs.SampleListWidth = width();
          K = SampleListAnimSteps;
        }
      }
      break;
    default:
      break;
  }
}

// ----------------------------------------------------------------- window

bool TSampleListForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  // A scan hears Escape and takes no other input.
  if (ScanRunning && IsUserInput(t)) {
    if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) ScanCanceled = true;
    return true;
  }
  if (watched == Host) {
    if ((t == QEvent::Move || t == QEvent::Resize) && isVisible()) PlaceBeside(width());
    return false;
  }
  if (watched == InfoLeftBitmap) {
    if (t == QEvent::Paint) {
      QPainter p(InfoLeftBitmap);
      p.fillRect(InfoLeftBitmap->rect(), look::PanelDeep);
      if (!Skin().SBLeftSide.isNull()) p.drawImage(0, 0, Skin().SBLeftSide);
      return true;
    }
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseMove || t == QEvent::MouseButtonRelease) {
      StripMouse(event);
      return true;
    }
    return false;
  }
  if (watched == InfoPanel) {
    if (t == QEvent::Paint) {
      QPainter p(InfoPanel);
      QLinearGradient g(0, 0, 0, InfoPanel->height());
      g.setColorAt(0, QColor(0x3a, 0x3e, 0x46));
      g.setColorAt(1, QColor(0x1c, 0x1e, 0x22));
      p.fillRect(InfoPanel->rect(), g);
      p.setPen(look::PanelLight);
      p.drawLine(0, 0, InfoPanel->width() - 1, 0);
      p.setPen(Qt::black);
      p.drawLine(0, InfoPanel->height() - 1, InfoPanel->width() - 1, InfoPanel->height() - 1);
      return true;
    }
    if (t == QEvent::MouseButtonDblClick) {
      Info(Word("@Collapsing", "Collapsing (please wait)"), true);
      FileView->FullCollapse();
      Info("");
      SyncScroller();
      return true;
    }
    return false;
  }
  if (watched == PathLabel && t == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    if (OnChooseFolder) OnChooseFolder();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TSampleListForm::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  InfoLeftBitmap->setGeometry(0, 0, HandleWidth, InfoHeight);
  InfoPanel->setGeometry(HandleWidth, 0, std::max(0, w - HandleWidth), InfoHeight);
  PathLabel->setGeometry(6, 0, std::max(0, InfoPanel->width() - 8), InfoHeight);
  const int treeWidth = std::max(0, w - HandleWidth - ScrollerWidth);
  FileView->setGeometry(HandleWidth, InfoHeight, treeWidth, std::max(0, h - InfoHeight));
  SpacingPanel->setGeometry(HandleWidth + treeWidth, InfoHeight, std::min(ScrollerWidth, w - HandleWidth),
                            std::max(0, h - InfoHeight));
  FileViewScroller->setGeometry(0, 0, SpacingPanel->width(), SpacingPanel->height());
  ShowPath();
  // Too narrow for its parts, the strip shows only its edge.
  const bool open = w > HandleWidth + ScrollerWidth + 8;
  FileView->setVisible(open);
  SpacingPanel->setVisible(open);
  PathLabel->setVisible(open);
}

void TSampleListForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  // The edge against the main window.
  p.setPen(look::PanelShadow);
  p.drawLine(width() - 1, 0, width() - 1, height() - 1);
}

void TSampleListForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && OnActivated) OnActivated();
  QWidget::changeEvent(event);
}

void TSampleListForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (OnCloseRequest)
    OnCloseRequest();
  else
    hide();
}

}  // namespace vs
