#pragma once
// The rich text edit of the program's windows: a QTextEdit whose text is
// RTF through our own reader and writer (framework/RichText.h), holding
// pictures as embedded objects. Each picture pasted or loaded is an object
// of its own, kept in memory with the bytes it came with.
//
// - Pasting takes RTF first ("text/rtf", "application/rtf"), then a
//   picture, then what the text edit takes itself (HTML, plain text).
// - Copying and dragging out give RTF as well as the text edit's own
//   formats.
// - A text loaded with LoadRTF is handed back byte for byte by RTF() until
//   the user edits it; then RTF() is the text's own RTF.
// - ContainerName ("Document") names the document that holds the objects
//   and ObjectMenuPrefix ("Object") begins the name of each object.

#include <QString>
#include <QTextEdit>
#include <string>

class QImage;
class QMimeData;

namespace vs {

class TRichEditEx : public QTextEdit {
  Q_OBJECT

public:
  explicit TRichEditEx(QWidget* parent = nullptr);

  QString ContainerName() const { return FContainerName; }
  void SetContainerName(const QString& name) { FContainerName = name; }
  QString ObjectMenuPrefix() const { return FObjectMenuPrefix; }
  void SetObjectMenuPrefix(const QString& prefix) { FObjectMenuPrefix = prefix; }

  // Replaces the text with rich text kept as given (unmodified, no undo).
  void LoadRTF(const std::string& rtf);
  // The given bytes while the text is unmodified, else the text's RTF.
  std::string RTF() const;
  // Inserts a picture at the cursor as an embedded object (one undo step).
  void InsertPicture(const QImage& picture);
  // The pictures in the text, and the name of the i-th ("Object 1" ...).
  int ObjectCount() const;
  QString ObjectName(int index) const;
  // The height in pixels the text needs at the edit's present width, its
  // frame included.
  int TextHeight() const;

protected:
  void changeEvent(QEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  QMimeData* createMimeDataFromSelection() const override;

private:
  void KeepTypingSize();

  QString FContainerName = QStringLiteral("Document");
  QString FObjectMenuPrefix = QStringLiteral("Object");
  std::string Stored;
};

}  // namespace vs
