#include "editors/AddToolForm.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QVBoxLayout>

#include "controls/MyTransBtn.h"
#include "core/Tools.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/DialogLook.h"
#include "framework/MLang.h"
#include "model/Preferences.h"
#include "toolbox/PathTools.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"

namespace vs {

namespace {

constexpr int IconSize = 32;

QStringList ArgumentList(const std::vector<std::string>& args) {
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return list;
}

}  // namespace

TAddToolForm::TAddToolForm(TPreferences& prefs, QWidget* parent) : QDialog(parent), Prefs(prefs) {
  setObjectName("AddToolForm");
  setWindowTitle(QStringLiteral("Tools"));
  panel::ApplyPanelStyle(this);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);

  ToolsBox = new QListWidget(this);
  ToolsBox->setObjectName("ToolsBox");
  ToolsBox->setAccessibleName(QStringLiteral("Tools"));
  ToolsBox->setDragDropMode(QAbstractItemView::InternalMove);
  ToolsBox->setDefaultDropAction(Qt::MoveAction);
  ToolsBox->setFixedWidth(150);
  ToolsBox->setStyleSheet(QStringLiteral(
      "QListWidget { background: #1C1E22; border: 1px solid #3E4249; border-radius: 3px; padding: 2px; }"
      "QListWidget::item { height: 22px; padding-left: 6px; border-bottom: 1px solid #24272C; }"
      "QListWidget::item:selected { background: #5A3C16; color: #FFFFFF; }"));
  for (int i = 0; i < ToolEntryCount; ++i) ToolsBox->addItem(QString());
  layout->addWidget(ToolsBox);
  // The program's icon stands in this gap beside its row, clear of the
  // fields.
  layout->addSpacing(IconSize);

  ProgIcon = new QLabel(this);
  ProgIcon->setObjectName("ProgIcon");
  ProgIcon->setFixedSize(IconSize, IconSize);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(6);
  fields->setVerticalSpacing(4);
  TitleLabel = CaptionLabel(this, "TitleLabel", "Name");
  TitleEdit = new QLineEdit(this);
  TitleEdit->setObjectName("TitleEdit");
  TitleEdit->setAccessibleName(QStringLiteral("Name"));
  fields->addWidget(TitleLabel, 0, 0, 1, 2);
  fields->addWidget(TitleEdit, 1, 0, 1, 2);
  FileLabel = CaptionLabel(this, "FileLabel", "File location");
  FileEdit = new QLineEdit(this);
  FileEdit->setObjectName("FileEdit");
  FileEdit->setAccessibleName(QStringLiteral("File location"));
  OpenBtn = DialogButton(this, "OpenBtn", "...");
  OpenBtn->setAccessibleName(QStringLiteral("Browse"));
  OpenBtn->setFixedSize(28, 22);
  fields->addWidget(FileLabel, 2, 0, 1, 2);
  fields->addWidget(FileEdit, 3, 0);
  fields->addWidget(OpenBtn, 3, 1);

  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  right->addLayout(fields);
  auto flag = [this, right](const char* name, const char* text, int tag) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    box->setObjectName(name);
    box->setProperty("Tag", tag);
    connect(box, &QCheckBox::clicked, this, [this, box] { FlagBoxClick(box); });
    right->addWidget(box);
    return box;
  };
  right->addSpacing(4);
  PathBox = flag("PathBox", "Launch with the samples path", ToolWithSamplesPath);
  WAVBox = flag("WAVBox", "Launch with the current channel sample", ToolWithChannelSample);
  StartupBox = flag("StartupBox", "Launch at startup", ToolStartAtLoad);
  LinkBox = flag("LinkBox", "Link to main window", ToolLinkToMain);
  right->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  OkBtn = DialogButton(this, "OkBtn", "ok");
  OkBtn->OnClick = [this](QWidget*) { accept(); };
  buttons->addWidget(OkBtn);
  right->addLayout(buttons);
  layout->addLayout(right, 1);

  connect(ToolsBox, &QListWidget::currentRowChanged, this, [this] { UpdateEditBoxes(); });
  connect(ToolsBox->model(), &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
            ToolMoved(start, row > start ? row - 1 : row);
          });
  connect(TitleEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int i = CurrentTool();
    if (i < 0) return;
    Prefs.ToolList[i].Name = text.toStdString();
    ToolsBox->item(i)->setText(text);
  });
  connect(FileEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int i = CurrentTool();
    if (i < 0) return;
    Prefs.ToolList[i].FileName = text.toStdString();
    UpdateEditBoxes();
  });
  OpenBtn->OnClick = [this](QWidget*) { OpenBtnClick(); };
  resize(520, 250);
}

