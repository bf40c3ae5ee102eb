#pragma once
// The one look of the program's standard dialogs: file and folder dialogs,
// the colour dialog and the message boxes wear the dark instrument panel of
// the program's own windows, whole (palette for every state, and a style
// sheet of their own that wins over whatever their owner's sheet says), so
// that no label of theirs is left light on light or dark on dark.

class QFileDialog;
class QString;
class QWidget;

namespace vs {

// The panel look on a dialog and everything in it. Text keeps its colour
// when the dialog loses the focus. A dialog not yet shown, opened while a
// window of the program that stays on top shows, stays on top too.
void ApplyDialogLook(QWidget* dialog);

// Slim dark scroll bars of the given thickness, a rounded grip and no arrow
// buttons: the dialogs' and the panels' alike.
QString DarkScrollBarSheet(int thickness);

// A file dialog as the program opens it: the toolkit's own dialog (never
// the desktop's, whose look is not ours), in the panel look, large enough
// for its list, whose size, type and date columns are widened to their
// texts whenever a folder's entries arrive.
void PrepareFileDialog(QFileDialog* dialog);

}  // namespace vs
