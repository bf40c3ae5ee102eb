#include "editors/TutorialForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "controls/NumBar.h"
#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "editors/DialogParts.h"
#include "editors/PanelStyle.h"
#include "framework/RichEdEx.h"
#include "toolbox/AllTools.h"
#include "toolbox/MLBase.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

std::string TutorialFolder() { return AddBackslash(ProgramPaths().AppPath) + "Loops/Tutorial/"; }

std::string PageSong(const std::string& folder, int page) {
  const std::string name = folder + "Tut_" + std::to_string(page) + ".zmp";
  const std::string found = FindPathCaseInsensitive(name);
  return found.empty() ? name : found;
}

}  // namespace

int CountTutorialPages(const std::string& folder) {
  int n = 0;
  while (!FindPathCaseInsensitive(folder + "Tut_" + std::to_string(n) + ".zmp").empty()) ++n;
  return n;
}

TTutorialForm::TTutorialForm(TSongCommands& commands, QWidget* parent)
    : QWidget(parent, Qt::Tool), Commands(commands) {
  setObjectName("TutorialForm");
  setAttribute(Qt::WA_DeleteOnClose);
  panel::ApplyPanelStyle(this);
  resize(320, 420);
  setMinimumSize(200, 160);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(6);
  FInfoEdit = new TRichEditEx(this);
  FInfoEdit->setObjectName("InfoEdit");
  FInfoEdit->setReadOnly(true);
  SetPaperLook(FInfoEdit);
  layout->addWidget(FInfoEdit, 1);
  FSelBar = new TNumBar(this);
  FSelBar->setObjectName("SelBar");
  FSelBar->setFixedHeight(17);
  FSelBar->SetShowNumber(false);
  FSelBar->OnSetKnobWidth = [](QWidget*, int& width) { width = width / 3 * 3 + 2; };
  FSelBar->OnRelease = [this](QWidget*) { SelBarRelease(); };
  layout->addWidget(FSelBar);

  FPageCount = CountTutorialPages(TutorialFolder());
  FSelBar->SetRange(0, FPageCount - 1);
}

QString TTutorialForm::PagePath(const QString& name) const {
  return QString::fromStdString(TutorialFolder()) + name;
}

void TTutorialForm::OpenPage(int page) {
  FPage = page;
  FSelBar->SetPosition(page);
  setWindowTitle(CaptionWord + QString::number(page + 1) + "/" + QString::number(FPageCount));
  const std::string text =
      TutorialFolder() + "Texts_" + std::to_string(GlobalLanguage()) + "/Tut_" + std::to_string(page) + ".rtf";
  const std::string found = FindPathCaseInsensitive(text);
  const std::optional<std::string> rtf = found.empty() ? std::nullopt : ReadFileBytes(found);
  FInfoEdit->LoadRTF(rtf ? *rtf : std::string());
  Commands.OpenAsUntitled(PageSong(TutorialFolder(), page));
}

void TTutorialForm::SelBarRelease() {
  const int page = FSelBar->Position();
  if (page == FPage) return;
  // The page's song takes the place of the open one.
  if (Commands.AskSaveChanges() == IdCancel) {
    FSelBar->SetPosition(FPage);
    return;
  }
  OpenPage(page);
}

void TTutorialForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    move(area.right() + 1 - frame.width() - 4, area.top() + (area.height() - frame.height()) / 2);
  }
}

}  // namespace vs