TAddToolForm::~TAddToolForm() {
  // The wave editor goes with the program.
  if (WaveEditor && WaveEditor->state() != QProcess::NotRunning) {
    WaveEditor->terminate();
    WaveEditor->waitForFinished(2000);
  }
}

int TAddToolForm::CurrentTool() const {
  const int row = ToolsBox->currentRow();
  return row >= 0 && row < ToolEntryCount ? row : -1;
}

void TAddToolForm::ListTools() {
  Filling = true;
  for (int i = 0; i < ToolEntryCount; ++i) ToolsBox->item(i)->setText(QString::fromStdString(Prefs.ToolList[i].Name));
  Filling = false;
}

void TAddToolForm::showEvent(QShowEvent* event) {
  ListTools();
  ToolsBox->setCurrentRow(ToolEditorStartRow(Prefs.ToolList));
  UpdateEditBoxes();
  QDialog::showEvent(event);
}

void TAddToolForm::hideEvent(QHideEvent* event) {
  UpdateToolsMenu();
  QDialog::hideEvent(event);
}

void TAddToolForm::UpdateEditBoxes() {
  const int i = CurrentTool();
  const bool any = i >= 0;
  for (QWidget* w : std::initializer_list<QWidget*>{TitleEdit, FileEdit, OpenBtn, PathBox, WAVBox, StartupBox, LinkBox})
    w->setEnabled(any);
  if (!any) return;
  const TToolItem& tool = Prefs.ToolList[i];
  if (TitleEdit->text().toStdString() != tool.Name) TitleEdit->setText(QString::fromStdString(tool.Name));
  if (FileEdit->text().toStdString() != tool.FileName) FileEdit->setText(QString::fromStdString(tool.FileName));
  for (QCheckBox* box : {PathBox, WAVBox, StartupBox, LinkBox})
    box->setChecked((tool.Params & box->property("Tag").toInt()) != 0);
  LinkBox->setVisible(IsWaveEditorTool(tool));
  // The program's first icon beside its row (none when it has none).
  const std::string iconFile = ExtractIconFromFile(tool.FileName, 0);
  const QPixmap icon = iconFile.empty() ? QPixmap()
                                        : QIcon(QString::fromStdString(iconFile)).pixmap(IconSize, IconSize);
  if (!icon.isNull()) {
    ProgIcon->setPixmap(icon);
    const QRect row = ToolsBox->visualItemRect(ToolsBox->item(i));
    const QPoint at = ToolsBox->mapTo(this, row.topRight());
    const int gap = layout()->spacing() * 2 + IconSize;
    ProgIcon->move(ToolsBox->geometry().right() + 1 + (gap - IconSize) / 2, at.y() + (row.height() - IconSize) / 2);
    ProgIcon->show();
    ProgIcon->raise();
  } else {
    ProgIcon->clear();
    ProgIcon->hide();
  }
}

void TAddToolForm::FlagBoxClick(QCheckBox* box) {
  const int i = CurrentTool();
  if (i < 0) return;
  const int32_t bit = box->property("Tag").toInt();
  int32_t& params = Prefs.ToolList[i].Params;
  params = box->isChecked() ? (params | bit) : (params & ~bit);
}

