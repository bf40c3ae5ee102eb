#pragma once
// The tutorial: a window of pages, each a short text beside a song that
// shows what the text tells. The pages live under "Loops/Tutorial/" in the
// data folder: the songs "Tut_<p>.zmp" (the pages are those numbered from
// 0 with no gap) and each language's texts "Texts_<language>/Tut_<p>.rtf".
//
// Opening a page loads its text and opens its song in place of the open
// one, as an untitled song. The number bar at the bottom chooses the page:
// letting it go asks to save changes to the song first, and a Cancel keeps
// the page that shows. The window sits at the screen's right edge and
// frees itself when closed.

#include <QString>
#include <QWidget>

namespace vs {

class TNumBar;
class TRichEditEx;
class TSongCommands;

class TTutorialForm : public QWidget {
  Q_OBJECT

public:
  TTutorialForm(TSongCommands& commands, QWidget* parent = nullptr);

  // The caption's word before the page numbers ("@Tutorial").
  QString CaptionWord = QStringLiteral("Tutorial ");
  // The pages counted at creation.
  int PageCount() const { return FPageCount; }
  int Page() const { return FPage; }
  // Loads page p's text and song (no question asked).
  void OpenPage(int page);

  TRichEditEx* InfoEdit() const { return FInfoEdit; }
  TNumBar* SelBar() const { return FSelBar; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  void SelBarRelease();
  QString PagePath(const QString& name) const;

  TSongCommands& Commands;
  TRichEditEx* FInfoEdit = nullptr;
  TNumBar* FSelBar = nullptr;
  int FPageCount = 0;
  int FPage = 0;
};

// The number of pages: the largest n such that "Tut_<k>.zmp" exists in
// folder (in any letter case) for every k < n.
int CountTutorialPages(const std::string& folder);

}  // namespace vs