void TAddToolForm::ToolMoved(int from, int to) {
  MoveTool(Prefs.ToolList, from, to);
  ListTools();
  ToolsBox->setCurrentRow(to);
  UpdateEditBoxes();
}

void TAddToolForm::OpenBtnClick() {
  const int i = CurrentTool();
  if (i < 0) return;
  TToolItem& tool = Prefs.ToolList[i];
  QFileDialog dialog(this, QStringLiteral("Tools"));
  dialog.setObjectName("OpenDialog");
  dialog.setNameFilter(QStringLiteral("All files (*)"));
  ApplyDialogWords(dialog, AttachWindowWords(this), "OpenDialog");
  PrepareFileDialog(&dialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!tool.FileName.empty()) {
    dialog.setDirectory(QString::fromStdString(ExtractFilePath(tool.FileName)));
    dialog.selectFile(QString::fromStdString(ExtractFileName(tool.FileName)));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  ChooseToolProgram(tool, dialog.selectedFiles().first().toStdString());
  ToolsBox->item(i)->setText(QString::fromStdString(tool.Name));
  UpdateEditBoxes();
}

// ---------------------------------------------------------------- menus

void TAddToolForm::AddToolsMenu(QMenu* menu, QAction* separator, bool channelSampleOnly, QWidget* shortcutWindow) {
  Menus.push_back({menu, separator, channelSampleOnly, shortcutWindow, {}});
  FillToolsMenu(Menus.back());
}

void TAddToolForm::UpdateToolsMenu() {
  for (TToolsMenu& target : Menus) FillToolsMenu(target);
}

void TAddToolForm::FillToolsMenu(TToolsMenu& target) {
  // The items belong to their menu: gone with it when it went first.
  if (target.Menu)
    for (QAction* item : target.Items) delete item;
  target.Items.clear();
  if (!target.Menu) return;
  for (int index : ToolMenuEntries(Prefs.ToolList, target.ChannelSampleOnly)) {
    const TToolItem& tool = Prefs.ToolList[index];
    auto* item = new QAction(QString::fromStdString(DoubleAmpersands(tool.Name)), target.Menu);
    item->setObjectName(QStringLiteral("Tool%1").arg(index));
    connect(item, &QAction::triggered, this, [this, index] { LaunchTool(index); });
    if (IsWaveEditorTool(tool)) {
      item->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
      if (target.ShortcutWindow) target.ShortcutWindow->addAction(item);
    }
    target.Menu->addAction(item);
    target.Items.push_back(item);
  }
  if (target.Separator) target.Separator->setVisible(!target.Items.empty());
}

// ---------------------------------------------------------------- launching

bool TAddToolForm::WaveEditorRunning() const { return WaveEditor && WaveEditor->state() != QProcess::NotRunning; }

bool TAddToolForm::LaunchTool(int index) {
  if (index < 0 || index >= ToolEntryCount) return false;
  const TToolItem& tool = Prefs.ToolList[index];
  if (tool.FileName.empty()) return false;
  const bool waveEditor = IsWaveEditorTool(tool);
  if (waveEditor && WaveEditorRunning()) {
    WaveEditor->terminate();
    return true;
  }
  const QString program = QString::fromStdString(tool.FileName);
  const QStringList args = ArgumentList(ToolArguments(tool, CurrentToolContext(RenderFileNameOf ? RenderFileNameOf() : "")));
  bool started = false;
  if (waveEditor) {
    if (!WaveEditor) {
      WaveEditor = new QProcess(this);
      WaveEditor->setProcessChannelMode(QProcess::ForwardedChannels);
    }
    WaveEditor->start(program, args);
    started = WaveEditor->waitForStarted(5000);
  } else {
    started = QProcess::startDetached(program, args);
  }
  if (!started && OnInfo)
    OnInfo(FormatText(WindowText(MainWindowTable, "@CouldNotStart", "Could not start %s"), {tool.FileName}));
  return started;
}

void TAddToolForm::LaunchStartupTools() {
  for (int index : StartupTools(Prefs.ToolList)) LaunchTool(index);
}

}  // namespace vs
